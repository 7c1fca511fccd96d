#include "filecontents.h"
#include "platform/registry/registrykey.h"
#include "registryseed.h"
#include "temporaryroot.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTest>

#include <csignal>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

enum class Encoding { Utf8, Utf8WithBom, Utf16Le };
Q_DECLARE_METATYPE(Encoding)

namespace {

const QString header = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kormand = QStringLiteral("HKEY_CURRENT_USER\\Software\\Kormand");

// An export as the Registry Editor writes it, lines joined by "\n".
const QString sample = QStringLiteral(
        "Windows Registry Editor Version 5.00\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\Kormand]\n"
        "@=\"Velto\"\n"
        "\"InstallPath\"=\"C:\\\\Program Files (x86)\\\\Kormand\\\\Velto \\\"Studio\\\"\"\n"
        "\"Version\"=dword:00000305\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\Kormand\\Velto Studio]\n"
        "\"LastLibrary\"=hex(2):25,00,55,00,53,00,45,00,52,00,50,00,52,00,4f,00,46,00,49,\\\n"
        "  00,4c,00,45,00,25,00,5c,00,4d,00,75,00,73,00,69,00,6b,00,00,00\n"
        "\"Recent\"=hex(7):43,00,3a,00,5c,00,61,00,2e,00,6d,00,70,00,33,00,00,00,43,00,3a,\\\n"
        "  00,5c,00,62,00,2e,00,6d,00,70,00,33,00,00,00,00,00\n"
        "\"Window\"=hex:01,02,03,04\n"
        "\"Bytes\"=hex(b):00,e4,0b,54,02,00,00,00\n"
        "\"Größe\"=\"Maß \U0001F3B5\"\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\Kormand\\Velto Studio\\Empty]\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\Kormand\\Velto Studio\\Decks]\n"
        "\"Count\"=dword:00000004\n"
        "\n");

QByteArray encoded(const QString &text, Encoding encoding)
{
    if (encoding == Encoding::Utf8)
        return text.toUtf8();
    if (encoding == Encoding::Utf8WithBom)
        return "\xef\xbb\xbf" + text.toUtf8();
    QByteArray bytes("\xff\xfe");
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xff));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

QString hivePath(const TemporaryRoot &root, const QString &hive)
{
    return root.filePath(QStringLiteral("registry/") + hive + QStringLiteral(".reg"));
}

QString crlf(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

} // namespace

class TestStandInRegistry : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void rewritesInTheEncodingItRead_data();
    void rewritesInTheEncodingItRead();
    void absentHiveIsEmptyAndCreatedOnlyByAWrite();
    void valueLinesReadAndRewrittenAsOnWindows_data();
    void valueLinesReadAndRewrittenAsOnWindows();
    void namesAndTextsAreEscaped_data();
    void namesAndTextsAreEscaped();
    void sampleExportReadsAsWindowsWould();
    void malformedHiveIsNeverWritten_data();
    void malformedHiveIsNeverWritten();
    void unwritableHiveWarns();
    void everyOpeningSeesTheFileAsItIsNow();
    void sameSizeRewritesAreSeen_data();
    void sameSizeRewritesAreSeen();
    void failedWriteChangesNothing();

private:
    TemporaryRoot *root = nullptr;
};

void TestStandInRegistry::init()
{
    root = new TemporaryRoot;
    QVERIFY(root->isValid());
}

void TestStandInRegistry::cleanup()
{
    delete root;
    root = nullptr;
}

void TestStandInRegistry::rewritesInTheEncodingItRead_data()
{
    QTest::addColumn<Encoding>("encoding");
    QTest::addColumn<bool>("carriageReturns");

    QTest::newRow("UTF-16LE, CRLF") << Encoding::Utf16Le << true;
    QTest::newRow("UTF-8, CRLF") << Encoding::Utf8 << true;
    QTest::newRow("UTF-8, LF") << Encoding::Utf8 << false;
    QTest::newRow("UTF-8 with BOM, LF") << Encoding::Utf8WithBom << false;
}

void TestStandInRegistry::rewritesInTheEncodingItRead()
{
    QFETCH(Encoding, encoding);
    QFETCH(bool, carriageReturns);

    const QString text = carriageReturns ? crlf(sample) : sample;
    const QString path = hivePath(*root, "HKEY_CURRENT_USER");
    QVERIFY(writeFile(path, encoded(text, encoding)));

    RegistryKey(kormand + "\\Velto Studio\\Decks").setInteger("Count", 4);
    QCOMPARE(readFile(path), encoded(text, encoding));

    RegistryKey(kormand + "\\VELTO STUDIO\\decks").setInteger("count", 5);
    QString changed = text;
    changed.replace("\"Count\"=dword:00000004", "\"Count\"=dword:00000005");
    QCOMPARE(readFile(path), encoded(changed, encoding));
}

