// Writes the forged logs of HostileLogs::attackerLogs() into a folder, one file each named by
// its kind, for the runs of the Windows reader under Wine.
//   hostilelogwriter FOLDER

#include "filecontents.h"
#include "hostilelogs.h"

#include <QCoreApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    for (const HostileLogs::AttackerLog &log : HostileLogs::attackerLogs()) {
        QString name = log.name;
        name.replace(QRegExp(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("-"));
        if (!writeFile(folder.filePath(name + QStringLiteral(".kormand_repair")), log.content))
            return 1;
    }
    return 0;
}
