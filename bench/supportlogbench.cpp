// Times the support log's whole road, registry dump plus sealed export, on a stand-in tree of
// 1,000 and of 10,000 values five keys deep, and prints both times and their ratio.

#include "modalanswerer.h"
#include "supportlog/registrydump.h"
#include "supportlog/supportlogexport.h"
#include "supportlogtesting.h"
#include "temporaryroot.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QTemporaryDir>
#include <QTextStream>

#include <ctime>

namespace {

const int valuesPerKey = 10;

// Written as one hive file: seeding value by value would rewrite the file every time.
bool seedTree(const TemporaryRoot &root, int valueCount)
{
    QString text = QStringLiteral("Windows Registry Editor Version 5.00\r\n");
    for (int key = 0; key < valueCount / valuesPerKey; ++key) {
        text += QStringLiteral("\r\n[HKEY_CURRENT_USER\\Software\\Kormand\\Bibliothek %1\\"
                               "Ordner %2\\Liste %3\\Ebene 4\\Ebene 5]\r\n")
                        .arg(key / 100)
                        .arg(key / 10 % 10)
                        .arg(key % 10);
        for (int value = 0; value < valuesPerKey; ++value)
            text += QStringLiteral("\"Titel %1\"=\"Track %2 - Künstler %1\"\r\n")
                            .arg(value)
                            .arg(key * valuesPerKey + value);
    }
    QFile hive(root.filePath(QStringLiteral("registry/HKEY_CURRENT_USER.reg")));
    const QByteArray bytes = text.toUtf8();
    return QDir(root.path()).mkpath(QStringLiteral("registry")) && hive.open(QIODevice::WriteOnly)
            && hive.write(bytes) == bytes.size();
}

struct Timing
{
    int lines = 0;
    qint64 dumpMs = 0;
    // From the accepted directory dialog to the end of the export: sealing, writing and the
    // success box, which the answerer closes within its 10 ms timer.
    qint64 exportMs = 0;
    // Processor time of dump and export: on a shared machine wall time mostly shows the load.
    qint64 dumpCpuMs = 0;
    qint64 cpuMs = 0;
    bool written = false;
};

Timing timeRoad(int valueCount)
{
    Timing timing;
    TemporaryRoot root;
    QTemporaryDir target;
    if (!root.isValid() || !target.isValid() || !seedTree(root, valueCount))
        return timing;

    QElapsedTimer clock;
    std::clock_t cpuAfterDialog = 0;
    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Ok);
    chooseDirectory(answerer, target.path(), [&] {
        clock.start();
        cpuAfterDialog = std::clock();
    });
    answerer.pressButton(QMessageBox::Ok);

    QElapsedTimer dumpClock;
    dumpClock.start();
    const std::clock_t cpuStart = std::clock();
    const QStringList lines = dumpRegistry();
    timing.dumpMs = dumpClock.elapsed();
    const std::clock_t cpuAfterDump = std::clock();
    exportSupportLog(lines);
    timing.exportMs = clock.elapsed();
    timing.dumpCpuMs = (cpuAfterDump - cpuStart) * 1000 / CLOCKS_PER_SEC;
    timing.cpuMs = timing.dumpCpuMs + (std::clock() - cpuAfterDialog) * 1000 / CLOCKS_PER_SEC;

    timing.lines = lines.size();
    timing.written = answerer.seenBoxes().size() == 2
            && answerer.seenBoxes().at(1).icon == QMessageBox::Information;
    return timing;
}

} // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);

    // The first dialog and box of a process load what later ones reuse; keep that out.
    if (!timeRoad(10).written) {
        out << "the export failed\n";
        return 1;
    }
    // 1,000 values run twice: sealing tries zlib at level 9 on every line, and the quarter
    // megabyte that zlib takes each time is given back to the system after every line until
    // the C library's heap has once freed a block as large as the 10,000-value hive file. The
    // ratio compares the runs after that.
    QList<Timing> timings;
    for (int valueCount : { 1000, 10000, 1000 }) {
        const Timing t = timeRoad(valueCount);
        if (!t.written) {
            out << "the export failed\n";
            return 1;
        }
        out << QStringLiteral("%1 values, %2 log lines: dump %3 ms, sealed export %4 ms, "
                              "together %5 ms; processor time %6 ms, of it dump %7 ms")
                        .arg(valueCount)
                        .arg(t.lines)
                        .arg(t.dumpMs)
                        .arg(t.exportMs)
                        .arg(t.dumpMs + t.exportMs)
                        .arg(t.cpuMs)
                        .arg(t.dumpCpuMs)
            << '\n';
        out.flush();
        timings << t;
    }
    const Timing &large = timings.at(1);
    const Timing &small = timings.at(2);
    out << QStringLiteral("ratio 10,000 : 1,000 values: lines %1, time %2, processor time %3")
                    .arg(double(large.lines) / small.lines, 0, 'f', 2)
                    .arg(double(large.dumpMs + large.exportMs)
                                 / qMax<qint64>(1, small.dumpMs + small.exportMs),
                         0, 'f', 2)
                    .arg(double(large.cpuMs) / qMax<qint64>(1, small.cpuMs), 0, 'f', 2)
        << '\n';
    return 0;
}
