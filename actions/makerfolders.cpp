#include "actions/makerfolders.h"

namespace {

// Windows paths compare without case, and erring towards "inside" only ever spares a folder.
bool isSameOrBelow(const QString &path, const QString &folder)
{
    return path.compare(folder, Qt::CaseInsensitive) == 0
            || path.startsWith(folder + QLatin1Char('/'), Qt::CaseInsensitive);
}

QStringList selectMakerFolders(const QStringList &locations, const QString &executableDir,
                               const QStringList &markers)
{
    QStringList folders;
    for (const QString &location : locations) {
        QString folder = location;
        folder.replace(QLatin1String("KormandRepairTool"), QLatin1String("Kormand"),
                       Qt::CaseSensitive);
        if (isSameOrBelow(location, executableDir) || isSameOrBelow(folder, executableDir))
            continue;
        for (const QString &marker : markers) {
            if (location.indexOf(marker, 0, Qt::CaseSensitive) != -1)
                folders.append(folder);
        }
    }
    return folders;
}

} // namespace

QStringList makerFolders(const QStringList &locations, const QString &executableDir)
{
    return selectMakerFolders(locations, executableDir,
                              { QStringLiteral("AppData"), QStringLiteral("ProgramData") });
}

QStringList roamingMakerFolders(const QStringList &locations, const QString &executableDir)
{
    return selectMakerFolders(locations, executableDir, { QStringLiteral("AppData") });
}
