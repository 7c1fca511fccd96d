// Writes the support log of the registry as the log button does, without its boxes and dialog:
// the dump, sealed line by line. Usage: supportlogwriter <file>. Where the registry is stood in
// for, REPAIRTOOL_ROOT names the stand-in (the demo system of scripts/run, say).

#include "filecontents.h"
#include "supportlog/registrydump.h"
#include "supportlogtesting.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2)
        return 2;
    return writeFile(arguments.at(1), sealedLog(dumpRegistry())) ? 0 : 1;
}
