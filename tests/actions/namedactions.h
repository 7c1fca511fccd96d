#ifndef NAMEDACTIONS_H
#define NAMEDACTIONS_H

#include <QString>

// The actions' entry points by their names, so that data rows and child processes can name them.
using ActionEntry = void (*)();
ActionEntry actionNamed(const QString &name);

#endif // NAMEDACTIONS_H
