#include "standinroot.h"

#include <QDir>
#include <QStandardPaths>

QString standInRoot()
{
    const QString root = QString::fromLocal8Bit(qgetenv("REPAIRTOOL_ROOT"));
    if (!root.isEmpty())
        return QDir::cleanPath(QDir(root).absolutePath());
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QLatin1String("/KormandRepairTool-standin");
}
