// Times the support log's registry dump, each tree read once into a snapshot, side by side with
// the same lines read level by level from the live registry, on both maker trees four keys deep
// and four wide with 1,000 values and five deep and five wide with 14,940 values; then the sealed
// export of the lines. Prints the times, their ratios and the goals. On Windows it seeds and reads
// the registry itself, so run it only where the suites may run (under Wine, say); elsewhere the
// stand-in in a temporary folder.

#include "benchsupport.h"
#include "liveregistry.h"
#include "modalanswerer.h"
#include "registryseed.h"
#include "supportlog/registrydump.h"
#include "supportlog/supportlogexport.h"
#include "supportlogtesting.h"
#include "temporaryroot.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <ctime>
#include <functional>

namespace {

const char *const levelNames[] = { "Bibliothek", "Ordner", "Liste", "Sammlung", "Titelgruppe" };
// How long the large trees may take on Windows.
const qint64 windowsGoalMs = 3000;

struct Shape
{
    int depth;
    int width;
    int values;
};

// The keys of one tree below its root, parents before children, as settings key prefixes.
void collectKeys(const QString &prefix, int level, const Shape &shape, QStringList *keys)
{
    if (level == shape.depth)
        return;
    for (int i = 0; i < shape.width; ++i) {
        const QString key
                = prefix + QStringLiteral("%1 %2/").arg(QLatin1String(levelNames[level])).arg(i);
        keys->append(key);
        collectKeys(key, level + 1, shape, keys);
    }
}

// The values spread evenly over the keys of both trees; every fifth is a number.
void seedTrees(const Shape &shape)
{
    QStringList keys;
    collectKeys(QString(), 0, shape, &keys);
    const QStringList roots = dumpRootPaths();
    const int keyCount = roots.size() * keys.size();
    int seeded = 0;
    for (int tree = 0; tree < roots.size(); ++tree) {
        QVector<QPair<QString, QVariant>> values;
        for (int k = 0; k < keys.size(); ++k) {
            const int index = tree * keys.size() + k;
            const int until = int(qint64(index + 1) * shape.values / keyCount);
            for (int v = 0; seeded < until; ++v, ++seeded) {
                const QString name = keys.at(k) + QStringLiteral("Wert %1").arg(v);
                values.append(qMakePair(name,
                                        seeded % 5 == 4
                                                ? QVariant(seeded)
                                                : QVariant(QStringLiteral("Track %1 - Künstler %2")
                                                                   .arg(seeded)
                                                                   .arg(seeded % 97))));
            }
        }
        seedRegistryValues(roots.at(tree), values);
    }
}

// Wall time and processor time in ms. On a shared machine wall time mostly shows the load; on
// the stand-in all work is the process's own, so its processor time shows the work itself.
struct Time
{
    qint64 wall = -1;
    qint64 processor = -1;
};

// The shortest of three runs; one run when it takes long (the per-level dump on Windows).
Time bestTime(const std::function<QStringList()> &dump, QStringList *lines)
{
    Time best;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer clock;
        clock.start();
        const std::clock_t processorStart = std::clock();
        *lines = dump();
        const qint64 wall = clock.elapsed();
        const qint64 processor = (std::clock() - processorStart) * 1000 / CLOCKS_PER_SEC;
        best.wall = best.wall < 0 ? wall : qMin(best.wall, wall);
        best.processor = best.processor < 0 ? processor : qMin(best.processor, processor);
        if (wall > 5000)
            break;
    }
    return best;
}

// From the accepted directory dialog to the end of the export: sealing, writing and the success
// box, which the answerer closes within its 10 ms timer; -1 when the export failed.
qint64 timeExport(const QStringList &lines)
{
    QTemporaryDir target;
    if (!target.isValid())
        return -1;
    QElapsedTimer clock;
    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    chooseDirectory(answerer, target.path(), [&clock] { clock.start(); });
    answerer.pressButton(QMessageBox::Ok);
    exportSupportLog(lines);
    const bool written = answerer.seenBoxes().size() == 2
            && answerer.seenBoxes().at(1).icon == QMessageBox::Information;
    return written ? clock.elapsed() : -1;
}

struct Timing
{
    int lines = 0;
    Time perLevel;
    Time snapshot;
    qint64 exportMs = 0;
    bool sameLines = false;
};

