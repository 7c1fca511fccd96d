#include "registryseed.h"

#include "platform/registrypath.h"

#ifdef Q_OS_WIN
#include <QSettings>

#include <windows.h>
#else
#include "platform/registryvalue.h"
#include "platform/standinhivefile.h"
#endif

namespace {

void splitOrDie(const QString &keyPath, QString *hive, QStringList *subkeys)
{
    if (!splitRegistryPath(keyPath, hive, subkeys))
        qFatal("Not a registry path: %s", qUtf8Printable(keyPath));
}

#ifndef Q_OS_WIN
void saveOrDie(StandInHiveFile &file)
{
    if (!file.save())
        qFatal("Cannot write %s", qUtf8Printable(file.fileName()));
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

#ifdef Q_OS_WIN

void seedRegistryValue(const QString &keyPath, const QString &name, const QVariant &value)
{
    QSettings settings(keyPath, QSettings::NativeFormat);
    settings.setValue(name, value);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        qFatal("Cannot seed %s\\%s", qUtf8Printable(keyPath), qUtf8Printable(name));
}

void seedRegistryKey(const QString &keyPath)
{
    QString hive;
    QStringList subkeys;
    splitOrDie(keyPath, &hive, &subkeys);
    const HKEY root = hive == QLatin1String("HKEY_CURRENT_USER") ? HKEY_CURRENT_USER
            : hive == QLatin1String("HKEY_LOCAL_MACHINE")        ? HKEY_LOCAL_MACHINE
            : hive == QLatin1String("HKEY_CLASSES_ROOT")         ? HKEY_CLASSES_ROOT
                                                                 : HKEY_USERS;
    const QString subkey = subkeys.join(QLatin1Char('\\'));
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, reinterpret_cast<const wchar_t *>(subkey.utf16()), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        qFatal("Cannot seed %s", qUtf8Printable(keyPath));
    RegCloseKey(key);
}

void removeRegistryTree(const QString &keyPath)
{
    // Removing everything also deletes the key itself once the settings object goes.
    QSettings(keyPath, QSettings::NativeFormat).remove(QString());
}

#else

void seedRegistryValue(const QString &keyPath, const QString &name, const QVariant &value)
{
    QString hive;
    QStringList subkeys;
    splitOrDie(keyPath, &hive, &subkeys);
    QStringList below;
    QString valueName;
    splitSettingsKey(name, &below, &valueName);
    StandInHiveFile file(hive);
    file.root().make(subkeys + below)->setValue(valueName, registryValueFromVariant(value));
    saveOrDie(file);
}

void seedRegistryKey(const QString &keyPath)
{
    QString hive;
    QStringList subkeys;
    splitOrDie(keyPath, &hive, &subkeys);
    StandInHiveFile file(hive);
    file.root().make(subkeys);
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
