#include "filecontents.h"
#include "platform/registry/registrynode.h"
#include "platform/registry/registrysnapshot.h"
#include "platform/registry/registryvalue.h"
#include "registryseed.h"
#include "repairlog/repairlogtool.h"
#include "supportlog/registrydump.h"
#include "supportlog/repaircipher.h"
#include "supportlog/supportlogkey.h"
#include "supportlogtesting.h"
#include "temporaryroot.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <utility>

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

const QString userRoot = QStringLiteral("HKEY_CURRENT_USER\\Software\\Kormand");
const QString machineRoot = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand");

QList<QByteArray> sealedLines(const QStringList &lines)
{
    RepairCipher cipher(SupportLogKey);
    QList<QByteArray> sealed;
    for (const QString &line : lines)
        sealed.append(cipher.encryptTextToBase64(line).toLatin1());
    return sealed;
}

QByteArray joined(const QList<QByteArray> &lines)
{
    QByteArray content;
    for (const QByteArray &line : lines)
        content += line + '\n';
    return content;
}

// The value a key line stands for, whichever block holds it: its full path and its text.
QString valueOf(const QString &line)
{
    const int keyStart = line.indexOf(QLatin1String("] + ["));
    if (!line.startsWith(QLatin1Char('[')) || keyStart < 0)
        return QString();
    return line.mid(1, keyStart - 1) + QLatin1Char('\\')
            + line.mid(keyStart + 5).replace(QLatin1Char('/'), QLatin1Char('\\'));
}

} // namespace

// A value below both maker trees, named as the registry holds it: the keys below the root, the
// value's own name (empty for the default value) and its text.
struct NamedValue
{
    QStringList keys;
    QString name;
    QString text;
};
using NamedValues = QVector<NamedValue>;

// Each key and value below a root, one line each, as "key path" or "key path | name | text".
QStringList contentBelow(const QString &root, const NamedValues &values)
{
    QStringList content(root);
    for (const NamedValue &value : values) {
        QString path = root;
        for (const QString &key : value.keys)
            content << (path += QLatin1Char('\\') + key);
        content << path + QStringLiteral(" | ") + value.name + QStringLiteral(" | ") + value.text;
    }
    return content;
}

QStringList sortedOnce(QStringList content)
{
    content.removeDuplicates();
    content.sort();
    return content;
}

// The values below both trees.
QStringList treeContent(const NamedValues &values)
{
    return sortedOnce(contentBelow(userRoot, values) + contentBelow(machineRoot, values));
}

// The same from the registry, read as it holds the names.
QStringList registryContent()
{
    const RegistrySnapshot snapshot(dumpRootPaths());
    QStringList content;
    for (const QString &root : { userRoot, machineRoot }) {
        NamedValues values;
        for (const RegistryReader::Value &value : snapshot.values(root))
            values.append({ value.keyNames, value.name, value.text });
        content += contentBelow(root, values);
    }
    return sortedOnce(content);
}

// The same from the output of tree, which shows line breaks by their code.
QStringList shownContent(const QString &tree)
{
    QStringList content;
    QString path;
    for (const QString &line : tree.split(QLatin1Char('\n'))) {
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            content << (path = line.mid(1, line.size() - 2));
            continue;
        }
        const bool unnamed = line.startsWith(QLatin1Char('@'));
        const int equals = unnamed ? 1 : line.indexOf(QLatin1String("\"=\"")) + 1;
        content << path + QStringLiteral(" | ") + (unnamed ? QString() : line.mid(1, equals - 2))
                        + QStringLiteral(" | ") + line.mid(equals + 2, line.size() - equals - 3);
    }
    content.sort();
    return content;
}

Q_DECLARE_METATYPE(NamedValues)
Q_DECLARE_METATYPE(QList<QByteArray>)

