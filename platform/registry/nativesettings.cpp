#include "platform/registry/nativesettings.h"

#include "platform/registry/registrynode.h"
#include "platform/registry/registrypath.h"

#include <algorithm>

namespace {

// The toolkit collects the names in a map, so they come sorted and only once.
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

QStringList nativeAllKeys(const RegistryNode &node)
{
    QStringList keys;
    collectKeys(node, QString(), &keys);
    return sortedSet(keys);
}

QStringList nativeChildGroups(const RegistryNode &node)
{
    QStringList groups;
    groups.reserve(int(node.children.size()));
    for (const RegistryNode &child : node.children)
        groups.append(settingsName(child.name));
    return sortedSet(groups);
}

QString nativeValueText(const RegistryNode &node, const QString &key)
{
    if (key.isEmpty())
        return QString();
    QStringList subkeys;
    QString valueName;
    splitSettingsKey(key, &subkeys, &valueName);
    const RegistryNode *holder = node.find(subkeys);
    const RegistryValue *value = holder ? holder->value(valueName) : nullptr;
    return value ? registryValueToVariant(*value).toString() : QString();
}
