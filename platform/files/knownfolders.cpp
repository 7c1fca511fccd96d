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

namespace {

#ifdef Q_OS_WIN
// The roaming application data of the token's account (null: the process's), with forward
// slashes as the toolkit gives it; empty where it cannot be told.
QString roamingAppData(HANDLE token)
{
    wchar_t *path = nullptr;
    QString folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DONT_VERIFY, token, &path)))
        folder = QDir::fromNativeSeparators(QString::fromWCharArray(path));
    CoTaskMemFree(path);
    return folder;
}
#endif

} // namespace

QStringList appDataLocations()
{
#ifdef Q_OS_WIN
    const QStringList locations
            = QStandardPaths::standardLocations(QStandardPaths::AppDataLocation);
    const ProfileAccount account = ProfileAccount::current();
    if (account.isOwn())
        return locations;
    // The toolkit knows the process's own roaming folder only: the desktop's takes its place.
    // Where that cannot be found, no roaming folder is left to act on, not even the process's.
    const QString own = roamingAppData(nullptr);
    const QString desktop = roamingAppData(account.token());
    if (desktop.isEmpty())
        qWarning("The roaming application data of %s cannot be found",
                 qUtf8Printable(account.hiveName()));
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
    const QString user = account.isOwn() ? standInUser() : account.hiveName();
    const QString appName = QCoreApplication::applicationName();
    const QString root = standInRoot();
    const QString appDir = QCoreApplication::applicationDirPath();
    return { root + QLatin1String("/Users/") + user + QLatin1String("/AppData/Roaming/") + appName,
             root + QLatin1String("/ProgramData/") + appName, appDir,
             appDir + QLatin1String("/data"), appDir + QLatin1String("/data/") + appName };
#endif
}
