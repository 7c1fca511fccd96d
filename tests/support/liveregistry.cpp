#include "liveregistry.h"

#include "platform/registry/registrykey.h"

QStringList LiveRegistry::allKeys(const QString &path) const
{
    return RegistryKey(path).allKeys();
}

QStringList LiveRegistry::childGroups(const QString &path) const
{
    return RegistryKey(path).childGroups();
}

QVector<RegistryReader::Value> LiveRegistry::values(const QString &path) const
{
    const RegistryKey key(path);
    const QStringList names = key.allKeys();
    QVector<Value> result;
    result.reserve(names.size());
    for (const QString &name : names)
        result.append({ name, key.text(name) });
    return result;
}
