#ifndef REGISTRYREADER_H
#define REGISTRYREADER_H

#include <QString>
#include <QStringList>
#include <QVector>

// Read access to registry keys by full path, names as the registry holds them: read live from
// the registry, or from a tree read once (RegistrySnapshot).
class RegistryReader
{
public:
    struct Value
    {
        // The keys on the way down from the path that was read, and the value's own name (empty
        // for a key's default value).
        QStringList keyNames;
        QString name;
        // As QSettings::value(...).toString() gives it for the value.
        QString text;
    };

    virtual ~RegistryReader() = default;

    // Every value at or below path, as RegistryKey::allKeys lists them.
    virtual QStringList allKeys(const QString &path) const = 0;
    // The names of the direct subkeys of path.
    virtual QStringList childGroups(const QString &path) const = 0;
    // Every value at or below path with its text, read through one opening of path.
    virtual QVector<Value> values(const QString &path) const = 0;
};

#endif // REGISTRYREADER_H
