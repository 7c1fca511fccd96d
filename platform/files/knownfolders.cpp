#include "platform/files/knownfolders.h"

#include <QCoreApplication>
#include <QStandardPaths>

#ifndef Q_OS_WIN
#include "platform/standin/standinroot.h"
#endif

QStringList appDataLocations()
{
#ifdef Q_OS_WIN
    return QStandardPaths::standardLocations(QStandardPaths::AppDataLocation);
#else
    // Shaped as Windows reports it, with the known folders below the stand-in root.
    const QString appName = QCoreApplication::applicationName();
    QString user = QString::fromLocal8Bit(qgetenv("USER"));
    if (user.isEmpty())
        user = QStringLiteral("user");
    const QString root = standInRoot();
    const QString appDir = QCoreApplication::applicationDirPath();
    return { root + QLatin1String("/Users/") + user + QLatin1String("/AppData/Roaming/") + appName,
             root + QLatin1String("/ProgramData/") + appName, appDir,
             appDir + QLatin1String("/data"), appDir + QLatin1String("/data/") + appName };
#endif
}
