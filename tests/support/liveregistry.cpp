#include "liveregistry.h"

#include "platform/registry/registrykey.h"
#include "platform/registry/registrypath.h"

QStringList LiveRegistry::allKeys(const QString &path) const
{
    return RegistryKey(path).allKeys();
}

QStringList LiveRegistry::childGroups(const QString &path) const
{
    QStringList groups = RegistryKey(path).childGroups();
    for (QString &group : groups)
        group = settingsName(group);
    return groups;
}

QVector<RegistryReader::Value> LiveRegistry::values(const QString &path) const
{
    const RegistryKey key(path);
    const QStringList names = key.allKeys();
    QVector<Value> result;
    result.reserve(names.size());
    for (const QString &name : names) {
        Value value;
        value.keyNames = name.split(QLatin1Char('/'));
        for (QString &part : value.keyNames)
            part = settingsName(part);
        value.name = value.keyNames.takeLast();
        if (value.name == QLatin1String("."))
            value.name.clear();
        value.text = key.text(name);
        result.append(value);
    }
    return result;
}
