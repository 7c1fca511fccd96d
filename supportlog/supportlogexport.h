#ifndef SUPPORTLOGEXPORT_H
#define SUPPORTLOGEXPORT_H

#include <QStringList>

// Tells the user what is coming, asks for a directory and writes "velto.kormand_repair" there:
// one line per entry, each the Base64 of the entry sealed with the support log key. An existing
// log is replaced only by a completely written new one. The outcome is reported in a message box.
void exportSupportLog(const QStringList &lines);

#endif // SUPPORTLOGEXPORT_H