namespace {

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

// Each hive's tree of the log as reg writes it alone: a stand-in hive file below root.
bool writeHiveFiles(const QString &logPath, const TemporaryRoot &root)
{
    for (const QString hive : { "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE" }) {
        const QString hiveFile = root.filePath("registry/" + hive + ".reg");
        const QStringList arguments = { "reg", "--hive", hive, logPath, "-o", hiveFile };
        if (!QDir().mkpath(QFileInfo(hiveFile).absolutePath()) || runTool(arguments).exitCode != 0)
            return false;
    }
    return true;
}

// A Registry Editor file's UTF-16 text after its byte order mark; any other output as UTF-8.
QString decoded(const QByteArray &output)
{
    if (!output.startsWith("\xff\xfe"))
        return QString::fromUtf8(output);
    return QString::fromUtf16(reinterpret_cast<const ushort *>(output.constData() + 2),
                              (output.size() - 2) / 2);
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
    void opensStandardInput();
    void checksStructure_data();
    void checksStructure();
    void showsTrees();
    void marksRestoredValues();
    void showsEmptyKeys();
    void regFileRoundTrip();
    void diffsLogs();
    void roundTripOfHardNames_data();
    void roundTripOfHardNames();
    void showsWhatALogCannotTell_data();
    void showsWhatALogCannotTell();
    void cleanupTestCase();

private:
    QString writeLog(const QByteArray &content, const QString &name = QStringLiteral("log"));

    QTemporaryDir dir;
    std::unique_ptr<TemporaryRoot> root;
    std::unique_ptr<EmptyMakerTrees> makerTrees;
    // The dump of the small trees, and the same lines sealed as the tool seals them.
    QStringList dumped;
    QList<QByteArray> log;
};

void TestRepairLogTool::initTestCase()
{
    QVERIFY(dir.isValid());
    QVERIFY(QFile::exists(RepairLog));
    root = std::make_unique<TemporaryRoot>();
    QVERIFY(root->isValid());
    makerTrees = std::make_unique<EmptyMakerTrees>();
    seedSmallMakerTrees();
    dumped = dumpRegistry();
    log = sealedLines(dumped);
}

void TestRepairLogTool::cleanupTestCase()
{
    makerTrees.reset();
    root.reset();
}

QString TestRepairLogTool::writeLog(const QByteArray &content, const QString &name)
{
    const QString path = dir.filePath(name);
    return writeFile(path, content) ? path : QString();
}

void TestRepairLogTool::readsLog_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("opened");
    // FILE stands for the log's path.
    QTest::addColumn<QByteArray>("reported");
    QTest::addColumn<int>("exitCode");

    const QByteArray one = sealedLine(QStringLiteral("Velto Studio"));
    const QByteArray blank = sealedLine(QStringLiteral(" "));
    const QByteArray umlauts = sealedLine(QStringLiteral("Gr\u00FC\u00DFe aus K\u00F6ln"));
    const QByteArray long_ = sealedLine(QString(3000, QLatin1Char('#')));

    QTest::newRow("LF ends") << one + "\n" + blank + "\n" + umlauts + "\n"
                             << QByteArray("Velto Studio\n \nGr\xC3\xBC\xC3\x9F"
                                           "e aus K\xC3\xB6ln\n")
                             << QByteArray() << 0;
    QTest::newRow("CR LF ends, last line without end")
            << one + "\r\n" + long_ + "\r\n" + blank
            << "Velto Studio\n" + QByteArray(3000, '#') + "\n \n"
            << QByteArray() << 0;
    QTest::newRow("one line") << one << QByteArray("Velto Studio\n") << QByteArray() << 0;
    QTest::newRow("empty file") << QByteArray() << QByteArray()
                                << QByteArray("FILE: not a support log: the file is empty\n") << 1;
    QTest::newRow("only damaged lines")
            << QByteArray("Hallo\n") + damagedLine() + "\n"
            << QByteArray()
            << QByteArray("FILE: not a support log: none of its 2 lines opens with the tool's "
                          "key\n")
            << 1;
    // Without its padding a line still decodes: only its length gives it away.
    QByteArray padded = sealedLine(QStringLiteral("a"));
    for (QString text = QStringLiteral("a"); !padded.endsWith('='); text += QLatin1Char('a'))
        padded = sealedLine(text);
    QTest::newRow("last character cut off")
            << one + "\n" + padded.chopped(1) + "\n"
            << QByteArray("Velto Studio\n<<< line 2 damaged: not Base64 >>>\n")
            << QByteArray("line 2: not Base64\n") << 1;
    QTest::newRow("line wrapped in spaces") << "  " + one + " \t\n"
                                            << QByteArray("Velto Studio\n") << QByteArray() << 0;
    QTest::newRow("every kind of damage")
            << one + "\nHallo Welt\n" + foreignLine() + "\n" + damagedLine() + "\n"
                    + corruptCompressedLine() + "\n\n" + blank + "\n"
            << QByteArray("Velto Studio\n"
                          "<<< line 2 damaged: not Base64 >>>\n"
                          "<<< line 3 damaged: bad header >>>\n"
                          "<<< line 4 damaged: integrity mismatch >>>\n"
                          "<<< line 5 damaged: corrupt compressed data >>>\n"
                          "<<< line 6 damaged: not Base64 >>>\n"
                          " \n")
            << QByteArray("line 2: not Base64\n"
                          "line 3: bad header\n"
                          "line 4: integrity mismatch\n"
                          "line 5: corrupt compressed data\n"
                          "line 6: not Base64\n")
            << 1;
    // The bytes after a NUL count too, though Base64 decoding would pass over the NULs.
    QTest::newRow("NULs inside a sealed line")
            << one + "\n" + one.left(4) + QByteArray(4, '\0') + one.mid(4) + "\n"
            << QByteArray("Velto Studio\n<<< line 2 damaged: not Base64 >>>\n")
            << QByteArray("line 2: not Base64\n") << 1;
}

