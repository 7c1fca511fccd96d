// Writes to the registry without end, as Velto Studio may while the support log is made, so that
// a suite can dump the registry meanwhile. Round after round, every settings key named on the
// command line gets the text "Runde <round>"; with each of these writes the value "Schreibzähler"
// directly below the root counts the writes so far. Runs until it is killed.
//   registrywriter <root path> <settings key>...

#include "registryseed.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 3)
        return 2;
    const QString root = arguments.at(1);
    const QStringList keys = arguments.mid(2);
    int writes = 0;
    for (int round = 1;; ++round) {
        for (const QString &key : keys) {
            seedRegistryValues(root,
                               { qMakePair(key, QVariant(QStringLiteral("Runde %1").arg(round))),
                                 qMakePair(QStringLiteral("Schreibzähler"), QVariant(++writes)) });
        }
    }
}
