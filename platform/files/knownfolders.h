#ifndef KNOWNFOLDERS_H
#define KNOWNFOLDERS_H

#include <QStringList>

// The tool's application-data folders in the toolkit's order, with forward slashes: the user's
// roaming application data, ProgramData, then the executable's folder and its data subfolders.
// The roaming folder is that of the account whose profile the per-user parts act on
// (ProfileAccount), which is not always the process's own.
// Where the desktop's account cannot be told, there is no roaming folder among them.
QStringList appDataLocations();

#ifdef Q_OS_WIN
// The roaming application data of the token's account (null: the process's), with forward
// slashes as the toolkit gives it; empty where it cannot be told.
QString roamingAppData(void *token);
#endif

#endif // KNOWNFOLDERS_H