void TestRepairLogTool::readsLog()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, opened);
    QFETCH(QByteArray, reported);
    QFETCH(int, exitCode);

    const QString path = writeLog(content, QStringLiteral("velto.kormand_repair"));
    reported.replace("FILE", path.toUtf8());
    const Result open = runTool({ QStringLiteral("open"), path });
    QCOMPARE(open.output, opened);
    QCOMPARE(open.errors, reported);
    QCOMPARE(open.exitCode, exitCode);

    // Asked to, open leaves the damaged lines out.
    QByteArray intact;
    for (const QByteArray &line : opened.split('\n')) {
        if (!line.isEmpty() && !line.startsWith("<<< line "))
            intact += line + '\n';
    }
    const Result skipping
            = runTool({ QStringLiteral("open"), QStringLiteral("--skip-damaged"), path });
    QCOMPARE(skipping.output, intact);
    QCOMPARE(skipping.errors, reported);
    QCOMPARE(skipping.exitCode, exitCode);
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
#if QT_VERSION >= QT_VERSION_CHECK(5, 14, 0)
    QTest::newRow("--help-all") << QStringList(QStringLiteral("--help-all")) << 0
                                << QByteArray("seal") << QByteArray();
#else
    // The help option gained --help-all in 5.14.
    QTest::newRow("--help-all") << QStringList(QStringLiteral("--help-all")) << 2 << QByteArray()
                                << QByteArray("Unknown option 'help-all'");
#endif
    QTest::newRow("--version") << QStringList(QStringLiteral("--version")) << 0 << QByteArray(" ")
                               << QByteArray();
    QTest::newRow("no command") << QStringList() << 2 << QByteArray()
                                << QByteArray("No command given.");
    QTest::newRow("unknown command") << QStringList(QStringLiteral("decrypt")) << 2 << QByteArray()
                                     << QByteArray("Unknown command: decrypt");
    for (const char *command : { "open", "check", "tree", "reg" })
        QTest::addRow("%s without file", command)
                << QStringList(QLatin1String(command)) << 2 << QByteArray()
                << QByteArray(command) + ": the argument FILE is missing";
    QTest::newRow("diff with one file")
            << QStringList{ QStringLiteral("diff"), QStringLiteral("a") } << 2 << QByteArray()
            << QByteArray("diff: the argument FILE2 (the log after) is missing");
    QTest::newRow("check with two files")
            << QStringList{ QStringLiteral("check"), QStringLiteral("a"), QStringLiteral("b") } << 2
            << QByteArray() << QByteArray("check: too many arguments: b");
    QTest::newRow("option of another command")
            << QStringList{ QStringLiteral("check"), QStringLiteral("--skip-damaged"),
                            QStringLiteral("a") }
            << 2 << QByteArray() << QByteArray("check: option not for this command");
    QTest::newRow("unknown hive") << QStringList{ QStringLiteral("reg"), QStringLiteral("--hive"),
                                                  QStringLiteral("HKEY_USERS"),
                                                  QStringLiteral("a") }
                                  << 2 << QByteArray()
                                  << QByteArray("reg: unknown hive HKEY_USERS");
    QTest::newRow("seal with a file")
            << QStringList{ QStringLiteral("seal"), QStringLiteral("x") } << 2 << QByteArray()
            << QByteArray("seal: too many arguments: x");
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

