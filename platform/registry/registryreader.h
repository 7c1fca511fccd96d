#ifndef REGISTRYREADER_H
#define REGISTRYREADER_H

#include <QString>
#include <QStringList>
#include <QVector>

// Read access to registry keys by full path, with the answers that RegistryKey gives: read live
// from the registry, or from a tree read once (RegistrySnapshot).
class RegistryReader
{
public:
    struct Value
    {
        // As allKeys lists it, relative to the path that was read.
        QString key;
        QString text;
    };

    virtual ~RegistryReader() = default;

    // Every value at or below path, as "sub/key/name".
    virtual QStringList allKeys(const QString &path) const = 0;
    // The names of the direct subkeys of path.
    virtual QStringList childGroups(const QString &path) const = 0;
    // allKeys(path) in its order, each with its value's text, read through one opening of path.
    virtual QVector<Value> values(const QString &path) const = 0;
};

#endif // REGISTRYREADER_H
