// Runs support's reader (check, tree, reg) on logs that an attacker seals with the shipped key,
// each beside an ordinary log of about the same file size, and prints for each command the wall
// time and the peak memory of the reader's process, and their ratios to the ordinary log's.
// Hostile kinds: those of HostileLogs::attackerLogs().
// The reader runs as a process of its own, so that a crash shows as one and its memory is its own;
// the first argument, if any, names another build of it to measure (an older one, say).

#include "benchsupport.h"
#include "hostilelogs.h"
#include "measuredrun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <vector>

namespace {

const qint64 mib = 1024 * 1024;

struct Run
{
    qint64 ms = 0;
    MeasuredRun run;
};

Run timedRun(const QString &reader, const QString &command, const QString &file)
{
    QElapsedTimer timer;
    timer.start();
    Run run;
    run.run = runMeasured(reader, { command, file });
    run.ms = timer.elapsed();
    return run;
}

QString outcome(const MeasuredRun &run)
{
    return run.crashed ? QStringLiteral("crashed") : QStringLiteral("exit %1").arg(run.exitCode);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QString reader
            = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(REPAIRLOG_PATH);
    QTemporaryDir dir;
    out << "kind | file size | command | hostile: time, peak memory, outcome | ordinary: time, "
           "peak memory | ratios (time, memory)\n";
    for (const HostileLogs::AttackerLog &kind : HostileLogs::attackerLogs()) {
        const QString hostilePath = dir.filePath(QStringLiteral("hostile.kormand_repair"));
        const QString ordinaryPath = dir.filePath(QStringLiteral("ordinary.kormand_repair"));
        QFile hostile(hostilePath), ordinary(ordinaryPath);
        if (!hostile.open(QIODevice::WriteOnly)
            || hostile.write(kind.content) != kind.content.size()
            || !ordinary.open(QIODevice::WriteOnly))
            return 1;
        hostile.close();
        ordinary.write(HostileLogs::ordinaryLogOfSize(kind.content.size()));
        ordinary.close();
        for (const QString command : { "check", "tree", "reg" }) {
            const Run bad = timedRun(reader, command, hostilePath);
            const Run good = timedRun(reader, command, ordinaryPath);
            out << kind.name << " | " << kind.content.size() << " B | " << command << " | "
                << bad.ms << " ms, " << bad.run.peakBytes / mib << " MiB, " << outcome(bad.run)
                << " | " << good.ms << " ms, " << good.run.peakBytes / mib << " MiB | "
                << ratio(bad.ms, good.ms) << ", " << ratio(bad.run.peakBytes, good.run.peakBytes)
                << "\n";
            out.flush();
        }
    }
    return 0;
}