void TestRepairLogTool::opensStandardInput()
{
    const Result result = runTool({ QStringLiteral("open"), QStringLiteral("-") }, joined(log));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.errors, QByteArray());
    QCOMPARE(QString::fromUtf8(result.output), dumped.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void TestRepairLogTool::checksStructure_data()
{
    QTest::addColumn<QByteArray>("content");
    // The findings, one per line, and the exit code; the summary follows them.
    QTest::addColumn<QString>("findings");
    QTest::addColumn<int>("exitCode");

    const int n = dumped.size();
    QTest::newRow("complete") << joined(log) << QString() << 0;

    // The second tree's first block ends before its first separator; past it every line
    // follows from the values read.
    const int machineHeader = dumped.indexOf(QStringLiteral("Mein Entry: ") + machineRoot);
    const int machineFirstBlockEnd
            = dumped.indexOf(QStringLiteral("===================================="), machineHeader);
    QVERIFY(machineHeader > 0 && machineFirstBlockEnd > machineHeader);
    for (int b = 1; b < n; ++b) {
        const bool deeperOrRoot = dumped.at(b) == QLatin1String(" ");
        const bool firstLevel = dumped.at(b).startsWith(QLatin1Char('='))
                && dumped.at(b - 1) != QLatin1String(" ");
        // Also cuts in the first block's opening lines and before the very last line.
        if (!deeperOrRoot && !firstLevel && b > 2 && b != n - 1)
            continue;
        const QString more = b > machineFirstBlockEnd
                ? QStringLiteral("%1 more line%2 expected").arg(n - b).arg(n - b == 1 ? "" : "s")
                : QStringLiteral("at least");
        QTest::addRow("cut before line %d", b + 1)
                << joined(log.mid(0, b)) << QStringLiteral("cut after line %1: %2").arg(b).arg(more)
                << 1;
    }

    for (const int index : { 0, 1, 3, 9, machineHeader }) {
        QList<QByteArray> without = log;
        without.removeAt(index);
        QTest::addRow("line %d deleted", index + 1)
                << joined(without)
                << QStringLiteral("line %1 missing: %2").arg(index + 1).arg(dumped.at(index)) << 1;
    }

    for (const int index : { 3, machineHeader - 2, machineHeader - 1 }) {
        QList<QByteArray> swapped = log;
        std::swap(swapped[index], swapped[index + 1]);
        QTest::addRow("lines %d and %d swapped", index + 1, index + 2)
                << joined(swapped)
                << QStringLiteral("lines %1 and %2 out of order").arg(index + 1).arg(index + 2)
                << 1;
    }

    // One value three levels deep, damaged in each block that lists it.
    const QString deep = valueOf(dumped.at(3));
    for (int index = 0; index < n; ++index) {
        if (valueOf(dumped.at(index)) != deep)
            continue;
        int copy = 0;
        while (copy == index || valueOf(dumped.at(copy)) != deep)
            ++copy;
        QList<QByteArray> damagedLog = log;
        damagedLog[index] = damagedLine();
        QTest::addRow("line %d damaged: %s", index + 1, qPrintable(dumped.at(index)))
                << joined(damagedLog)
                << QStringLiteral("line %1 damaged (integrity mismatch), restored from line %2")
                           .arg(index + 1)
                           .arg(copy + 1)
                << 1;
    }
    {
        QList<QByteArray> damagedLog = log;
        damagedLog[1] = damagedLine();
        QTest::newRow("separator damaged")
                << joined(damagedLog)
                << QStringLiteral("line 2 damaged (integrity mismatch), restored from the log's "
                                  "structure")
                << 1;
    }
    {
        // A value directly in a root is listed once.
        const int start = dumped.indexOf(QStringLiteral("[%1] + [Start]: 1").arg(userRoot));
        QVERIFY(start > 0);
        QList<QByteArray> damagedLog = log;
        damagedLog[start] = damagedLine();
        QTest::newRow("line without copies damaged")
                << joined(damagedLog)
                << QStringLiteral("line %1 damaged (integrity mismatch), cannot be restored: the "
                                  "log holds no copy of it")
                           .arg(start + 1)
                << 1;
    }

    {
        const int copy
                = dumped.indexOf(QStringLiteral("[%1\\Player] + [Volume]: 80").arg(userRoot));
        const int first
                = dumped.indexOf(QStringLiteral("[%1] + [Player/Volume]: 80").arg(userRoot));
        QVERIFY(first > 0 && copy > first);
        QList<QByteArray> changed = log;
        changed[copy] = sealedLine(QStringLiteral("[%1\\Player] + [Volume]: 81").arg(userRoot));
        QTest::newRow("copy differs") << joined(changed)
                                      << QStringLiteral("line %1 differs from its copy in line %2")
                                                 .arg(copy + 1)
                                                 .arg(first + 1)
                                      << 1;
    }
    {
        QList<QByteArray> longer = log;
        longer.insert(5, sealedLine(QStringLiteral("Hallo")));
        QTest::newRow("foreign line")
                << joined(longer) << QStringLiteral("line 6 unexpected: Hallo") << 1;
        longer = log;
        longer.insert(4, log.at(3));
        QTest::newRow("line repeated")
                << joined(longer) << QStringLiteral("line 5 repeats line 4") << 1;
    }

    QTest::newRow("empty file") << QByteArray()
                                << QStringLiteral("not a support log: the file is empty") << 1;
    QFile program(RepairLog);
    QVERIFY(program.open(QIODevice::ReadOnly));
    const QByteArray binary = program.readAll();
    QTest::newRow("a program")
            << binary
            << QStringLiteral("not a support log: none of its %1 lines opens with the tool's key")
                       .arg(binary.count('\n') + (binary.endsWith('\n') ? 0 : 1))
            << 1;
}

void TestRepairLogTool::checksStructure()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, findings);
    QFETCH(int, exitCode);

    // Run as support runs it, which also keeps the cipher's warnings about a program's bytes
    // out of the test's output.
    QProcess reader;
    reader.start(RepairLog, { QStringLiteral("check"), writeLog(content) },
                 QIODevice::ReadOnly | QIODevice::Text);
    QVERIFY(reader.waitForFinished());
    QCOMPARE(reader.readAllStandardError(), QByteArray());
    QCOMPARE(reader.exitCode(), exitCode);
    QStringList said = QString::fromUtf8(reader.readAllStandardOutput()).split(QLatin1Char('\n'));
    QCOMPARE(said.takeLast(), QString());
    if (findings.startsWith(QLatin1String("not a support log"))) {
        QCOMPARE(said, QStringList(findings));
        return;
    }
    const QString summary = said.takeLast();
    if (findings.isEmpty()) {
        QCOMPARE(summary, QStringLiteral("%1 lines, all intact and complete").arg(dumped.size()));
        QCOMPARE(said, QStringList());
    } else {
        QVERIFY2(summary.endsWith(QLatin1String(": damaged or incomplete")), qPrintable(summary));
        QVERIFY2(said.size() == 1, qPrintable(said.join(QLatin1Char('\n'))));
        if (findings.endsWith(QLatin1String("at least")))
            QVERIFY2(said.first().startsWith(findings + QLatin1Char(' ')),
                     qPrintable(said.first()));
        else
            QCOMPARE(said.first(), findings);
    }
}