void TestStandInRegistry::absentHiveIsEmptyAndCreatedOnlyByAWrite()
{
    const QString machine = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand";
    {
        RegistryKey key(machine);
        QCOMPARE(key.allKeys(), QStringList());
        QCOMPARE(key.childGroups(), QStringList());
        QCOMPARE(key.text("Volume"), QString());
        key.removeAll();
    }
    QVERIFY(!QFileInfo::exists(root->filePath("registry")));

    RegistryKey(machine).setInteger("EnableLUA", 0);
    QCOMPARE(readFile(hivePath(*root, "HKEY_LOCAL_MACHINE")),
             crlf(header
                  + "\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand]\n\"EnableLUA\"=dword:00000000\n\n")
                     .toUtf8());
    QVERIFY(!QFileInfo::exists(hivePath(*root, "HKEY_CURRENT_USER")));
}

void TestStandInRegistry::valueLinesReadAndRewrittenAsOnWindows_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("rewritten");

    QTest::newRow("string") << "\"V\"=\"Dark\""
                            << "Dark"
                            << "";
    QTest::newRow("string with escapes") << "\"V\"=\"a \\\"b\\\" c:\\\\d\""
                                         << "a \"b\" c:\\d"
                                         << "";
    QTest::newRow("empty string") << "\"V\"=\"\""
                                  << ""
                                  << "";
    QTest::newRow("dword") << "\"V\"=dword:0000000a"
                           << "10"
                           << "";
    QTest::newRow("dword, negative") << "\"V\"=dword:ffffffff"
                                     << "-1"
                                     << "";
    QTest::newRow("dword, short form") << "\"V\"=dword:A"
                                       << "10"
                                       << "\"V\"=dword:0000000a";
    QTest::newRow("qword") << "\"V\"=hex(b):00,e4,0b,54,02,00,00,00"
                           << "10000000000"
                           << "";
    QTest::newRow("qword, negative") << "\"V\"=hex(b):fe,ff,ff,ff,ff,ff,ff,ff"
                                     << "-2"
                                     << "";
    QTest::newRow("expandable string, unexpanded")
            << "\"V\"=hex(2):25,00,41,00,50,00,50,00,44,00,41,00,54,00,41,00,25,00,00,00"
            << "%APPDATA%"
            << "";
    QTest::newRow("multi-string, one") << "\"V\"=hex(7):61,00,62,00,00,00,00,00"
                                       << "ab"
                                       << "";
    QTest::newRow("multi-string, two") << "\"V\"=hex(7):61,00,00,00,62,00,00,00,00,00"
                                       << ""
                                       << "";
    QTest::newRow("multi-string, none") << "\"V\"=hex(7):00,00"
                                        << ""
                                        << "";
    QTest::newRow("binary, read as UTF-16") << "\"V\"=hex:41,00,42,00"
                                            << "AB"
                                            << "";
    QTest::newRow("binary, odd byte dropped") << "\"V\"=hex:41,00,42"
                                              << "A"
                                              << "";
    QTest::newRow("binary, empty") << "\"V\"=hex:"
                                   << ""
                                   << "";
    QTest::newRow("binary, upper case") << "\"V\"=hex:4A,00"
                                        << "J"
                                        << "\"V\"=hex:4a,00";
    QTest::newRow("none") << "\"V\"=hex(0):43,00"
                          << "C"
                          << "";
    QTest::newRow("string up to its first NUL") << "\"V\"=hex(1):41,00,00,00,42,00,00,00"
                                                << "A"
                                                << "";
    QTest::newRow("string without terminator") << "\"V\"=hex(1):41,00,42,00"
                                               << "AB"
                                               << "";
    QTest::newRow("string as hex") << "\"V\"=hex(1):41,00,00,00"
                                   << "A"
                                   << "\"V\"=\"A\"";
    QTest::newRow("dword as hex") << "\"V\"=hex(4):01,00,00,00"
                                  << "1"
                                  << "\"V\"=dword:00000001";
    QTest::newRow("dword, short") << "\"V\"=hex(4):01,01"
                                  << "257"
                                  << "";
    QTest::newRow("big-endian dword, unswapped") << "\"V\"=hex(5):00,00,00,01"
                                                 << "16777216"
                                                 << "";
    QTest::newRow("link, no text") << "\"V\"=hex(6):41,00"
                                   << ""
                                   << "";
    QTest::newRow("at-escaped text") << "\"V\"=\"@@home\""
                                     << "@home"
                                     << "";
    QTest::newRow("byte array text") << "\"V\"=\"@ByteArray(xyz)\""
                                     << "xyz"
                                     << "";
    QTest::newRow("invalid text") << "\"V\"=\"@Invalid()\""
                                  << ""
                                  << "";
    QTest::newRow("rect text") << "\"V\"=\"@Rect(1 2 3 4)\""
                               << ""
                               << "";
    QTest::newRow("broken rect text") << "\"V\"=\"@Rect(1 2)\""
                                      << "@Rect(1 2)"
                                      << "";
    QTest::newRow("text with a line break")
            << "\"V\"=\"one\ntwo\""
            << "one\ntwo"
            << "\"V\"=hex(1):6f,00,6e,00,65,00,0a,00,74,00,77,00,6f,00,00,00";
    QTest::newRow("continued over lines") << "\"V\"=hex:41,00,\\\n  42,\\\n 00"
                                          << "AB"
                                          << "\"V\"=hex:41,00,42,00";
    QTest::newRow("blanks around") << "  \"V\" = dword:00000001 "
                                   << "1"
                                   << "\"V\"=dword:00000001";
}

