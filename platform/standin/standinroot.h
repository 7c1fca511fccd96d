#ifndef STANDINROOT_H
#define STANDINROOT_H

#include <QString>

// Off Windows the registry and the known folders are stood in for below one folder: the one named
// by REPAIRTOOL_ROOT, else the demo system's folder in the user's own application data.
QString standInRoot();

#endif // STANDINROOT_H