void TestRepairLogTool::showsTrees()
{
    const Result result = runTool({ QStringLiteral("tree"), writeLog(joined(log)) });
    QCOMPARE(result.errors, QByteArray());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(QString::fromUtf8(result.output),
             QStringLiteral("[HKEY_CURRENT_USER\\Software\\Kormand]\n"
                            "\"Start\"=\"1\"\n\n"
                            "[HKEY_CURRENT_USER\\Software\\Kormand\\Player]\n"
                            "\"Volume\"=\"80\"\n\n"
                            "[HKEY_CURRENT_USER\\Software\\Kormand\\Player\\Decks]\n"
                            "\"Count\"=\"4\"\n"
                            "\"Name\"=\"Links\"\n\n"
                            "[HKEY_CURRENT_USER\\Software\\Kormand\\Updater]\n"
                            "\"Letzte\"=\"2026-11-30\"\n\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand]\n\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand\\Studio]\n"
                            "\"Lizenz\"=\"Profi\"\n\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand\\Studio\\Module]\n\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand\\Studio\\Module\\Audio]\n"
                            "\"Treiber\"=\"ASIO\"\n\n"));
}

void TestRepairLogTool::marksRestoredValues()
{
    const int volume = dumped.indexOf(QStringLiteral("[%1] + [Player/Volume]: 80").arg(userRoot));
    const int copy = dumped.indexOf(QStringLiteral("[%1\\Player] + [Volume]: 80").arg(userRoot));
    QVERIFY(volume > 0 && copy > volume);
    QList<QByteArray> damagedLog = log;
    damagedLog[volume] = damagedLine();
    damagedLog.removeAt(copy + 1);

    const Result result
            = runTool({ QStringLiteral("tree"),
                        writeLog(damagedLog.isEmpty() ? QByteArray() : joined(damagedLog)) });
    QCOMPARE(result.exitCode, 1);
    const QString mark = QStringLiteral("\"Volume\"=\"80\" ; line %1 damaged (integrity mismatch), "
                                        "restored from line %2\n")
                                 .arg(volume + 1)
                                 .arg(copy + 1);
    QVERIFY2(QString::fromUtf8(result.output).contains(mark), result.output);
    // Every value is still there once, the damaged one included.
    QCOMPARE(result.output.count("=\""), 7);
    QVERIFY2(result.errors.contains("missing"), result.errors);
}

void TestRepairLogTool::showsEmptyKeys()
{
    TemporaryRoot other;
    EmptyMakerTrees trees;
    seedSmallMakerTrees();
    seedRegistryKey(userRoot + QStringLiteral("\\Cache"));
    seedRegistryKey(userRoot + QStringLiteral("\\Player\\Leer"));
    const QStringList lines = dumpRegistry();

    const QString path = writeLog(joined(sealedLines(lines)), QStringLiteral("empty-keys"));
    const Result check = runTool({ QStringLiteral("check"), path });
    QCOMPARE(check.exitCode, 0);
    const Result tree = runTool({ QStringLiteral("tree"), path });
    QCOMPARE(tree.exitCode, 0);
    const QString shown = QString::fromUtf8(tree.output);
    QVERIFY2(shown.contains(QStringLiteral("[%1\\Cache]\n\n").arg(userRoot)), tree.output);
    // A deeper empty key keeps its place, not its name: its block of a blank line and a
    // separator comes after the values' last block, before the next key of the first level.
    const int unnamedBlock = lines.indexOf(userRoot + QStringLiteral("\\Updater")) - 2;
    QCOMPARE(lines.at(unnamedBlock), QStringLiteral("===================================="));
    QVERIFY2(shown.contains(
                     QStringLiteral("[%1\\Player\\Decks]\n\"Count\"=\"4\"\n\"Name\"=\"Links\"\n\n"
                                    "; [%1\\Player\\?]: an empty key whose name the log "
                                    "does not hold (line %2)\n\n[%1\\Updater]")
                             .arg(userRoot)
                             .arg(unnamedBlock + 1)),
             tree.output);
}

