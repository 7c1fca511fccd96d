#include "supportlog/repaircipher.h"
#include "supportlog/supportlogkey.h"
#include "tools/repairlogtool.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString RepairLog = QStringLiteral(REPAIRLOG_PATH);

QByteArray sealedLine(const QString &text)
{
    return RepairCipher(SupportLogKey).encryptTextToBase64(text).toLatin1();
}

// A line whose integrity block holds but whose payload, flagged as compressed, is no zlib stream.
QByteArray corruptCompressedLine()
{
    RepairCipher cipher(SupportLogKey);
    cipher.setCompressionPolicy(RepairCipher::CompressNever);
    QByteArray record = cipher.encryptBytes(QByteArray("\0\0\0\x10no zlib stream", 18));
    record[1] = char(record.at(1) | RepairCipher::FlagCompressed);
    return record.toBase64();
}

QByteArray damagedLine()
{
    QByteArray record = QByteArray::fromBase64(sealedLine(QStringLiteral("Pfad = C:/Musik")));
    record[record.size() - 1] = char(record.at(record.size() - 1) ^ 0x01);
    return record.toBase64();
}

QByteArray foreignLine()
{
    QByteArray record = QByteArray::fromBase64(sealedLine(QStringLiteral("Pfad")));
    record[0] = 0x02;
    return record.toBase64();
}

struct Result
{
    int exitCode;
    QByteArray output;
    QByteArray errors;
};

Result runTool(const QStringList &arguments, const QByteArray &input = QByteArray())
{
    QByteArray inputBytes = input;
    QBuffer in(&inputBytes);
    QBuffer out;
    QBuffer err;
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    RepairLogTool tool(&in, &out, &err);
    const int exitCode = tool.run(QStringList(QStringLiteral("repairlog")) + arguments);
    return { exitCode, out.data(), err.data() };
}

} // namespace

class TestRepairLogTool : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsLog_data();
    void readsLog();
    void unreadableFile_data();
    void unreadableFile();
    void fileUnreadableForItsUser();
    void sealsLines_data();
    void sealsLines();
    void commandLine_data();
    void commandLine();
    void readerSealsWhatTheCipherOpens();
    void readerOpensWhatTheCipherSeals();

private:
    QTemporaryDir dir;
};

void TestRepairLogTool::initTestCase()
{
    QVERIFY(dir.isValid());
    QVERIFY(QFile::exists(RepairLog));
}

void TestRepairLogTool::readsLog_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("opened");
    QTest::addColumn<QByteArray>("reported");
    QTest::addColumn<QByteArray>("summary");
    QTest::addColumn<int>("exitCode");

    const QByteArray one = sealedLine(QStringLiteral("Velto Studio"));
    const QByteArray blank = sealedLine(QStringLiteral(" "));
    const QByteArray umlauts = sealedLine(QStringLiteral("Gr\u00FC\u00DFe aus K\u00F6ln"));
    const QByteArray long_ = sealedLine(QString(3000, QLatin1Char('#')));

    QTest::newRow("LF ends") << one + "\n" + blank + "\n" + umlauts + "\n"
                             << QByteArray("Velto Studio\n \nGr\xC3\xBC\xC3\x9F"
                                           "e aus K\xC3\xB6ln\n")
                             << QByteArray() << QByteArray("3 lines, all intact\n") << 0;
    QTest::newRow("CR LF ends, last line without end")
            << one + "\r\n" + long_ + "\r\n" + blank
            << "Velto Studio\n" + QByteArray(3000, '#') + "\n \n"
            << QByteArray() << QByteArray("3 lines, all intact\n") << 0;
    QTest::newRow("one line") << one << QByteArray("Velto Studio\n") << QByteArray()
                              << QByteArray("1 line, all intact\n") << 0;
    QTest::newRow("empty file") << QByteArray() << QByteArray() << QByteArray()
                                << QByteArray("0 lines, all intact\n") << 0;
    QTest::newRow("line wrapped in spaces") << "  " + one + " \t\n"
                                            << QByteArray("Velto Studio\n") << QByteArray()
                                            << QByteArray("1 line, all intact\n") << 0;
    QTest::newRow("every kind of damage") << one + "\nHallo Welt\n" + foreignLine() + "\n"
                    + damagedLine() + "\n" + corruptCompressedLine() + "\n\n" + blank + "\n"
                                          << QByteArray("Velto Studio\n \n")
                                          << QByteArray("line 2: not Base64\n"
                                                        "line 3: bad header\n"
                                                        "line 4: integrity mismatch\n"
                                                        "line 5: corrupt compressed data\n"
                                                        "line 6: not Base64\n")
                                          << QByteArray("7 lines, failing: 2, 3, 4, 5, 6\n") << 1;
}

