#include "standinregistrykey.h"

#include "registrypath.h"
#include "standinhivefile.h"

#include <algorithm>

namespace {

// The native format lists names as a sorted set.
QStringList sortedSet(QStringList names)
{
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

void collectKeys(const RegistryNode &node, const QString &prefix, QStringList *keys)
{
    for (const auto &entry : node.values) {
        const QString name
                = entry.first.isEmpty() ? QStringLiteral(".") : settingsName(entry.first);
        keys->append(prefix + name);
    }
    for (const RegistryNode &child : node.children)
        collectKeys(child, prefix + settingsName(child.name) + QLatin1Char('/'), keys);
}

} // namespace

StandInRegistryKey::StandInRegistryKey(const QString &path)
{
    if (!splitRegistryPath(path, &hive, &keyPath))
        hive.clear();
}

const RegistryNode *StandInRegistryKey::key(const StandInHiveFile &file) const
{
    return file.isReadable() ? file.root().find(keyPath) : nullptr;
}

void StandInRegistryKey::setInteger(const QString &name, int value)
{
    if (hive.isEmpty() || name.isEmpty())
        return;
    QStringList subkeys;
    QString valueName;
    splitSettingsKey(name, &subkeys, &valueName);
    StandInHiveFile file(hive);
    if (!file.isReadable()
        || file.root()
                   .make(keyPath + subkeys)
                   ->setValue(valueName, registryValueFromVariant(value)))
        file.save();
}

QString StandInRegistryKey::text(const QString &name) const
{
    if (hive.isEmpty() || name.isEmpty())
        return QString();
    const StandInHiveFile file(hive);
    const RegistryNode *node = key(file);
    QStringList subkeys;
    QString valueName;
    splitSettingsKey(name, &subkeys, &valueName);
    node = node ? node->find(subkeys) : nullptr;
    const RegistryValue *value = node ? node->value(valueName) : nullptr;
    return value ? registryValueToVariant(*value).toString() : QString();
}

void StandInRegistryKey::removeAll()
{
    if (hive.isEmpty())
        return;
    StandInHiveFile file(hive);
    if (!file.isReadable()) {
        file.save();
        return;
    }
    const RegistryNode *existing = key(file);
    if (!existing || (existing->values.isEmpty() && existing->children.empty()))
        return;
    RegistryNode *node = file.root().find(keyPath);
    node->values.clear();
    node->children.clear();
    file.save();
}

QStringList StandInRegistryKey::allKeys() const
{
    if (hive.isEmpty())
        return QStringList();
    const StandInHiveFile file(hive);
    QStringList keys;
    if (const RegistryNode *node = key(file))
        collectKeys(*node, QString(), &keys);
    return sortedSet(keys);
}

QStringList StandInRegistryKey::childGroups() const
{
    if (hive.isEmpty())
        return QStringList();
    const StandInHiveFile file(hive);
    QStringList groups;
    if (const RegistryNode *node = key(file)) {
        for (const RegistryNode &child : node->children)
            groups.append(settingsName(child.name));
    }
    return sortedSet(groups);
}