void TestStandInRegistry::valueLinesReadAndRewrittenAsOnWindows()
{
    QFETCH(QString, line);
    QFETCH(QString, text);
    QFETCH(QString, rewritten);

    const QString path = hivePath(*root, "HKEY_CURRENT_USER");
    QVERIFY(writeFile(path, (header + "\n\n[" + kormand + "]\n" + line + "\n\n").toUtf8()));
    QCOMPARE(RegistryKey(kormand).text("V"), text);

    RegistryKey(kormand).setInteger("Written", 1);
    const QString expected = header + "\n\n[" + kormand + "]\n"
            + (rewritten.isEmpty() ? line : rewritten) + "\n\"Written\"=dword:00000001\n\n";
    QCOMPARE(QString::fromUtf8(readFile(path)), expected);
    QCOMPARE(RegistryKey(kormand).text("V"), text);
}

void TestStandInRegistry::namesAndTextsAreEscaped_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("line");

    QTest::newRow("quotes and backslashes") << "\"Pfad\""
                                            << "C:\\Musik\\\"Neu\""
                                            << "\"\\\"Pfad\\\"\"=\"C:\\\\Musik\\\\\\\"Neu\\\"\"";
    QTest::newRow("umlauts") << "Größe"
                             << "Übermaß"
                             << "\"Größe\"=\"Übermaß\"";
    QTest::newRow("blanks and equals") << " a = b "
                                       << " = "
                                       << "\" a = b \"=\" = \"";
    QTest::newRow("brackets and semicolon") << "[x];"
                                            << "; [y]"
                                            << "\"[x];\"=\"; [y]\"";
    QTest::newRow("slash in a name") << "AC\\DC"
                                     << "a/b"
                                     << "\"AC/DC\"=\"a/b\"";
    QTest::newRow("default value") << "."
                                   << "d"
                                   << "@=\"d\"";
}

void TestStandInRegistry::namesAndTextsAreEscaped()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, line);

    seedRegistryValue(kormand, name, text);
    const QString path = hivePath(*root, "HKEY_CURRENT_USER");
    QCOMPARE(QString::fromUtf8(readFile(path)),
             crlf(header + "\n\n[" + kormand + "]\n" + line + "\n\n"));
    QCOMPARE(RegistryKey(kormand).text(name), text);
}

