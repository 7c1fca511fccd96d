#include "platform/files/knownfolders.h"

#include "platform/account/profileaccount.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <shlobj.h>
#else
#include "platform/standin/standinroot.h"
#endif

#ifdef Q_OS_WIN
QString roamingAppData(void *token)
{
    wchar_t *path = nullptr;
    QString folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DONT_VERIFY, token, &path)))
        folder = QDir::fromNativeSeparators(QString::fromWCharArray(path));
    CoTaskMemFree(path);
    return folder;
}
#endif

QStringList appDataLocations()
{
#ifdef Q_OS_WIN
    const QStringList locations
            = QStandardPaths::standardLocations(QStandardPaths::AppDataLocation);
    const ProfileAccount account = ProfileAccount::current();
    if (account.isOwn())
        return locations;
    // The toolkit knows the process's own roaming folder only: the desktop's takes its place.
    // Where that cannot be told, no roaming folder is left to act on, not even the process's.
    const QString own = roamingAppData(nullptr);
    const QString desktop = account.roamingFolder();
    QStringList result;
    for (const QString &location : locations) {
        if (own.isEmpty()
            || (location.compare(own, Qt::CaseInsensitive) != 0
                && !location.startsWith(own + QLatin1Char('/'), Qt::CaseInsensitive)))
            result << location;
        else if (!desktop.isEmpty())
            result << desktop + location.mid(own.size());
    }
    return result;
#else
    // Shaped as Windows reports it, with the known folders below the stand-in root. There an
    // account's folder below Users/ bears its name, as its hive does.
    const ProfileAccount account = ProfileAccount::current();
    const QString root = standInRoot();
    const QString roaming = account.isOwn()
            ? root + QLatin1String("/Users/") + standInUser() + QLatin1String("/AppData/Roaming")
            : account.roamingFolder();
    const QString appName = QCoreApplication::applicationName();
    const QString appDir = QCoreApplication::applicationDirPath();
    QStringList locations{ root + QLatin1String("/ProgramData/") + appName, appDir,
                           appDir + QLatin1String("/data"),
                           appDir + QLatin1String("/data/") + appName };
    if (!roaming.isEmpty())
        locations.prepend(roaming + QLatin1Char('/') + appName);
    return locations;
#endif
}
