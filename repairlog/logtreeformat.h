#ifndef LOGTREEFORMAT_H
#define LOGTREEFORMAT_H

#include "repairlog/logtrees.h"

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

// The rebuilt trees as support reads them: each key once with its values below it, as the
// Registry Editor's export groups them; values quoted, followed by what the check says about
// their lines (notes).
QString formatLogTrees(const LogTrees &trees, const QHash<const LogValue *, QStringList> &notes);

// The rebuilt trees as a Registry Editor file, UTF-16LE with byte-order mark and CR LF ends,
// every value a string (the log keeps only their text). With a hive name, only that hive's tree:
// the form of a stand-in hive file. A key or value whose name the file cannot hold as itself (a
// line break in it) is left out, a key with everything below it, and named in leftOut as the
// reader shows names. Empty when the written file does not read back as exactly the keys and
// values meant, all in the log's trees.
QByteArray logTreesToRegFile(const LogTrees &trees, const QString &hive = QString(),
                             QStringList *leftOut = nullptr);

// Every value of the trees by its key's registry path and its quoted name ("@" for the default
// value), mapped to its text.
QMap<QPair<QString, QString>, QString> logValues(const LogTrees &trees);
// The same values themselves.
QMap<QPair<QString, QString>, const LogValue *> logValuesByName(const LogTrees &trees);

#endif // LOGTREEFORMAT_H
