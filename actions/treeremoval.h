#ifndef TREEREMOVAL_H
#define TREEREMOVAL_H

#include <QString>

// Removes path with all its contents, walking the tree itself: the tool runs elevated in folders
// that unprivileged programs can write to, so a link, junction or other reparse point met on the
// way is removed as the entry it is and its target stays untouched. The folder keep and all that
// lies below it stay in place, and with them every folder that holds it. Failures are not
// reported: what could not be removed is simply still there.
void removeTree(const QString &path, const QString &keep);

#endif // TREEREMOVAL_H
