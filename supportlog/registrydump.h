#ifndef REGISTRYDUMP_H
#define REGISTRYDUMP_H

#include <QString>
#include <QStringList>

class RegistryReader;

// The support log's text: everything stored below the maker's two registry trees, current user
// first. Each tree opens with a blank line (one space), a separator and "Mein Entry: <root>";
// a group directly below a root with a separator and its path, a deeper group with a blank line
// and a separator. Every group lists all values of its subtree, so deeper values repeat; groups
// and values in the order of their names, written as dumpnames.h says.
// Each tree is read once, before the first line is made, so all copies of a value agree even
// while another program writes to the registry.
QStringList dumpRegistry();
// The same lines, read level by level through registry, which names keys and values as the
// registry holds them.
QStringList dumpRegistry(const RegistryReader &registry);

// The maker's trees, in the order the dump writes them.
QStringList dumpRootPaths();
// The dump's fixed lines and the line that opens a tree, as support's reader expects them too.
QString dumpBlankLine();
QString dumpSeparator();
QString dumpRootHeader(const QString &rootPath);

// True when any value is stored at or below the path.
bool hasAnyKeys(const RegistryReader &registry, const QString &path);
// True when the path has at least one subkey.
bool hasChildGroups(const RegistryReader &registry, const QString &path);
// Appends "[path] + [relative key]: text" for every value at or below the path, the registry's
// path of a key.
void appendKeyLines(const RegistryReader &registry, const QString &path, QStringList &lines);
// Appends the block of every subkey below the path in the deeper-group form, recursively.
void appendNestedGroups(const RegistryReader &registry, const QString &path, QStringList &lines);

#endif // REGISTRYDUMP_H
