#include "temporaryroot.h"

#include "disposablemachine.h"

#include <QFile>

TemporaryRoot::TemporaryRoot()
    : previous(qgetenv("REPAIRTOOL_ROOT"))
    , hadPrevious(qEnvironmentVariableIsSet("REPAIRTOOL_ROOT"))
    , previousDesktop(qgetenv("REPAIRTOOL_DESKTOP_USER"))
    , hadPreviousDesktop(qEnvironmentVariableIsSet("REPAIRTOOL_DESKTOP_USER"))
{
    // Where nothing is stood in for, the suites change the machine itself.
    requireDisposableMachine();
    qputenv("REPAIRTOOL_ROOT", QFile::encodeName(dir.path()));
    qunsetenv("REPAIRTOOL_DESKTOP_USER");
}

TemporaryRoot::~TemporaryRoot()
{
    if (hadPrevious)
        qputenv("REPAIRTOOL_ROOT", previous);
    else
        qunsetenv("REPAIRTOOL_ROOT");
    if (hadPreviousDesktop)
        qputenv("REPAIRTOOL_DESKTOP_USER", previousDesktop);
    else
        qunsetenv("REPAIRTOOL_DESKTOP_USER");
}
