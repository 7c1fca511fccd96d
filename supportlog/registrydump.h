#ifndef REGISTRYDUMP_H
#define REGISTRYDUMP_H

#include <QString>
#include <QStringList>

// The support log's text: everything stored below the maker's two registry trees, current user
// first. Each tree opens with a blank line (one space), a separator and "Mein Entry: <root>";
// a group directly below a root with a separator and its path, a deeper group with a blank line
// and a separator. Every group lists all values of its subtree, so deeper values repeat.
QStringList dumpRegistry();

// True when any value is stored at or below the path.
bool hasAnyKeys(const QString &path);
// True when the path has at least one subkey.
bool hasChildGroups(const QString &path);
// Appends "[path] + [relative key]: text" for every value at or below the path.
void appendKeyLines(const QString &path, QStringList &lines);
// Appends the block of every subkey below the path in the deeper-group form, recursively.
void appendNestedGroups(const QString &path, QStringList &lines);

#endif // REGISTRYDUMP_H
