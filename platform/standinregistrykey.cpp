#include "standinregistrykey.h"

#include "registrypath.h"

#include <algorithm>

namespace {

QString hiveOf(const QString &path)
{
    QString hive;
    QStringList subkeys;
    return splitRegistryPath(path, &hive, &subkeys) ? hive : QString();
}

QStringList keyPathOf(const QString &path)
{
    QString hive;
    QStringList subkeys;
    splitRegistryPath(path, &hive, &subkeys);
    return subkeys;
}

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
    : hive(hiveOf(path))
    , keyPath(keyPathOf(path))
{
    if (!hive.isEmpty())
        snapshot.reset(new StandInHiveFile(hive));
}

StandInRegistryKey::~StandInRegistryKey()
{
    if (pending.isEmpty())
        return;
    StandInHiveFile file(hive);
    bool changed = false;
    for (const Change &change : qAsConst(pending))
        changed = apply(file.root(), change) || changed;
    if (changed || !file.isReadable())
        file.save();
}

bool StandInRegistryKey::apply(RegistryNode &root, const Change &change) const
{
    if (change.removeAll) {
        RegistryNode *node = root.find(keyPath);
        if (!node || (node->values.isEmpty() && node->children.empty()))
            return false;
        node->values.clear();
        node->children.clear();
        return true;
    }
    return root.make(keyPath + change.subkeys)->setValue(change.valueName, change.value);
}

const RegistryNode *StandInRegistryKey::key() const
{
    if (!snapshot || !snapshot->isReadable())
        return nullptr;
    // Reading through the const hive keeps sharing its tree instead of copying it.
    const StandInHiveFile &file = *snapshot;
    return file.root().find(keyPath);
}

void StandInRegistryKey::setInteger(const QString &name, int value)
{
    if (!snapshot || name.isEmpty())
        return;
    Change change;
    splitSettingsKey(name, &change.subkeys, &change.valueName);
    change.value = registryValueFromVariant(value);
    pending.append(change);
    if (snapshot->isReadable())
        apply(snapshot->root(), change);
}

QString StandInRegistryKey::text(const QString &name) const
{
    const RegistryNode *node = key();
    if (!node || name.isEmpty())
        return QString();
    QStringList subkeys;
    QString valueName;
    splitSettingsKey(name, &subkeys, &valueName);
    node = node->find(subkeys);
    const RegistryValue *value = node ? node->value(valueName) : nullptr;
    return value ? registryValueToVariant(*value).toString() : QString();
}

void StandInRegistryKey::removeAll()
{
    if (!snapshot)
        return;
    Change change;
    change.removeAll = true;
    pending.append(change);
    if (snapshot->isReadable())
        apply(snapshot->root(), change);
}

QStringList StandInRegistryKey::allKeys() const
{
    QStringList keys;
    if (const RegistryNode *node = key())
        collectKeys(*node, QString(), &keys);
    return sortedSet(keys);
}

QStringList StandInRegistryKey::childGroups() const
{
    QStringList groups;
    if (const RegistryNode *node = key()) {
        for (const RegistryNode &child : node->children)
            groups.append(settingsName(child.name));
    }
    return sortedSet(groups);
}
