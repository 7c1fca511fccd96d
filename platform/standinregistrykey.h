#ifndef STANDINREGISTRYKEY_H
#define STANDINREGISTRYKEY_H

#include "registryvalue.h"
#include "standinhivefile.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

// The registry operations of RegistryKey on the stand-in hive files, behaving as the native
// settings format does on Windows. Reads see the hive as it was at opening plus this object's own
// changes; the changes are applied afresh to the file when the object is destroyed.
class StandInRegistryKey
{
public:
    explicit StandInRegistryKey(const QString &path);
    ~StandInRegistryKey();

    void setInteger(const QString &name, int value);
    QString text(const QString &name) const;
    void removeAll();
    QStringList allKeys() const;
    QStringList childGroups() const;

private:
    Q_DISABLE_COPY(StandInRegistryKey)

    struct Change
    {
        bool removeAll = false;
        QStringList subkeys;
        QString valueName;
        RegistryValue value;
    };

    bool apply(RegistryNode &hive, const Change &change) const;
    const RegistryNode *key() const;

    QString hive;
    QStringList keyPath;
    // Null for a path outside the known hives, which reads as empty and takes no writes.
    std::unique_ptr<StandInHiveFile> snapshot;
    QVector<Change> pending;
};

#endif // STANDINREGISTRYKEY_H
