#ifndef LINKS_H
#define LINKS_H

#include <QString>

// True for a symbolic link, a junction or any other reparse point, and for an entry whose
// attributes cannot be read: such an entry is removed as itself and never descended into, so a
// removal cannot be led out of the folder it was given.
bool isLink(const QString &path);

#endif // LINKS_H
