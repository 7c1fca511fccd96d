#include "filecontents.h"
#include "hostilelogs.h"
#include "measuredrun.h"
#include "sealedlog.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

const QString RepairLog = QStringLiteral(REPAIRLOG_PATH);
// What a reader of any log may take: what a log at its ceiling needs (its text, its trees and
// the lines they call for), far less than opening what a forged line claims.
const qint64 memoryLimit = 512 * 1024 * 1024;
const QString userRoot = QStringLiteral("HKEY_CURRENT_USER\\Software\\Kormand");

// Whether a run ended on its own terms with that exit code, within the memory limit.
bool endedWithin(const MeasuredRun &run, int exitCode)
{
    return !run.crashed && run.exitCode == exitCode && run.peakBytes < memoryLimit;
}

QString decodedRegFile(const QByteArray &bytes)
{
    return QString::fromUtf16(reinterpret_cast<const ushort *>(bytes.constData() + 2),
                              (bytes.size() - 2) / 2);
}

// The section header that lies outside the maker's trees or deletes, if any.
QString foreignHeader(const QString &regFile)
{
    for (const QString &line : regFile.split(QStringLiteral("\r\n"))) {
        if (!line.startsWith(QLatin1Char('[')))
            continue;
        const QString path = line.mid(1, line.size() - 2);
        const bool inTrees = path.startsWith(userRoot, Qt::CaseInsensitive)
                || path.startsWith(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand"),
                                   Qt::CaseInsensitive);
        if (!inTrees || !line.endsWith(QLatin1Char(']')))
            return line;
    }
    return QString();
}

} // namespace

// Logs sealed as an attacker seals them: every command ends on its own terms within the memory
// limit, says what it refuses in the check's words, and the .reg file stays in the maker's trees.
class TestHostileLogs : public QObject
{
    Q_OBJECT

private slots:
    void survivesLog_data();
    void survivesLog();

private:
    QTemporaryDir dir;
};

