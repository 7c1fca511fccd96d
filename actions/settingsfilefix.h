#ifndef SETTINGSFILEFIX_H
#define SETTINGSFILEFIX_H

#include <QStringList>

// The stale settings file and its companion in each roaming maker folder, in the order in which
// they are deleted: "velto.set", then "velto.~se", folder by folder.
QStringList staleSettingsFiles(const QStringList &locations, const QString &executableDir);

// Deletes the stale settings files after confirmation and reports whether they are gone.
void fixVeltoSetFile();

#endif // SETTINGSFILEFIX_H
