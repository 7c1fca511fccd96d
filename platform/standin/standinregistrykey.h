#ifndef STANDINREGISTRYKEY_H
#define STANDINREGISTRYKEY_H

#include <QString>
#include <QStringList>

struct RegistryNode;
class StandInHiveFile;

// The registry operations of RegistryKey on the stand-in hive files, behaving as the native
// settings format does on Windows: every operation reads the hive file as it is now, and every
// change is written to it at once, so other keys see it as they would in the registry.
class StandInRegistryKey
{
public:
    explicit StandInRegistryKey(const QString &path);

    void setInteger(const QString &name, int value);
    QString text(const QString &name) const;
    void removeAll();
    QStringList allKeys() const;
    QStringList childGroups() const;

private:
    const RegistryNode *key(const StandInHiveFile &file) const;

    // Empty for a path outside the known hives, which reads as empty and takes no writes.
    QString hive;
    QStringList keyPath;
};

#endif // STANDINREGISTRYKEY_H
