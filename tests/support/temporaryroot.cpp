#include "temporaryroot.h"

#include "disposablemachine.h"

#include <QFile>

TemporaryRoot::TemporaryRoot()
    : previous(qgetenv("REPAIRTOOL_ROOT"))
    , hadPrevious(qEnvironmentVariableIsSet("REPAIRTOOL_ROOT"))
{
    // Where nothing is stood in for, the suites change the machine itself.
    requireDisposableMachine();
    qputenv("REPAIRTOOL_ROOT", QFile::encodeName(dir.path()));
}

TemporaryRoot::~TemporaryRoot()
{
    if (hadPrevious)
        qputenv("REPAIRTOOL_ROOT", previous);
    else
        qunsetenv("REPAIRTOOL_ROOT");
}
