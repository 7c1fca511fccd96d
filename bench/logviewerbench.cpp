// Times support's log viewer on a sealed log of about 100,000 lines (both maker trees three keys
// deep and eight wide, 22 values in every key) beside repairlog check on the same file: from
// asking the window to open the log until it shows the verdict, the trees and the lines, and the
// longest the window's event loop went without turning meanwhile, which is how long the window
// froze. Then the same pause while a filter narrows the trees, and while the log is compared with
// an earlier one whose every tenth value differs. Prints the shortest of three runs each, in wall
// and processor time, the ratio of the opening to the check and the goal. Then, for each forged log
// of HostileLogs::attackerLogs() beside an ordinary log of the same file size, the opening's time
// and its longest pause.

#include "benchsupport.h"
#include "hostilelogs.h"
#include "logviewer/logviewerwindow.h"
#include "repairlog/logcheck.h"
#include "repairlog/repairlogtool.h"
#include "supportlog/registrydump.h"
#include "supportlog/repaircipher.h"
#include "supportlog/supportlogkey.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <ctime>
#include <functional>

namespace {

const qint64 goalMs = 2000;
const int depth = 3;
const int width = 8;
const int valuesPerKey = 22;

void fillKey(LogKey *key, int level, bool earlier)
{
    for (int v = 0; v < valuesPerKey; ++v)
        key->values.append({ QStringLiteral("Wert %1").arg(v, 2, 10, QLatin1Char('0')),
                             QStringLiteral("Track %1 - K\u00FCnstler %2")
                                     .arg(v)
                                     .arg(earlier && v % 10 == 0 ? -level : level),
                             0 });
    if (level == depth)
        return;
    for (int i = 0; i < width; ++i) {
        key->children.push_back(std::make_unique<LogKey>());
        LogKey *child = key->children.back().get();
        child->name = QStringLiteral("Ordner %1").arg(i);
        child->parent = key;
        fillKey(child, level + 1, earlier);
    }
}

// The log the tool writes for the trees, sealed as it seals it; false when it cannot be written.
bool writeLog(const QString &path, bool earlier, int *lineCount)
{
    LogTrees trees;
    for (const QString &rootPath : dumpRootPaths()) {
        trees.roots.push_back(std::make_unique<LogKey>());
        trees.roots.back()->name = rootPath;
        fillKey(trees.roots.back().get(), 0, earlier);
    }
    const QVector<ExpectedLine> lines = predictLog(trees);
    *lineCount = lines.size();
    RepairCipher cipher(SupportLogKey);
    QByteArray content;
    for (const ExpectedLine &line : lines)
        content += cipher.encryptTextToBase64(line.text).toLatin1() + '\n';
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.flush();
}

struct Measured
{
    qint64 ms = -1;
    // Processor time of all the process's threads: on a machine shared with other work, wall
    // time mostly shows the load, processor time the work itself.
    qint64 processorMs = -1;
    qint64 longestPauseMs = 0;

    void keepShorter(const Measured &other)
    {
        if (ms < 0 || other.ms < ms)
            *this = other;
    }
};

qint64 processorMsSince(std::clock_t start)
{
    return qint64(std::clock() - start) * 1000 / CLOCKS_PER_SEC;
}

Measured timeCheck(const QString &path, QString *verdict)
{
    QBuffer in, out, err;
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    RepairLogTool tool(&in, &out, &err);
    Measured measured;
    QElapsedTimer clock;
    clock.start();
    const std::clock_t processorStart = std::clock();
    tool.run({ QStringLiteral("repairlog"), QStringLiteral("check"), path });
    measured.ms = clock.elapsed();
    measured.processorMs = processorMsSince(processorStart);
    *verdict = QString::fromUtf8(out.data()).trimmed();
    return measured;
}

// Runs the event loop from start until start's work quits it: how long that took, and the longest
// the loop went meanwhile without turning.
Measured measure(const std::function<void(QEventLoop *)> &start)
{
    QEventLoop loop;
    QElapsedTimer clock, sinceTick;
    QTimer ticks;
    ticks.setInterval(5);
    Measured measured;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        measured.longestPauseMs = qMax(measured.longestPauseMs, sinceTick.restart());
    });
    QApplication::processEvents();
    clock.start();
    const std::clock_t processorStart = std::clock();
    sinceTick.start();
    ticks.start();
    start(&loop);
    loop.exec();
    // The window has drawn what it shows once the events queued meanwhile are done.
    QApplication::processEvents();
    measured.ms = clock.elapsed();
    measured.processorMs = processorMsSince(processorStart);
    measured.longestPauseMs = qMax(measured.longestPauseMs, sinceTick.elapsed());
    return measured;
}

struct ViewerTimes
{
    Measured opening;
    Measured filtering;
    Measured comparing;
};

