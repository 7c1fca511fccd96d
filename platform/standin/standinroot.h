#ifndef STANDINROOT_H
#define STANDINROOT_H

#include <QString>

// Off Windows the registry and the known folders are stood in for below one folder: the one named
// by REPAIRTOOL_ROOT, else the demo system's folder in the user's own application data.
QString standInRoot();

// The account the tool runs as: USER, or "user" when that is unset. Its roaming application data
// is <standInRoot()>/Users/<account>/AppData/Roaming.
QString standInUser();

#endif // STANDINROOT_H