void TestRepairLogTool::regFileRoundTrip()
{
    const QString logPath = writeLog(joined(log));
    const QString combined = dir.filePath(QStringLiteral("kormand.reg"));
    const Result reg = runTool({ QStringLiteral("reg"), logPath, QStringLiteral("-o"), combined });
    QCOMPARE(reg.exitCode, 0);
    QCOMPARE(reg.errors, QByteArray());
    const QByteArray bytes = readFile(combined);
    QVERIFY(bytes.startsWith("\xff\xfe"));
    const QStringList text = decoded(bytes).split(QStringLiteral("\r\n"));
    QCOMPARE(text.at(0), QStringLiteral("Windows Registry Editor Version 5.00"));
    QVERIFY2(text.at(1).startsWith(QLatin1String("; "))
                     && text.at(1).contains(QLatin1String("string")),
             qPrintable(text.at(1)));
    QVERIFY(text.contains(
            QStringLiteral("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand\\Studio\\Module\\Audio]")));
    QVERIFY(text.contains(QStringLiteral("\"Count\"=\"4\"")));

    if (!registryIsStandIn())
        QSKIP("the hive files are the stand-in's");
    // Each hive's tree alone is a stand-in hive file: the dump of what it holds is the log again.
    TemporaryRoot other;
    QVERIFY(writeHiveFiles(logPath, other));
    QCOMPARE(dumpRegistry(), dumped);
}

void TestRepairLogTool::diffsLogs()
{
    QStringList after;
    {
        TemporaryRoot other;
        EmptyMakerTrees trees;
        seedSmallMakerTrees();
        removeRegistryTree(userRoot);
        seedRegistryValue(userRoot, QStringLiteral("Player/Volume"), QStringLiteral("90"));
        seedRegistryValue(userRoot, QStringLiteral("Player/Decks/Count"), 4);
        seedRegistryValue(userRoot, QStringLiteral("Player/Decks/Name"), QStringLiteral("Links"));
        seedRegistryValue(userRoot, QStringLiteral("Updater/Letzte"), QStringLiteral("2026-11-30"));
        seedRegistryValue(userRoot, QStringLiteral("Updater/Kanal"), QStringLiteral("beta"));
        after = dumpRegistry();
    }
    const Result result
            = runTool({ QStringLiteral("diff"), writeLog(joined(log)),
                        writeLog(joined(sealedLines(after)), QStringLiteral("after")) });
    QCOMPARE(result.errors, QByteArray());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(QString::fromUtf8(result.output),
             QStringLiteral("removed [%1] \"Start\"=\"1\"\n"
                            "changed [%1\\Player] \"Volume\"=\"90\", was \"80\"\n"
                            "added   [%1\\Updater] \"Kanal\"=\"beta\"\n")
                     .arg(userRoot));

    const Result same
            = runTool({ QStringLiteral("diff"), writeLog(joined(log)), QStringLiteral("-") },
                      joined(sealedLines(dumped)));
    QCOMPARE(same.exitCode, 0);
    QCOMPARE(same.output, QByteArray("no values added, removed or changed\n"));
}

void TestRepairLogTool::roundTripOfHardNames_data()
{
    QTest::addColumn<NamedValues>("values");

    const QString path = "C:\\Program Files\\Velto\\velto.exe";
    QTest::newRow("a path as a value's name")
            << NamedValues{ { {}, path, "1" },
                            { { "Zuletzt" }, path, "2" },
                            { { "Zuletzt", "Liste" }, "D:\\Musik\\a.mp3", "3" } };
    QTest::newRow("a key named with a slash") << NamedValues{ { { "a/b" }, "v", "1" },
                                                              { { "a" }, "w", "2" },
                                                              { { "a/b", "c/d" }, "x/y\\z", "3" } };
    QTest::newRow("values named Default and . beside the default value")
            << NamedValues{ { { "K" }, "Default", "eigen" },
                            { { "K" }, QString(), "Standard" },
                            { { "K" }, ".", "Punkt" },
                            { { "K", "Default" }, QString(), "tiefer" } };
    QTest::newRow("the line format's markers in names")
            << NamedValues{ { { "K" }, "a]: b", "x" },
                            { { "K" }, "a0", "0" },
                            { { "K" }, "p] + [q", "]: " },
                            { { "L] + [M" }, "v", "1" },
                            { { "N]: O", "[P]" }, "w]: z", "2" } };
    QTest::newRow("umlauts, quotes and equals signs")
            << NamedValues{ { { "Größe \"groß\"" }, "Lautstärke=\"laut\"", "ÄÖÜ \"x\"=y" },
                            { { "\"Anfang" }, "\"führend", "\"" } };
    QTest::newRow("place markers") << NamedValues{ { { "%1" }, "%1", "%2 %1" } };
    QTest::newRow("leading and trailing spaces, empty text")
            << NamedValues{ { { " Raum " }, "  Wert ", " Text " },
                            { { " Raum " }, "leer", QString() } };
    QTest::newRow("long names") << NamedValues{ { { QString(255, QLatin1Char('k')) },
                                                  QString(300, QLatin1Char('v')),
                                                  QString(300, QLatin1Char('t')) } };
    QTest::newRow("a line break in a text") << NamedValues{ { { "K" }, "Notiz", "erste\nzweite" } };
}