void TestRepairLogTool::readsLog()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, opened);
    QFETCH(QByteArray, reported);
    QFETCH(QByteArray, summary);
    QFETCH(int, exitCode);

    QFile file(dir.filePath(QStringLiteral("velto.kormand_repair")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    const Result open = runTool({ QStringLiteral("open"), file.fileName() });
    QCOMPARE(open.output, opened);
    QCOMPARE(open.errors, reported);
    QCOMPARE(open.exitCode, exitCode);

    const Result check = runTool({ QStringLiteral("check"), file.fileName() });
    QCOMPARE(check.output, summary);
    QCOMPARE(check.errors, QByteArray());
    QCOMPARE(check.exitCode, exitCode);
}

void TestRepairLogTool::unreadableFile_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("path");

    const QString missing = QDir::tempPath() + QStringLiteral("/no/such/velto.kormand_repair");
    QTest::newRow("open, missing") << QStringLiteral("open") << missing;
    QTest::newRow("check, missing") << QStringLiteral("check") << missing;
    QTest::newRow("open, a directory") << QStringLiteral("open") << QDir::tempPath();
}

void TestRepairLogTool::unreadableFile()
{
    QFETCH(QString, command);
    QFETCH(QString, path);

    const Result result = runTool({ command, path });
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.output, QByteArray());
    QVERIFY2(result.errors.startsWith("repairlog: cannot read " + path.toUtf8() + ": "),
             result.errors);
}

void TestRepairLogTool::fileUnreadableForItsUser()
{
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty())
        QSKIP("setpriv is needed to read the file as another user");
    QTemporaryDir shared;
    QFile::setPermissions(shared.path(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                  | QFile::ExeOther);
    QFile file(shared.filePath(QStringLiteral("velto.kormand_repair")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(sealedLine(QStringLiteral("geheim")) + "\n");
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner));

    // Run as nobody, for whom the file is not readable even where the tests run as root.
    QProcess process;
    process.start(setpriv,
                  { QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                    QStringLiteral("--clear-groups"), RepairLog, QStringLiteral("open"),
                    file.fileName() });
    QVERIFY(process.waitForFinished());
    if (process.exitCode() == 127)
        QSKIP("the reader cannot run as another user here");
    QCOMPARE(process.exitCode(), 2);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    QVERIFY(process.readAllStandardError().contains("Permission denied"));
}

void TestRepairLogTool::sealsLines_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("LF ends") << QByteArray("HKEY_CURRENT_USER\\Software\\Kormand\n \nEnde\n")
                             << QStringList{ QStringLiteral("HKEY_CURRENT_USER\\Software\\Kormand"),
                                             QStringLiteral(" "), QStringLiteral("Ende") };
    QTest::newRow("CR LF ends, last line without end")
            << QByteArray("eins\r\n\r\nK\xC3\xB6ln")
            << QStringList{ QStringLiteral("eins"), QString(), QStringLiteral("K\u00F6ln") };
    QTest::newRow("nothing") << QByteArray() << QStringList();
}

void TestRepairLogTool::sealsLines()
{
    QFETCH(QByteArray, input);
    QFETCH(QStringList, lines);

    const Result result = runTool({ QStringLiteral("seal") }, input);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.errors, QByteArray());
    QVERIFY(result.output.isEmpty() || result.output.endsWith('\n'));

    QList<QByteArray> written = result.output.split('\n');
    written.removeLast();
    QCOMPARE(written.size(), lines.size());
    RepairCipher cipher(SupportLogKey);
    for (int i = 0; i < lines.size(); ++i) {
        // The tool's own export settings: a CRC-16 and compression only where it pays.
        QCOMPARE(int(QByteArray::fromBase64(written.at(i)).at(1)), 0x02);
        QCOMPARE(cipher.decryptBase64ToText(QString::fromLatin1(written.at(i))), lines.at(i));
        QCOMPARE(cipher.lastStatus(), RepairCipher::CipherOk);
    }
}

