#include "actions/makerfolders.h"

namespace {

// Windows paths compare without case, and erring towards "inside" only ever spares a folder.
bool isSameOrBelow(const QString &path, const QString &folder)
{
    return path.compare(folder, Qt::CaseInsensitive) == 0
            || path.startsWith(folder + QLatin1Char('/'), Qt::CaseInsensitive);
}

// Only a folder of the maker's own name is ever the maker's: under another executable name the
// locations name other vendors' folders ("Microsoft"), which are no business of the tool.
bool isNamedForMaker(QString folder)
{
    const auto isSeparator
            = [](QChar c) { return c == QLatin1Char('/') || c == QLatin1Char('\\'); };
    while (!folder.isEmpty() && isSeparator(folder.back()))
        folder.chop(1);
    int start = folder.size();
    while (start > 0 && !isSeparator(folder.at(start - 1)))
        --start;
    return folder.mid(start) == QLatin1String("Kormand");
}

QStringList selectMakerFolders(const QStringList &locations, const QString &executableDir,
                               const QStringList &markers)
{
    QStringList folders;
    for (const QString &location : locations) {
        QString folder = location;
        folder.replace(QLatin1String("KormandRepairTool"), QLatin1String("Kormand"),
                       Qt::CaseSensitive);
        if (!isNamedForMaker(folder) || isSameOrBelow(location, executableDir)
            || isSameOrBelow(folder, executableDir))
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
