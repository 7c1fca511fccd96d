#include "platform/standin/standinroot.h"

#include <QDir>
#include <QStandardPaths>

QString standInRoot()
{
    const QString root = QString::fromLocal8Bit(qgetenv("REPAIRTOOL_ROOT"));
    if (!root.isEmpty())
        return QDir::cleanPath(QDir(root).absolutePath());
    // Never named after the tool: the folder fixes turn every "KormandRepairTool" in a path into
    // "Kormand", which would send them into a neighbouring folder.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QLatin1String("/velto-repair-demo");
}

QString standInUser()
{
    const QString user = QString::fromLocal8Bit(qgetenv("USER"));
    return user.isEmpty() ? QStringLiteral("user") : user;
}