void TestRepairLogTool::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QByteArray>("errors");

    QTest::newRow("--help") << QStringList(QStringLiteral("--help")) << 0 << QByteArray("open FILE")
                            << QByteArray();
    QTest::newRow("--help-all") << QStringList(QStringLiteral("--help-all")) << 0
                                << QByteArray("seal") << QByteArray();
    QTest::newRow("--version") << QStringList(QStringLiteral("--version")) << 0 << QByteArray(" ")
                               << QByteArray();
    QTest::newRow("no command") << QStringList() << 2 << QByteArray()
                                << QByteArray("No command given.");
    QTest::newRow("unknown command")
            << QStringList(QStringLiteral("decrypt")) << 2 << QByteArray() << QByteArray("decrypt");
    QTest::newRow("open without file")
            << QStringList(QStringLiteral("open")) << 2 << QByteArray() << QByteArray("open");
    QTest::newRow("seal with a file") << QStringList{ QStringLiteral("seal"), QStringLiteral("x") }
                                      << 2 << QByteArray() << QByteArray("seal x");
    QTest::newRow("unknown option")
            << QStringList(QStringLiteral("--frob")) << 2 << QByteArray() << QByteArray("frob");
}

void TestRepairLogTool::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, output);
    QFETCH(QByteArray, errors);

    const Result result = runTool(arguments);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(output.isEmpty() ? result.output.isEmpty() : result.output.contains(output),
             result.output);
    QVERIFY2(errors.isEmpty() ? result.errors.isEmpty() : result.errors.contains(errors),
             result.errors);
}

void TestRepairLogTool::readerSealsWhatTheCipherOpens()
{
    const QStringList lines
            = { QStringLiteral("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand]"), QStringLiteral(" "),
                QStringLiteral("Sprache = Deutsch \u00E4\u00F6\u00FC"),
                QString(2000, QLatin1Char('=')) };
    QProcess reader;
    reader.start(RepairLog, { QStringLiteral("seal") });
    reader.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
    reader.closeWriteChannel();
    QVERIFY(reader.waitForFinished());
    QCOMPARE(reader.exitCode(), 0);

    const QList<QByteArray> written = reader.readAllStandardOutput().split('\n');
    QCOMPARE(written.size(), lines.size() + 1);
    QCOMPARE(written.last(), QByteArray());
    RepairCipher cipher(SupportLogKey);
    for (int i = 0; i < lines.size(); ++i)
        QCOMPARE(cipher.decryptBase64ToText(QString::fromLatin1(written.at(i))), lines.at(i));
}

void TestRepairLogTool::readerOpensWhatTheCipherSeals()
{
    const QStringList lines = { QStringLiteral("HKEY_CURRENT_USER\\Software\\Kormand"),
                                QStringLiteral("Bibliothek = D:/Musik/\u00C4rzte"),
                                QStringLiteral(" "), QString(2000, QLatin1Char('-')) };
    QFile file(dir.filePath(QStringLiteral("sealed.kormand_repair")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    RepairCipher cipher(SupportLogKey);
    for (const QString &line : lines)
        file.write(cipher.encryptTextToBase64(line).toLatin1() + '\n');
    file.close();

    QProcess reader;
    // Text mode: the reader's output lines end in CR LF on Windows.
    reader.start(RepairLog, { QStringLiteral("open"), file.fileName() },
                 QIODevice::ReadWrite | QIODevice::Text);
    QVERIFY(reader.waitForFinished());
    QCOMPARE(reader.exitCode(), 0);
    QCOMPARE(reader.readAllStandardError(), QByteArray());
    QCOMPARE(QString::fromUtf8(reader.readAllStandardOutput()),
             lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

QTEST_GUILESS_MAIN(TestRepairLogTool)
#include "tst_repairlogtool.moc"
