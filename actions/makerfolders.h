#ifndef MAKERFOLDERS_H
#define MAKERFOLDERS_H

#include <QStringList>

// The maker's folders, derived from the tool's own application-data locations in list order:
// each entry that contains "AppData" and, tested on its own, each that contains "ProgramData"
// (an entry passing both counts twice), with "KormandRepairTool" replaced by "Kormand". Only
// folders then named "Kormand" themselves are the maker's: under another executable name there are
// none. Entries that are the executable's folder or lie below it, or whose maker folder would, are
// left out: the tool never removes itself.
QStringList makerFolders(const QStringList &locations, const QString &executableDir);

// The same for the entries that contain "AppData" alone.
QStringList roamingMakerFolders(const QStringList &locations, const QString &executableDir);

#endif // MAKERFOLDERS_H