Timing timeDumps(const Shape &shape)
{
    Timing timing;
    TemporaryRoot root;
    if (!root.isValid())
        return timing;
    const EmptyMakerTrees emptyTrees;
    seedTrees(shape);
    QStringList perLevel;
    QStringList snapshot;
    timing.perLevel = bestTime([] { return dumpRegistry(LiveRegistry()); }, &perLevel);
    timing.snapshot = bestTime([] { return dumpRegistry(); }, &snapshot);
    timing.lines = snapshot.size();
    timing.sameLines = snapshot == perLevel;
    timing.exportMs = timeExport(snapshot);
    return timing;
}

// The offscreen platform cannot pass a window's size limits on and says so for every box and
// dialog; that tells nothing about the tool, so only this one message is left out.
QtMessageHandler forwardMessage = nullptr;
void leaveOutSizeHintNotice(QtMsgType type, const QMessageLogContext &context,
                            const QString &message)
{
    if (message != QLatin1String("This plugin does not support propagateSizeHints()"))
        forwardMessage(type, context, message);
}

} // namespace

int main(int argc, char *argv[])
{
    preferOffscreenPlatform();
    forwardMessage = qInstallMessageHandler(leaveOutSizeHintNotice);
    QApplication app(argc, argv);
    QTextStream out(stdout);
    out << (registryIsStandIn() ? "Registry: the stand-in's hive files in a temporary folder\n"
                                : "Registry: the Windows registry itself\n");

    // The first dialog and box of a process load what later ones reuse; keep that out.
    if (timeDumps({ 1, 1, 10 }).exportMs < 0) {
        out << "the export failed\n";
        return 1;
    }
    QList<Timing> timings;
    for (const Shape &shape : { Shape{ 4, 4, 1000 }, Shape{ 5, 5, 14940 } }) {
        const Timing t = timeDumps(shape);
        if (!t.sameLines || t.exportMs < 0) {
            out << (t.sameLines ? "the export failed\n"
                                : "the snapshot's lines differ from the per-level lines\n");
            return 1;
        }
        out << QStringLiteral("%1 values, both trees %2 keys deep and %3 wide, %4 log lines: dump "
                              "level by level %5 ms, from the snapshot %6 ms, ratio %7; sealed "
                              "export %8 ms")
                        .arg(shape.values)
                        .arg(shape.depth)
                        .arg(shape.width)
                        .arg(t.lines)
                        .arg(t.perLevel.wall)
                        .arg(t.snapshot.wall)
                        .arg(ratio(t.perLevel.wall, t.snapshot.wall))
                        .arg(t.exportMs)
            << '\n';
        if (registryIsStandIn())
            out << QStringLiteral("    processor time: level by level %1 ms, from the snapshot %2 "
                                  "ms, ratio %3")
                            .arg(t.perLevel.processor)
                            .arg(t.snapshot.processor)
                            .arg(ratio(t.perLevel.processor, t.snapshot.processor))
                << '\n';
        out.flush();
        timings << t;
    }
    const Timing &small = timings.at(0);
    const Timing &large = timings.at(1);
    out << QStringLiteral("ratio 14,940 : 1,000 values: lines %1, dump level by level %2, from "
                          "the snapshot %3")
                    .arg(ratio(large.lines, small.lines))
                    .arg(ratio(large.perLevel.wall, small.perLevel.wall))
                    .arg(ratio(large.snapshot.wall, small.snapshot.wall))
        << '\n';
    if (registryIsStandIn()) {
        out << QStringLiteral("goal on the stand-in: the snapshot no slower than level by level: "
                              "processor time %1 ms against %2 ms, %3")
                        .arg(large.snapshot.processor)
                        .arg(large.perLevel.processor)
                        .arg(large.snapshot.processor <= large.perLevel.processor ? "met"
                                                                                  : "missed")
            << '\n';
    } else {
        out << QStringLiteral("goal on Windows: 14,940 values dumped in at most %1 ms: %2 ms, %3")
                        .arg(windowsGoalMs)
                        .arg(large.snapshot.wall)
                        .arg(large.snapshot.wall <= windowsGoalMs ? "met" : "missed")
            << '\n';
    }
    return 0;
}
