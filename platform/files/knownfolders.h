#ifndef KNOWNFOLDERS_H
#define KNOWNFOLDERS_H

#include <QStringList>

// The tool's application-data folders in the toolkit's order, with forward slashes: the user's
// roaming application data, ProgramData, then the executable's folder and its data subfolders.
// The roaming folder is that of the account whose profile the per-user parts act on
// (ProfileAccount), which is not always the process's own.
QStringList appDataLocations();

#endif // KNOWNFOLDERS_H
