#ifndef JUNCTION_H
#define JUNCTION_H

#include <QString>

// Makes link a new junction (the mount-point reparse point of "mklink /J") to the folder target.
// False, with the reason in why, where that cannot be done: off Windows, or on a file system that
// takes no reparse points (Wine's, for one).
bool makeJunction(const QString &link, const QString &target, QString *why);

#endif // JUNCTION_H
