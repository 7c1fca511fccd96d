#ifndef REGFILEFORMAT_H
#define REGFILEFORMAT_H

#include "platform/registry/registrynode.h"

#include <QString>

// The text format of the Windows Registry Editor's export ("Windows Registry Editor Version
// 5.00"), for one hive whose root node carries the hive's name.

// Reads the keys and values of text into hive. On failure, tells the 1-based line and why.
bool parseRegFile(const QString &text, RegistryNode *hive, int *errorLine, QString *error);
// The whole hive as export text, lines ended with lineEnd.
QString formatRegFile(const RegistryNode &hive, const QString &lineEnd);

#endif // REGFILEFORMAT_H