void TestStandInRegistry::sampleExportReadsAsWindowsWould()
{
    QVERIFY(writeFile(hivePath(*root, "HKEY_CURRENT_USER"),
                      encoded(crlf(sample
                                   + "[HKEY_CURRENT_USER\\SOFTWARE\\KORMAND\\velto studio\\decks]\n"
                                     "\"count\"=dword:00000008\n"
                                     "\"Notes\"=\"Zeile 1\n"
                                     "Zeile 2\"\n"
                                     "\n"
                                     "; comment lines are skipped\n"
                                     "[HKEY_CURRENT_USER\\Software\\Kormand\\Gone]\n"
                                     "\"X\"=\"1\"\n"
                                     "\"Removed\"=\"1\"\n"
                                     "\"Removed\"=-\n"
                                     "\n"
                                     "[-HKEY_CURRENT_USER\\Software\\Kormand\\Gone]\n"
                                     "\n"
                                     "[HKEY_CURRENT_USER\\Software\\Kormand\\Later\\Deep]\n"
                                     "\"Y\"=\"2\"\n"),
                              Encoding::Utf16Le)));

    const RegistryKey key(kormand);
    QCOMPARE(key.childGroups(), QStringList({ "Later", "Velto Studio" }));
    QCOMPARE(key.allKeys(),
             QStringList({ ".", "InstallPath", "Later/Deep/Y", "Velto Studio/Bytes",
                           "Velto Studio/Decks/Count", "Velto Studio/Decks/Notes",
                           "Velto Studio/Größe", "Velto Studio/LastLibrary", "Velto Studio/Recent",
                           "Velto Studio/Window", "Version" }));
    QCOMPARE(key.text("."), QString("Velto"));
    QCOMPARE(key.text("InstallPath"),
             QString("C:\\Program Files (x86)\\Kormand\\Velto \"Studio\""));
    QCOMPARE(key.text("Version"), QString("773"));
    QCOMPARE(key.text("Velto Studio/Decks/Count"), QString("8"));
    QCOMPARE(key.text("Velto Studio/Decks/Notes"), QString("Zeile 1\r\nZeile 2"));
    QCOMPARE(key.text("Velto Studio/LastLibrary"), QString("%USERPROFILE%\\Musik"));
    QCOMPARE(key.text("Velto Studio/Recent"), QString());
    QCOMPARE(key.text("Velto Studio/Window"), QString::fromUtf16(u"\u0201\u0403"));
    QCOMPARE(key.text("Velto Studio/Größe"), QString("Maß \U0001F3B5"));
    QCOMPARE(RegistryKey(kormand + "\\Velto Studio").childGroups(),
             QStringList({ "Decks", "Empty" }));
    QCOMPARE(RegistryKey("HKEY_CURRENT_USER").childGroups(), QStringList{ "Software" });
    QCOMPARE(RegistryKey("HKCU\\Software").childGroups(), QStringList{ "Kormand" });
}

void TestStandInRegistry::malformedHiveIsNeverWritten_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("line");

    const QByteArray start
            = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\S]\r\n";
    QTest::newRow("no header") << QByteArray("REGEDIT4\r\n") << 1;
    QTest::newRow("value outside a key")
            << QByteArray("Windows Registry Editor Version 5.00\r\n\r\n\"A\"=\"1\"\r\n") << 3;
    QTest::newRow("bad dword") << start + "\"A\"=dword:1234567890\r\n" << 4;
    QTest::newRow("bad byte") << start + "\"A\"=\"1\"\r\n\"B\"=hex:01,0g\r\n" << 5;
    QTest::newRow("continuation at the end") << start + "\"A\"=hex:01,\\" << 4;
    QTest::newRow("open key name") << start + "[HKEY_CURRENT_USER\\S\\T\r\n" << 4;
    QTest::newRow("key of another hive") << start + "\r\n[HKEY_LOCAL_MACHINE\\S]\r\n" << 5;
    QTest::newRow("empty key name") << start + "[HKEY_CURRENT_USER\\S\\\\T]\r\n" << 4;
    QTest::newRow("unknown escape") << start + "\"A\"=\"C:\\Musik\"\r\n" << 4;
    QTest::newRow("unknown type") << start + "\"A\"=qword:1\r\n" << 4;
    QTest::newRow("no equals sign") << start + "\"A\" \"1\"\r\n" << 4;
    QTest::newRow("text after the value") << start + "\"A\"=\"1\" x\r\n" << 4;
    QTest::newRow("text never closed") << start + "\"A\"=\"1\r\n\"B\"=\"2\r\n" << 4;
    QTest::newRow("broken UTF-8") << start + "\"A\"=\"\xc3\x28\"\r\n" << 4;
    QTest::newRow("odd UTF-16") << encoded(QString::fromLatin1(start), Encoding::Utf16Le) + "x"
                                << 4;
}

void TestStandInRegistry::malformedHiveIsNeverWritten()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, line);

    const QString path = hivePath(*root, "HKEY_CURRENT_USER");
    QVERIFY(writeFile(path, bytes));
    const QString named = "^" + QRegularExpression::escape(QDir::toNativeSeparators(path)) + ":"
            + QString::number(line) + ": ";
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(named + ".*the hive is not read"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(named + "not written"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(named + "not written"));
    {
        RegistryKey key("HKEY_CURRENT_USER\\S");
        QCOMPARE(key.allKeys(), QStringList());
        QCOMPARE(key.childGroups(), QStringList());
        key.setInteger("A", 1);
        QCOMPARE(key.text("A"), QString());
        key.removeAll();
    }
    QCOMPARE(readFile(path), bytes);
    QVERIFY(!QFileInfo::exists(path + ".tmp"));
    QCOMPARE(QDir(root->filePath("registry")).entryList(QDir::Files),
             QStringList{ "HKEY_CURRENT_USER.reg" });
}

