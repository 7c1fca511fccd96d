#include "registryseed.h"

#include "platform/registry/registrynode.h"
#include "platform/registry/registrypath.h"

#ifdef Q_OS_WIN
#include <QSettings>

#include <windows.h>
#else
#include "platform/registry/registryvalue.h"
#include "platform/standin/standinhivefile.h"
#endif

namespace {

// The hive and the key path within it: on the stand-in, an account's hive below HKEY_USERS is a
// file of its own.
void splitOrDie(const QString &keyPath, QString *hive, QStringList *subkeys)
{
#ifdef Q_OS_WIN
    const bool split = splitRegistryPath(keyPath, hive, subkeys);
#else
    const bool split = splitStandInPath(keyPath, hive, subkeys);
#endif
    if (!split)
        qFatal("Not a registry path: %s", qUtf8Printable(keyPath));
}

#ifdef Q_OS_WIN
HKEY createKey(HKEY parent, const QString &subkey, const QString &keyPath)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(parent, reinterpret_cast<const wchar_t *>(subkey.utf16()), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        qFatal("Cannot seed %s", qUtf8Printable(keyPath));
    return key;
}

void writeTree(HKEY key, const RegistryNode &node, const QString &keyPath)
{
    for (const auto &entry : node.values) {
        const RegistryValue &value = entry.second;
        if (RegSetValueExW(key, reinterpret_cast<const wchar_t *>(entry.first.utf16()), 0,
                           value.type, reinterpret_cast<const BYTE *>(value.data.constData()),
                           DWORD(value.data.size()))
            != ERROR_SUCCESS)
            qFatal("Cannot seed %s\\%s", qUtf8Printable(keyPath), qUtf8Printable(entry.first));
    }
    for (const RegistryNode &child : node.children) {
        const QString childPath = keyPath + QLatin1Char('\\') + child.name;
        const HKEY childKey = createKey(key, child.name, childPath);
        writeTree(childKey, child, childPath);
        RegCloseKey(childKey);
    }
}
#else
void saveOrDie(StandInHiveFile &file)
{
    if (!file.save())
        qFatal("Cannot write %s", qUtf8Printable(file.fileName()));
}

void mergeTree(RegistryNode *node, const RegistryNode &tree)
{
    for (const auto &entry : tree.values)
        node->setValue(entry.first, entry.second);
    for (const RegistryNode &child : tree.children)
        mergeTree(node->make({ child.name }), child);
}
#endif

} // namespace

bool registryIsStandIn()
{
#ifdef Q_OS_WIN
    return false;
#else
    return true;
#endif
}

void seedRegistryValue(const QString &keyPath, const QString &name, const QVariant &value)
{
    seedRegistryValues(keyPath, { qMakePair(name, value) });
}

void seedRegistryKey(const QString &keyPath)
{
    seedRegistryTree(keyPath, RegistryNode());
}

#ifdef Q_OS_WIN

void seedRegistryValues(const QString &keyPath, const QVector<QPair<QString, QVariant>> &values)
{
    QSettings settings(keyPath, QSettings::NativeFormat);
    for (const auto &value : values)
        settings.setValue(value.first, value.second);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        qFatal("Cannot seed values below %s", qUtf8Printable(keyPath));
}

void seedRegistryTree(const QString &keyPath, const RegistryNode &tree)
{
    QString hive;
    QStringList subkeys;
    splitOrDie(keyPath, &hive, &subkeys);
    const HKEY key = createKey(hiveHandle(hive), subkeys.join(QLatin1Char('\\')), keyPath);
    writeTree(key, tree, keyPath);
    RegCloseKey(key);
}

void removeRegistryTree(const QString &keyPath)
{
    // Removing everything also deletes the key itself once the settings object goes.
    QSettings(keyPath, QSettings::NativeFormat).remove(QString());
}

#else

void seedRegistryValues(const QString &keyPath, const QVector<QPair<QString, QVariant>> &values)
{
    QString hive;
    QStringList subkeys;
    splitOrDie(keyPath, &hive, &subkeys);
    StandInHiveFile file(hive);
    for (const auto &value : values) {
        QStringList below;
        QString valueName;
        splitSettingsKey(value.first, &below, &valueName);
        file.root()
                .make(subkeys + below)
                ->setValue(valueName, registryValueFromVariant(value.second));
    }
    saveOrDie(file);
}

void seedRegistryTree(const QString &keyPath, const RegistryNode &tree)
{
    QString hive;
    QStringList subkeys;
    splitOrDie(keyPath, &hive, &subkeys);
    StandInHiveFile file(hive);
    mergeTree(file.root().make(subkeys), tree);
    saveOrDie(file);
}

void removeRegistryTree(const QString &keyPath)
{
    QString hive;
    QStringList subkeys;
    splitOrDie(keyPath, &hive, &subkeys);
    if (subkeys.isEmpty())
        qFatal("A hive cannot be removed: %s", qUtf8Printable(keyPath));
    StandInHiveFile file(hive);
    const QString name = subkeys.takeLast();
    RegistryNode *parent = file.root().find(subkeys);
    if (parent && parent->removeChild(name))
        saveOrDie(file);
}

#endif