ViewerTimes timeViewer(const QString &path, const QString &earlierPath)
{
    ViewerTimes times;
    LogViewerWindow window;
    window.show();
    times.opening = measure([&](QEventLoop *loop) {
        QObject::connect(&window, &LogViewerWindow::logShown, loop, &QEventLoop::quit);
        window.openLog(path);
    });
    // Typed at once; the filter waits for a pause in the typing, then narrows the trees.
    times.filtering = measure([&](QEventLoop *loop) {
        window.findChild<QLineEdit *>(QStringLiteral("filterEdit"))
                ->setText(QStringLiteral("wert 07"));
        QTimer::singleShot(1000, loop, &QEventLoop::quit);
    });
    times.comparing = measure([&](QEventLoop *loop) {
        QObject::connect(&window, &LogViewerWindow::comparisonShown, loop, &QEventLoop::quit);
        window.compareWith(earlierPath);
    });
    return times;
}

// The opening of a log in a window of its own.
Measured timeOpening(const QString &path)
{
    LogViewerWindow window;
    window.show();
    return measure([&](QEventLoop *loop) {
        QObject::connect(&window, &LogViewerWindow::logShown, loop, &QEventLoop::quit);
        window.openLog(path);
    });
}

// Each forged log opened beside an ordinary log of its size, the shortest of three runs each.
void timeForgedLogs(const QTemporaryDir &dir, QTextStream &out)
{
    const QString forgedPath = dir.filePath(QStringLiteral("forged.kormand_repair"));
    const QString ordinaryPath = dir.filePath(QStringLiteral("ordinary.kormand_repair"));
    for (const HostileLogs::AttackerLog &kind : HostileLogs::attackerLogs()) {
        QFile forged(forgedPath), ordinary(ordinaryPath);
        if (!forged.open(QIODevice::WriteOnly) || forged.write(kind.content) != kind.content.size()
            || !ordinary.open(QIODevice::WriteOnly)
            || ordinary.write(HostileLogs::ordinaryLogOfSize(kind.content.size())) < 0) {
            out << "cannot write the logs into a temporary folder\n";
            return;
        }
        forged.close();
        ordinary.close();
        Measured forgedBest, ordinaryBest;
        for (int run = 0; run < 3; ++run) {
            forgedBest.keepShorter(timeOpening(forgedPath));
            ordinaryBest.keepShorter(timeOpening(ordinaryPath));
        }
        out << QStringLiteral("%1 (%2 KB): opened in %3 ms, at most %4 ms without handling "
                              "events; an ordinary log of its size %5 ms, at most %6 ms; ratio %7 "
                              "(pause %8).\n")
                        .arg(kind.name)
                        .arg(kind.content.size() / 1024)
                        .arg(forgedBest.ms)
                        .arg(forgedBest.longestPauseMs)
                        .arg(ordinaryBest.ms)
                        .arg(ordinaryBest.longestPauseMs)
                        .arg(ratio(forgedBest.ms, ordinaryBest.ms))
                        .arg(ratio(forgedBest.longestPauseMs, ordinaryBest.longestPauseMs));
        out.flush();
    }
}

} // namespace

int main(int argc, char *argv[])
{
    preferOffscreenPlatform();
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    int lineCount = 0;
    const QString path = dir.filePath(QStringLiteral("velto.kormand_repair"));
    const QString earlierPath = dir.filePath(QStringLiteral("earlier.kormand_repair"));
    if (!dir.isValid() || !writeLog(path, false, &lineCount)
        || !writeLog(earlierPath, true, &lineCount)) {
        out << "cannot write the logs into a temporary folder\n";
        return 1;
    }

    QString verdict;
    Measured check;
    ViewerTimes best;
    for (int run = 0; run < 3; ++run) {
        check.keepShorter(timeCheck(path, &verdict));
        const ViewerTimes times = timeViewer(path, earlierPath);
        best.opening.keepShorter(times.opening);
        best.filtering.keepShorter(times.filtering);
        best.comparing.keepShorter(times.comparing);
    }
    out << QStringLiteral(
                   "A log of %1 lines (%2 KB): repairlog check %3 ms (processor %4 ms, "
                   "\"%5\"); the viewer opens it in %6 ms (processor %7 ms), ratio %8 "
                   "(processor %9), its window at most %10 ms without handling events. Goal: "
                   "under %11 ms.\n")
                    .arg(lineCount)
                    .arg(QFileInfo(path).size() / 1024)
                    .arg(check.ms)
                    .arg(check.processorMs)
                    .arg(verdict)
                    .arg(best.opening.ms)
                    .arg(best.opening.processorMs)
                    .arg(ratio(best.opening.ms, check.ms))
                    .arg(ratio(best.opening.processorMs, check.processorMs))
                    .arg(best.opening.longestPauseMs)
                    .arg(goalMs)
        << QStringLiteral("Filter typed: the window at most %1 ms without handling events.\n")
                    .arg(best.filtering.longestPauseMs)
        << QStringLiteral("Compared with an earlier log, every tenth value changed: %1 ms, the "
                          "window at most %2 ms without handling events.\n")
                    .arg(best.comparing.ms)
                    .arg(best.comparing.longestPauseMs);
    out.flush();
    timeForgedLogs(dir, out);
    return best.opening.ms < goalMs ? 0 : 1;
}