// The registry's trees go through the tool's dump and seal, the reader checks the log and
// rebuilds them as they were, and its Registry Editor file gives back the same log.
void TestRepairLogTool::roundTripOfHardNames()
{
    QFETCH(NamedValues, values);

    TemporaryRoot source;
    const EmptyMakerTrees trees;
    RegistryNode tree;
    for (const NamedValue &value : values)
        tree.make(value.keys)->setValue(value.name, registryValueFromVariant(QVariant(value.text)));
    seedRegistryTree(userRoot, tree);
    seedRegistryTree(machineRoot, tree);
    QCOMPARE(registryContent(), treeContent(values));
    const QStringList lines = dumpRegistry();
    const QString logPath = writeLog(joined(sealedLines(lines)), QStringLiteral("hard"));

    const Result check = runTool({ QStringLiteral("check"), logPath });
    QCOMPARE(check.output,
             QStringLiteral("%1 lines, all intact and complete\n").arg(lines.size()).toUtf8());
    QCOMPARE(check.exitCode, 0);
    const Result shown = runTool({ QStringLiteral("tree"), logPath });
    QCOMPARE(shown.exitCode, 0);
    QCOMPARE(
            shownContent(QString::fromUtf8(shown.output)),
            treeContent(values).replaceInStrings(QStringLiteral("\n"), QStringLiteral("<U+000A>")));

    if (!registryIsStandIn())
        QSKIP("the hive files are the stand-in's");
    TemporaryRoot rebuilt;
    QVERIFY(writeHiveFiles(logPath, rebuilt));
    QCOMPARE(registryContent(), treeContent(values));
    QCOMPARE(dumpRegistry(), lines);
}