void TestStandInRegistry::unwritableHiveWarns()
{
    QVERIFY(writeFile(root->filePath("registry"), "a file where the folder belongs"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("HKEY_CURRENT_USER.reg: not written: "));
    RegistryKey(kormand).setInteger("A", 1);
    QCOMPARE(RegistryKey(kormand).text("A"), QString());
}

void TestStandInRegistry::everyOpeningSeesTheFileAsItIsNow()
{
    const QString path = hivePath(*root, "HKEY_CURRENT_USER");
    for (const char *text : { "aaaa", "bbbb", "aaaa" }) {
        QVERIFY(writeFile(path,
                          (header + "\n\n[" + kormand + "]\n\"V\"=\"" + text + "\"\n").toUtf8()));
        QCOMPARE(RegistryKey(kormand).text("V"), QString::fromLatin1(text));
    }
}

void TestStandInRegistry::sameSizeRewritesAreSeen_data()
{
    QTest::addColumn<int>("rounds");
    QTest::addColumn<int>("settleMs");
    QTest::addColumn<bool>("replaced");
    QTest::addColumn<bool>("timesKept");

    // Rewrites at once land within one tick of the file system's clock again and again.
    QTest::newRow("in place, at once") << 200 << 0 << false << false;
    QTest::newRow("in place, at once, times kept") << 50 << 0 << false << true;
    QTest::newRow("replaced, at once") << 50 << 0 << true << false;
    // Read long after the last change, the file's times alone decide.
    QTest::newRow("in place, settled, times kept") << 3 << 300 << false << true;
    QTest::newRow("replaced, settled, times kept") << 3 << 300 << true << true;
}

// Another program changes the hive behind the tool's back without changing its size.
void TestStandInRegistry::sameSizeRewritesAreSeen()
{
    QFETCH(int, rounds);
    QFETCH(int, settleMs);
    QFETCH(bool, replaced);
    QFETCH(bool, timesKept);

    const QString path = hivePath(*root, "HKEY_CURRENT_USER");
    const auto version
            = [](int round) { return QString::number(round).rightJustified(4, QLatin1Char('0')); };
    const auto hiveText = [](const QString &text) {
        return (header + "\n\n[" + kormand + "]\n\"V\"=\"" + text + "\"\n").toUtf8();
    };
    QVERIFY(writeFile(path, hiveText(version(0))));
    struct stat first;
    QCOMPARE(stat(QFile::encodeName(path).constData(), &first), 0);

    for (int round = 1; round <= rounds; ++round) {
        if (settleMs > 0)
            QTest::qSleep(settleMs);
        QCOMPARE(RegistryKey(kormand).text("V"), version(round - 1));
        QCOMPARE(RegistryKey(kormand).text("V"), version(round - 1));

        const QByteArray bytes = hiveText(version(round));
        if (replaced) {
            QSaveFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(bytes), qint64(bytes.size()));
            QVERIFY(file.commit());
        } else {
            QVERIFY(writeFile(path, bytes));
        }
        if (timesKept) {
            const timespec times[] = { first.st_atim, first.st_mtim };
            QCOMPARE(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
        }
        QCOMPARE(RegistryKey(kormand).text("V"), version(round));
    }
}

void TestStandInRegistry::failedWriteChangesNothing()
{
    seedRegistryValue(kormand, "Kept", 1);
    const QString path = hivePath(*root, "HKEY_CURRENT_USER");
    const QByteArray before = readFile(path);
    QCOMPARE(RegistryKey(kormand).text("Kept"), QString("1"));

    // A file-size limit below the hive's size makes writing it fail.
    rlimit previous;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = before.size() / 2;
    const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("HKEY_CURRENT_USER.reg: not written: "));
    RegistryKey(kormand).setInteger("Kept", 2);
    setrlimit(RLIMIT_FSIZE, &previous);
    signal(SIGXFSZ, previousHandler);

    QCOMPARE(RegistryKey(kormand).text("Kept"), QString("1"));
    QCOMPARE(readFile(path), before);
    QCOMPARE(QDir(root->filePath("registry")).entryList(QDir::Files),
             QStringList{ "HKEY_CURRENT_USER.reg" });
}

QTEST_GUILESS_MAIN(TestStandInRegistry)
#include "tst_standinregistry.moc"
