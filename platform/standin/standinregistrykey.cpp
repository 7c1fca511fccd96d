#include "platform/standin/standinregistrykey.h"

#include "platform/registry/nativesettings.h"
#include "platform/registry/registrypath.h"
#include "platform/standin/standinhivefile.h"

StandInRegistryKey::StandInRegistryKey(const QString &path)
{
    if (!splitStandInPath(path, &hive, &keyPath))
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
    if (hive.isEmpty())
        return QString();
    const StandInHiveFile file(hive);
    const RegistryNode *node = key(file);
    return node ? nativeValueText(*node, name) : QString();
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
    const RegistryNode *node = key(file);
    return node ? nativeAllKeys(*node) : QStringList();
}

QStringList StandInRegistryKey::childGroups() const
{
    if (hive.isEmpty())
        return QStringList();
    const StandInHiveFile file(hive);
    const RegistryNode *node = key(file);
    return node ? nativeChildGroups(*node) : QStringList();
}