void TestRepairLogTool::showsWhatALogCannotTell_data()
{
    QTest::addColumn<QStringList>("arguments");
    // The files FILE1 and FILE2 of the arguments, and standard input.
    QTest::addColumn<QList<QByteArray>>("files");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    // Parts of the output and of the errors; a Registry Editor file's output is decoded.
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("errors");

    const QString file1 = "FILE1";
    const QString file2 = "FILE2";
    const QStringList head = dumped.mid(0, 3);
    const QStringList tail = dumped.mid(dumped.indexOf("Mein Entry: " + machineRoot) - 2);
    const QString note = QStringLiteral("[%1] + [Notiz]: erste\nzweite").arg(userRoot);
    QTest::newRow("open: a line break in a text stays on its line")
            << QStringList{ "open", file1 }
            << QList<QByteArray>{ joined(sealedLines(head + QStringList(note) + tail)) }
            << QByteArray() << 0
            << head.join(QLatin1Char('\n')) + QLatin1Char('\n')
                    + QString(note).replace(QLatin1Char('\n'), QLatin1String("<U+000A>"))
                    + QLatin1Char('\n') + tail.first() + QLatin1Char('\n')
            << QString();
    // A name or text that a line or paragraph separator would break, or a format character
    // would reorder or hide, shows their codes.
    const QString posing
            = QStringLiteral("[%1] + [Pfad\u2028x]: a\u2029b\u202Ec\u200Bd").arg(userRoot);
    for (const QString command : { "open", "tree" })
        QTest::newRow(qPrintable(command + ": separators and format characters by code"))
                << QStringList{ command, file1 }
                << QList<QByteArray>{ joined(sealedLines(head + QStringList(posing) + tail)) }
                << QByteArray() << 0
                << (command == QLatin1String("open")
                            ? QStringLiteral(
                                      "[%1] + [Pfad<U+2028>x]: a<U+2029>b<U+202E>c<U+200B>d\n")
                                      .arg(userRoot)
                            : QStringLiteral(
                                    "\"Pfad<U+2028>x\"=\"a<U+2029>b<U+202E>c<U+200B>d\"\n"))
                << QString();
    {
        QList<QByteArray> crafted = log;
        crafted.insert(5,
                       sealedLine(QStringLiteral("Hallo\n75 lines, all intact and "
                                                 "complete\x1b[2J")));
        QTest::newRow("check: a crafted line shows its codes")
                << QStringList{ "check", file1 } << QList<QByteArray>{ joined(crafted) }
                << QByteArray() << 1
                << QStringLiteral("line 6 unexpected: Hallo<U+000A>75 lines, all intact and "
                                  "complete<U+001B>[2J\n%1 lines read, %2 expected")
                           .arg(crafted.size())
                           .arg(log.size())
                << QString();
    }
    QTest::newRow("reg: a text with a NUL is a string")
            << QStringList{ "reg", file1 }
            << QList<QByteArray>{ joined(
                       sealedLines(head
                                   + QStringList(QStringLiteral("[%1] + [Nul]: a").arg(userRoot)
                                                 + QChar(QChar::Null) + "b")
                                   + tail)) }
            << QByteArray() << 0 << "\"Nul\"=hex(1):" << QString();
    {
        // From Player's key lines to Updater's opening lost: each value of Decks had two lines
        // there.
        QList<QByteArray> lost = log;
        const int player = dumped.indexOf(userRoot + "\\Player");
        const int updater = dumped.indexOf(userRoot + "\\Updater");
        for (int i = player + 1; i < updater; ++i)
            lost.removeAt(player + 1);
        QTest::newRow("tree: a value's note once")
                << QStringList{ "tree", file1 } << QList<QByteArray>{ joined(lost) } << QByteArray()
                << 1
                << QStringLiteral("\"Count\"=\"4\" ; lines %1 to %2 missing\n")
                           .arg(player + 2)
                           .arg(updater)
                << QStringLiteral("lines %1 to %2 missing").arg(player + 2).arg(updater);
    }
    QTest::newRow("diff: values a cut log may have lost")
            << QStringList{ "diff", file1, file2 }
            << QList<QByteArray>{ joined(log), joined(log.mid(0, 3)) } << QByteArray() << 1
            << QStringLiteral("removed [%1\\Updater] \"Letzte\"=\"2026-11-30\" ; the log after is "
                              "damaged or incomplete: the value may be among its lost lines\n")
                       .arg(userRoot)
            << "cut after line 3";
    {
        // Below Player the blocks of Decks, an empty key and Zoo; Decks and Zoo swapped, so
        // that each line of the pair that follows the empty key's block names the pair.
        TemporaryRoot other;
        const EmptyMakerTrees trees;
        RegistryNode tree;
        tree.setValue("Start", registryValueFromVariant(1));
        tree.make({ "Player" })->setValue("Volume", registryValueFromVariant(80));
        tree.make({ "Updater" })->setValue("Letzte", registryValueFromVariant("x"));
        tree.make({ "Player", "Decks" })->setValue("Count", registryValueFromVariant(4));
        tree.make({ "Player", "Leer" });
        tree.make({ "Player", "Zoo" })->setValue("z", registryValueFromVariant(1));
        seedRegistryTree(userRoot, tree);
        const QStringList lines = dumpRegistry();
        const int decks
                = lines.indexOf(QStringLiteral("[%1\\Player\\Decks] + [Count]: 4").arg(userRoot));
        QStringList swapped = lines.mid(0, decks - 2) + lines.mid(decks + 3, 3)
                + lines.mid(decks + 1, 2) + lines.mid(decks - 2, 3) + lines.mid(decks + 6);
        QTest::newRow("check: a swapped pair named once")
                << QStringList{ "check", file1 }
                << QList<QByteArray>{ joined(sealedLines(swapped)) } << QByteArray() << 1
                << QStringLiteral("line %1 out of order: it belongs after line %2\n"
                                  "lines %3 and %4 out of order\n%5 lines read")
                           .arg(decks - 1)
                           .arg(decks + 6)
                           .arg(decks)
                           .arg(decks + 1)
                           .arg(lines.size())
                << QString();
    }
    {
        // A "/" in a key's name is no level of its own; the default value is "@".
        TemporaryRoot other;
        const EmptyMakerTrees trees;
        RegistryNode tree;
        QVERIFY(tree.make({ "A/B" })->setValue(QString(), registryValueFromVariant("Standard")));
        seedRegistryTree(userRoot, tree);
        QTest::newRow("tree: names as the registry has them")
                << QStringList{ "tree", file1 }
                << QList<QByteArray>{ joined(sealedLines(dumpRegistry())) } << QByteArray() << 0
                << QStringLiteral("[%1\\A/B]\n@=\"Standard\"").arg(userRoot) << QString();
    }
    QTest::newRow("diff: both logs from standard input")
            << QStringList{ "diff", "-", "-" } << QList<QByteArray>() << joined(log) << 2
            << QString() << "diff: only one of the logs can come from standard input";
}

void TestRepairLogTool::showsWhatALogCannotTell()
{
    QFETCH(QStringList, arguments);
    QFETCH(QList<QByteArray>, files);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QFETCH(QString, errors);

    for (int i = 0; i < files.size(); ++i)
        arguments.replaceInStrings(QStringLiteral("FILE%1").arg(i + 1),
                                   writeLog(files.at(i), QStringLiteral("log%1").arg(i + 1)));
    const Result result = runTool(arguments, input);
    const QString shown = decoded(result.output);
    QVERIFY2(shown.contains(output), qPrintable(shown));
    QVERIFY2(QString::fromUtf8(result.errors).contains(errors), result.errors);
    QCOMPARE(result.exitCode, exitCode);
}

QTEST_GUILESS_MAIN(TestRepairLogTool)
#include "tst_repairlogtool.moc"
