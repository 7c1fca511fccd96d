#ifndef KNOWNFOLDERS_H
#define KNOWNFOLDERS_H

#include <QStringList>

// The tool's application-data folders in the toolkit's order, with forward slashes: the user's
// roaming application data, ProgramData, then the executable's folder and its data subfolders.
QStringList appDataLocations();

#endif // KNOWNFOLDERS_H
