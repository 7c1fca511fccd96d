// Times support's reader on large logs of the tool's form: 100,000 values in one key, 40,000 keys
// below a tree's top with a value each, and 40,000 empty keys below one key (blocks without a
// name). For each log it runs open (reading and opening every line, the least any command does),
// check, tree, reg and diff (the log against itself) in one process and prints their times and
// their ratios to open: wall time, and processor time, which on a shared machine shows the work
// itself. The logs are made from the dump's own line forms; the stand-in's hive files would take
// long to hold such keys.

#include "benchsupport.h"
#include "repairlog/repairlogtool.h"
#include "supportlog/dumpnames.h"
#include "supportlog/registrydump.h"
#include "supportlog/repaircipher.h"
#include "supportlog/supportlogkey.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <ctime>

namespace {

// Within which the commands other than open should read such a log.
const qint64 goalMs = 2000;

const QString root = dumpRootPaths().at(0);

// The key lines of a block: "[path] + [key]: text" for each key, sorted as the dump sorts them.
QStringList keyLines(const QString &path, QVector<QPair<QString, QString>> values)
{
    std::sort(values.begin(), values.end());
    QStringList lines;
    for (const auto &value : qAsConst(values))
        lines << dumpKeyLine(path, value.first, value.second);
    return lines;
}

QStringList treeStart()
{
    return { dumpBlankLine(), dumpSeparator(), dumpRootHeader(root) };
}

QStringList treeEnd()
{
    return { dumpBlankLine(), dumpSeparator(), dumpRootHeader(dumpRootPaths().at(1)) };
}

QStringList valuesInOneKey()
{
    QVector<QPair<QString, QString>> inKey;
    QVector<QPair<QString, QString>> fromTop;
    for (int i = 0; i < 100000; ++i) {
        const QString name = QStringLiteral("Titel %1").arg(i);
        const QString text = QStringLiteral("D:/Musik/%1.mp3").arg(i);
        inKey.append({ name, text });
        fromTop.append({ QStringLiteral("Verlauf/") + name, text });
    }
    const QString key = root + QStringLiteral("\\Verlauf");
    return treeStart() + keyLines(root, fromTop) + QStringList{ dumpSeparator(), key }
    + keyLines(key, inKey) + treeEnd();
}

QStringList keysBelowTheTop()
{
    QVector<QPair<QString, QString>> fromTop;
    QStringList names;
    for (int i = 0; i < 40000; ++i) {
        names << QStringLiteral("Projekt %1").arg(i);
        fromTop.append({ names.last() + QStringLiteral("/Pfad"),
                         QStringLiteral("D:/Projekte/%1").arg(i) });
    }
    names.sort();
    QStringList lines = treeStart() + keyLines(root, fromTop);
    for (const QString &name : qAsConst(names)) {
        const QString key = root + QLatin1Char('\\') + name;
        lines << dumpSeparator() << key
              << dumpKeyLine(key, QStringLiteral("Pfad"),
                             QStringLiteral("D:/Projekte/%1").arg(name.mid(8)));
    }
    return lines + treeEnd();
}

QStringList emptyKeysBelowOneKey()
{
    const QString key = root + QStringLiteral("\\Cache");
    QStringList lines = treeStart()
            + QStringList{ dumpKeyLine(root, QStringLiteral("Cache/Stand"), QStringLiteral("1")),
                           dumpSeparator(), key,
                           dumpKeyLine(key, QStringLiteral("Stand"), QStringLiteral("1")) };
    for (int i = 0; i < 40000; ++i)
        lines << dumpBlankLine() << dumpSeparator();
    return lines + treeEnd();
}

struct Time
{
    qint64 wall = 0;
    qint64 processor = 0;
};

// The times of one run of the reader in ms, and its exit code.
Time timeCommand(const QStringList &arguments, int *exitCode)
{
    QBuffer in;
    QBuffer out;
    QBuffer err;
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    QElapsedTimer clock;
    clock.start();
    const std::clock_t processorStart = std::clock();
    *exitCode = RepairLogTool(&in, &out, &err)
                        .run(QStringList(QStringLiteral("repairlog")) + arguments);
    return { clock.elapsed(), (std::clock() - processorStart) * 1000 / CLOCKS_PER_SEC };
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QPair<const char *, QStringList> logs[] = {
        { "100,000 values in one key", valuesInOneKey() },
        { "40,000 keys below the top, a value each", keysBelowTheTop() },
        { "40,000 empty keys below one key", emptyKeysBelowOneKey() },
    };
    bool met = true;
    for (const auto &log : logs) {
        const QString path = dir.filePath(QStringLiteral("velto.kormand_repair"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        RepairCipher cipher(SupportLogKey);
        for (const QString &line : log.second)
            file.write(cipher.encryptTextToBase64(line).toLatin1() + '\n');
        file.close();
        out << log.first << ", " << log.second.size() << " log lines:\n";
        int exitCode = 0;
        const Time open = timeCommand({ QStringLiteral("open"), path }, &exitCode);
        out << QStringLiteral("  open %1 ms (processor %2 ms)\n")
                        .arg(open.wall)
                        .arg(open.processor);
        const QList<QStringList> commands = { { QStringLiteral("check"), path },
                                              { QStringLiteral("tree"), path },
                                              { QStringLiteral("reg"), path },
                                              { QStringLiteral("diff"), path, path } };
        for (const QStringList &command : commands) {
            const Time t = timeCommand(command, &exitCode);
            met = met && t.processor <= goalMs && exitCode == 0;
            out << QStringLiteral("  %1 %2 ms, ratio to open %3 (processor %4 ms, ratio %5)%6\n")
                            .arg(command.first())
                            .arg(t.wall)
                            .arg(ratio(t.wall, open.wall))
                            .arg(t.processor)
                            .arg(ratio(t.processor, open.processor))
                            .arg(exitCode == 0 ? QString()
                                               : QStringLiteral(" (exit %1)").arg(exitCode));
        }
        out.flush();
    }
    out << QStringLiteral("goal: every command on every log intact and within %1 ms of processor "
                          "time: %2\n")
                    .arg(goalMs)
                    .arg(met ? "met" : "missed");
    return 0;
}
