#include "temporaryroot.h"

#include <QFile>

TemporaryRoot::TemporaryRoot()
    : previous(qgetenv("REPAIRTOOL_ROOT"))
    , hadPrevious(qEnvironmentVariableIsSet("REPAIRTOOL_ROOT"))
{
    qputenv("REPAIRTOOL_ROOT", QFile::encodeName(dir.path()));
}

TemporaryRoot::~TemporaryRoot()
{
    if (hadPrevious)
        qputenv("REPAIRTOOL_ROOT", previous);
    else
        qunsetenv("REPAIRTOOL_ROOT");
}