void TestHostileLogs::survivesLog_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("checkExit");
    // A part of check's output.
    QTest::addColumn<QString>("finding");
    // A part of reg's errors (reg then fails whatever check says), and a text its file must not
    // hold.
    QTest::addColumn<QString>("leftOut");
    QTest::addColumn<QString>("forbidden");

    using namespace HostileLogs;
    const QString valueStart = longValueLine(0);
    const QString intact = QStringLiteral("7 lines, all intact and complete");
    const QString namedIntact = QStringLiteral("16 lines, all intact and complete");
    const QString tooLong = QStringLiteral("line 4 damaged (too long for a support log)");
    const QString tooDeep = QStringLiteral("line 4 damaged (deeper than the registry allows)");
    const QString none;

    QTest::newRow("line opening to 64 MiB, its prefix claiming 1000 bytes")
            << betweenTrees(compressedLine(valueStart, 64 << 20, 1000)) << 1 << tooLong << none
            << "Notiz";
    QTest::newRow("prefix claiming 4 GiB of a short line")
            << betweenTrees(compressedLine(valueStart, 100, 0xFFFFFFFF)) << 0 << intact << none
            << none;
    QTest::newRow("cut zlib stream")
            << betweenTrees(compressedLine(valueStart, 4000, 4000, true)) << 1
            << "line 4 damaged (corrupt compressed data)" << none << "Notiz";
    QTest::newRow("uncompressed line past the ceiling")
            << betweenTrees(sealedPlain(longValueLine(8 << 20))) << 1 << tooLong << none << "Notiz";
    QTest::newRow("value 100,000 keys deep")
            << sealedLog(userOpening() << deepValueLine(100000) << machineTree()) << 1 << tooDeep
            << none << "Tief";
    QTest::newRow("value 513 keys deep")
            << sealedLog(deepValueLog(513)) << 1 << tooDeep << none << "Tief";
    QTest::newRow("value 512 keys deep") << sealedLog(deepValueLog(512)) << 0
                                         << "1537 lines, all intact and complete" << none << none;
    // Each allowed, but the dump would write each value's line below each of its 510 keys:
    // more than a whole log holds.
    const QStringList deepest = deepestValues();
    QTest::newRow("two values 512 keys deep below names of 255 characters")
            << sealedLog(userOpening() + deepest + machineTree()) << 1
            << "too long for a support log: the lines its trees call for" << none << none;
    // Three branches of such keys: their full paths alone pass what a whole log holds.
    const QString firstKey = QLatin1Char('[') + QString(255, QLatin1Char('k')) + QLatin1Char('/');
    QStringList branches = userOpening();
    for (const char first : { 'j', 'k', 'l' })
        branches << QString(deepest.first())
                            .replace(firstKey,
                                     QLatin1Char('[') + QString(255, QLatin1Char(first))
                                             + QLatin1Char('/'));
    QTest::newRow("three branches 512 keys deep below names of 255 characters")
            << sealedLog(branches << machineTree()) << 1
            << "line 6 too long for a support log: the keys named up to here" << none << none;
    QTest::newRow("key name of 256 characters")
            << sealedLog(namedKeyLines(QString(256, QLatin1Char('k')))) << 1
            << "line 5 damaged (too long for a support log)" << none << "evil.exe";
    QTest::newRow("key name with a line break and the Run key's header")
            << sealedLog(namedKeyLines(QStringLiteral("x\r\n") + RunKeyHeader)) << 0 << namedIntact
            << "[" + userRoot + "\\x<U+000D><U+000A>" + RunKeyHeader + "]"
            << "evil.exe";
    QTest::newRow("key name with a line break and a header that deletes")
            << sealedLog(namedKeyLines(
                       QStringLiteral("x\n[-HKEY_CURRENT_USER\\Software\\Microsoft]")))
            << 0 << namedIntact << "\\x<U+000A>[-HKEY_CURRENT_USER\\Software\\Microsoft]]"
            << "[-";
    QTest::newRow("value name with a line break and a value")
            << sealedLog(namedKeyLines(QStringLiteral("Player"),
                                       QStringLiteral("Pfad\r\n\"Injected\"=\"1\"")))
            << 0 << namedIntact << "[" + userRoot + "] \"Pfad<U+000D><U+000A>\"Injected\"=\"1\"\""
            << "Injected";
}

void TestHostileLogs::survivesLog()
{
    QFETCH(QByteArray, content);
    QFETCH(int, checkExit);
    QFETCH(QString, finding);
    QFETCH(QString, leftOut);
    QFETCH(QString, forbidden);

    const QString log = dir.filePath(QStringLiteral("velto.kormand_repair"));
    const QString regFile = dir.filePath(QStringLiteral("trees.reg"));
    QFile::remove(regFile);
    QVERIFY(writeFile(log, content));

    const MeasuredRun check = runMeasured(RepairLog, { QStringLiteral("check"), log });
    QVERIFY2(endedWithin(check, checkExit) && QString::fromUtf8(check.output).contains(finding),
             (check.output + check.errors).constData());
    QVERIFY(endedWithin(runMeasured(RepairLog, { QStringLiteral("tree"), log }), checkExit));
    const MeasuredRun reg
            = runMeasured(RepairLog, { QStringLiteral("reg"), log, QStringLiteral("-o"), regFile });
    QVERIFY2(endedWithin(reg, leftOut.isEmpty() ? checkExit : 1), reg.errors.constData());
    const QString errors = QString::fromUtf8(reg.errors);
    QCOMPARE(errors.contains(QStringLiteral("left out of the .reg file")), !leftOut.isEmpty());
    QVERIFY2(errors.contains(leftOut), reg.errors.constData());
    const QString written = decodedRegFile(readFile(regFile));
    QVERIFY(written.startsWith(QStringLiteral("Windows Registry Editor Version 5.00\r\n")));
    QCOMPARE(foreignHeader(written), QString());
    if (!forbidden.isEmpty())
        QVERIFY2(!written.contains(forbidden), qPrintable(written));
}

QTEST_GUILESS_MAIN(TestHostileLogs)
#include "tst_hostilelogs.moc"
