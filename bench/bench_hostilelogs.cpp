// Runs support's reader (check, tree, reg) on logs that an attacker seals with the shipped key,
// each beside an ordinary log of about the same file size, and prints for each command the wall
// time and the peak memory of the reader's process, and their ratios to the ordinary log's.
// Hostile kinds: a line that opens to 1 GiB, a line of 256 MiB, eight such lines, a value
// 100,000 keys deep, one 10,000 keys deep, and a key name that breaks the .reg file's line.
// The reader runs as a process of its own, so that a crash shows as one and its memory is its own;
// the first argument, if any, names another build of it to measure (an older one, say).

#include "benchsupport.h"
#include "hostilelogs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace {

struct Run
{
    qint64 ms = 0;
    long peakKiB = 0;
    int status = 0;
};

// The reader on one file, its output thrown away.
Run runReader(const QByteArray &program, const QString &command, const QString &file)
{
    const QByteArray commandBytes = command.toLocal8Bit();
    const QByteArray fileBytes = file.toLocal8Bit();
    QElapsedTimer timer;
    timer.start();
    const pid_t child = fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execl(program.constData(), program.constData(), commandBytes.constData(),
              fileBytes.constData(), static_cast<char *>(nullptr));
        _exit(127);
    }
    Run run;
    rusage usage = {};
    wait4(child, &run.status, 0, &usage);
    run.ms = timer.elapsed();
    run.peakKiB = usage.ru_maxrss;
    return run;
}

QString outcome(int status)
{
    if (WIFSIGNALED(status))
        return QStringLiteral("killed by signal %1").arg(WTERMSIG(status));
    return QStringLiteral("exit %1").arg(WEXITSTATUS(status));
}

// An ordinary log of at least size bytes: many values of the form a genuine log holds.
QByteArray ordinaryLog(qint64 size)
{
    QStringList lines = HostileLogs::ordinaryLines().mid(0, 3);
    QByteArray content = HostileLogs::sealed(lines);
    const QString line = HostileLogs::longValueLine(40);
    const QByteArray sealedLine = HostileLogs::sealed({ line });
    while (content.size() < size)
        content += sealedLine;
    return content;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QByteArray reader = argc > 1 ? QByteArray(argv[1]) : QByteArray(REPAIRLOG_PATH);
    QTemporaryDir dir;
    const QString opening
            = QString::fromLatin1(HostileLogs::sealed(HostileLogs::ordinaryLines().mid(0, 3)));
    const QString lineStart = HostileLogs::longValueLine(0);
    struct Kind
    {
        QString name;
        QByteArray content;
    };
    std::vector<Kind> kinds;
    kinds.push_back(
            { QStringLiteral("line opening to 1 GiB"),
              opening.toLatin1() + HostileLogs::compressedLine(lineStart, 1 << 30, 1000) + '\n' });
    const QByteArray line256 = HostileLogs::compressedLine(lineStart, 256 << 20, 256 << 20);
    kinds.push_back({ QStringLiteral("one line of 256 MiB"), opening.toLatin1() + line256 + '\n' });
    QByteArray eight = opening.toLatin1();
    for (int i = 0; i < 8; ++i)
        eight += line256 + '\n';
    kinds.push_back({ QStringLiteral("eight lines of 256 MiB"), eight });
    for (const int depth : { 100000, 10000 })
        kinds.push_back({ QStringLiteral("value %1 keys deep").arg(depth),
                          HostileLogs::sealed(HostileLogs::ordinaryLines().mid(0, 3)
                                              << HostileLogs::deepValueLine(depth)) });
    kinds.push_back({ QStringLiteral("key name with a line break and a header"),
                      HostileLogs::sealed(HostileLogs::namedKeyLines(
                              QStringLiteral("x\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\"
                                             "Windows\\CurrentVersion\\Run]"),
                              QStringLiteral("Pfad"))) });

    out << "kind | file size | command | hostile: time, peak memory, outcome | ordinary: time, "
           "peak memory | ratios (time, memory)\n";
    for (const Kind &kind : kinds) {
        const QString hostilePath = dir.filePath(QStringLiteral("hostile.kormand_repair"));
        const QString ordinaryPath = dir.filePath(QStringLiteral("ordinary.kormand_repair"));
        QFile hostile(hostilePath), ordinary(ordinaryPath);
        if (!hostile.open(QIODevice::WriteOnly)
            || hostile.write(kind.content) != kind.content.size()
            || !ordinary.open(QIODevice::WriteOnly))
            return 1;
        hostile.close();
        ordinary.write(ordinaryLog(kind.content.size()));
        ordinary.close();
        for (const QString command : { "check", "tree", "reg" }) {
            const Run bad = runReader(reader, command, hostilePath);
            const Run good = runReader(reader, command, ordinaryPath);
            out << kind.name << " | " << kind.content.size() << " B | " << command << " | "
                << bad.ms << " ms, " << bad.peakKiB / 1024 << " MiB, " << outcome(bad.status)
                << " | " << good.ms << " ms, " << good.peakKiB / 1024 << " MiB | "
                << ratio(bad.ms, good.ms) << ", " << ratio(bad.peakKiB, good.peakKiB) << "\n";
            out.flush();
        }
    }
    return 0;
}
