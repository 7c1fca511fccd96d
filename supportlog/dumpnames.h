#ifndef DUMPNAMES_H
#define DUMPNAMES_H

#include <QString>
#include <QStringList>

// How the support log writes the registry's names into its lines, and how a reader takes them
// back. A path (a group's header line, "[%1]" of a key line) is the root path and the names of
// the keys below it, joined with "\", each as the registry holds it. A relative key ("[%2]" of a
// key line) is the names of the keys on the way down and the value's name, joined with "/", each
// as the toolkit's settings layer lists it: "/" and "\" swapped, "." for a key's default value.
// A name that would read otherwise is written between double quotes as the registry holds it,
// with every double quote in it doubled: a value's name that holds "\" or is ".", and any name
// that holds "] + [" or "]: " or begins with a double quote. Every other line stays as the
// settings layer would have it.

// A key's name in a path.
QString dumpPathName(const QString &keyName);
// A registry path with each key's name as dumpPathName writes it.
QString dumpPath(const QString &registryPath);
// The names of the keys below the listed path and the value's name (empty for the default
// value) as "[%2]" of a key line.
QString dumpRelativeKey(const QStringList &keyNames, const QString &valueName);
// "[path] + [relative key]: text".
QString dumpKeyLine(const QString &path, const QString &relativeKey, const QString &text);

// Splits a key line into its path, relative key (both as written) and text; false for any other
// line.
bool splitDumpKeyLine(const QString &line, QString *path, QString *relativeKey, QString *text);
// The names of a written path, from the hive on, as the registry holds them; false when it is
// none the dump writes.
bool readDumpPath(const QString &path, QStringList *keyNames);
// The key names and the value's name of a written relative key, as the registry holds them.
bool readDumpRelativeKey(const QString &relativeKey, QStringList *keyNames, QString *valueName);

#endif // DUMPNAMES_H
