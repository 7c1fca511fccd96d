#include "platform/registry/registrypath.h"

#include "platform/account/profileaccount.h"

bool splitRegistryPath(const QString &path, QString *hive, QStringList *subkeys)
{
    static const struct
    {
        const char *prefix;
        const char *hive;
    } hives[] = {
        { "HKEY_CURRENT_USER", "HKEY_CURRENT_USER" },
        { "HKCU", "HKEY_CURRENT_USER" },
        { "HKEY_LOCAL_MACHINE", "HKEY_LOCAL_MACHINE" },
        { "HKLM", "HKEY_LOCAL_MACHINE" },
        { "HKEY_CLASSES_ROOT", "HKEY_CLASSES_ROOT" },
        { "HKCR", "HKEY_CLASSES_ROOT" },
        { "HKEY_USERS", "HKEY_USERS" },
        { "HKU", "HKEY_USERS" },
    };

    QString rest = path;
    if (rest.startsWith(QLatin1Char('\\')))
        rest.remove(0, 1);
    for (const auto &h : hives) {
        const QLatin1String prefix(h.prefix);
        if (!rest.startsWith(prefix))
            continue;
        if (rest.size() > prefix.size() && rest.at(prefix.size()) != QLatin1Char('\\'))
            return false;
        *hive = QLatin1String(h.hive);
        *subkeys = rest.mid(prefix.size()).split(QLatin1Char('\\'));
        subkeys->removeAll(QString());
        return true;
    }
    return false;
}

QString profileRegistryPath(const QString &path)
{
    QString hive;
    QStringList subkeys;
    if (!splitRegistryPath(path, &hive, &subkeys) || hive != QLatin1String("HKEY_CURRENT_USER"))
        return path;
    const ProfileAccount account = ProfileAccount::current();
    if (!account.isKnown())
        return QString();
    if (account.isOwn())
        return path;
    return (QStringList{ QStringLiteral("HKEY_USERS"), account.hiveName() } + subkeys)
            .join(QLatin1Char('\\'));
}

#ifdef Q_OS_WIN
HKEY hiveHandle(const QString &hive)
{
    if (hive == QLatin1String("HKEY_CURRENT_USER"))
        return HKEY_CURRENT_USER;
    if (hive == QLatin1String("HKEY_LOCAL_MACHINE"))
        return HKEY_LOCAL_MACHINE;
    if (hive == QLatin1String("HKEY_CLASSES_ROOT"))
        return HKEY_CLASSES_ROOT;
    return HKEY_USERS;
}
#endif

QString settingsName(const QString &registryName)
{
    // Most names hold neither: they stay shared.
    if (!registryName.contains(QLatin1Char('\\')) && !registryName.contains(QLatin1Char('/')))
        return registryName;
    QString name = registryName;
    for (QChar &c : name) {
        if (c == QLatin1Char('\\'))
            c = QLatin1Char('/');
        else if (c == QLatin1Char('/'))
            c = QLatin1Char('\\');
    }
    return name;
}

void splitSettingsKey(const QString &key, QStringList *subkeys, QString *valueName)
{
    subkeys->clear();
    for (const QString &part : key.split(QLatin1Char('/'))) {
        if (!part.isEmpty())
            subkeys->append(settingsName(part));
    }
    *valueName = subkeys->isEmpty() ? QString() : subkeys->takeLast();
    if (*valueName == QLatin1String("Default") || *valueName == QLatin1String("."))
        valueName->clear();
}
