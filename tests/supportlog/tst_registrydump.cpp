#include "liveregistry.h"
#include "platform/registry/registrykey.h"
#include "platform/registry/registrynode.h"
#include "registryseed.h"
#include "supportlog/registrydump.h"
#include "supportlogtesting.h"
#include "temporaryroot.h"

#include <QDate>
#include <QElapsedTimer>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QVector>

namespace {

const QString userRoot = QStringLiteral("HKEY_CURRENT_USER\\Software\\Kormand");
const QString machineRoot = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand");
const QString blank = QStringLiteral(" ");
const QString separator = QStringLiteral("====================================");

// One registry value to seed, or with an empty name a key without values.
struct Seed
{
    QString key;
    QString name;
    QVariant value;
};
using Seeds = QVector<Seed>;

QStringList rootBlock(const QString &root)
{
    return { blank, separator, QStringLiteral("Mein Entry: ") + root };
}

QString keyLine(const QString &path, const QString &key, const QString &text)
{
    return QLatin1Char('[') + path + QStringLiteral("] + [") + key + QStringLiteral("]: ") + text;
}

// Names of keys and values that the settings layer reads as the registry holds them, among them
// a "/" in a value's name, the unnamed default value, the key name "Default", dots, umlauts and
// names that differ only in case: their lines are the settings layer's. Names that it reads
// otherwise have rows of their own here and in the reader's round trip.
const char *const keyNames[]
        = { "Player", "Größe",      "Übersicht", "straße",      "ÄRGER",  "ärger",
            "v1.2",   ".versteckt", "ende.",     "a.b.c",       "Ordner", "Unterordner",
            "x",      "y",          "%1",        "Mein Ordner", "Default" };
const char *const valueNames[]
        = { "",    "..", "default", "Volume", "Größe Ä", "GRÖSSE ä",          "wert.1",
            "a/b", "y",  "%2",      "ÄÖÜ",    "äöü",     "Ordner/Unterordner" };
// Texts as a string value holds them, among them the forms the settings layer decodes.
const char *const texts[] = { "80",
                              "",
                              "Müller ß",
                              "zwei\nZeilen",
                              "%2 von %3",
                              "%APPDATA%\\Kormand",
                              "@@doppelt",
                              "@ByteArray(Daten)",
                              "@Rect(1 2 3 4)",
                              "@Size(5 6)",
                              "@Point(7 8)",
                              "@Invalid()",
                              "@String(x)",
                              "@unbekannt" };

template<typename T, int N>
QString pick(QRandomGenerator &random, T (&names)[N])
{
    return QString::fromUtf8(names[random.bounded(N)]);
}

QByteArray randomBytes(QRandomGenerator &random, int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

RegistryValue randomValue(QRandomGenerator &random)
{
    RegistryValue value;
    switch (random.bounded(12)) {
    case 0:
    case 1:
        value.type = RegistryValue::String;
        value.data = toUtf16Le(pick(random, texts) + QChar(QChar::Null));
        break;
    case 2:
        value.type = RegistryValue::ExpandString;
        value.data = toUtf16Le(pick(random, texts) + QChar(QChar::Null));
        break;
    case 3: {
        // One item gives its text; an item that starts with "@" turns the list into one without.
        value.type = RegistryValue::MultiString;
        const int count = 1 + random.bounded(3);
        for (int i = 0; i < count; ++i) {
            const QString item = pick(random, texts);
            value.data += toUtf16Le((item.isEmpty() ? QStringLiteral("leer") : item)
                                    + QChar(QChar::Null));
        }
        value.data += toUtf16Le(QString(QChar(QChar::Null)));
        break;
    }
    case 4:
    case 5:
        // Also of odd sizes.
        value.type = random.bounded(2) ? RegistryValue::Binary : RegistryValue::None;
        value.data = random.bounded(2) ? toUtf16Le(pick(random, texts))
                                       : randomBytes(random, random.bounded(10));
        break;
    case 6:
        value.type = random.bounded(2) ? RegistryValue::DWord : RegistryValue::DWordBigEndian;
        value.data = randomBytes(random, 4);
        break;
    case 7:
        value.type = RegistryValue::QWord;
        value.data = randomBytes(random, 8);
        break;
    case 8: {
        // As the toolkit stores values that have no registry type of their own.
        const QVariant variants[] = { QDate(2024, 5, 17),
                                      QByteArray("a\0b", 3),
                                      QStringList({ QStringLiteral("a"), QString() }),
                                      2.5,
                                      true,
                                      QSize(3, 4) };
        value = registryValueFromVariant(variants[random.bounded(6)]);
        break;
    }
    case 9:
        // A string without its terminating NUL, or cut in the middle of a character.
        value.type = RegistryValue::String;
        value.data = toUtf16Le(pick(random, texts));
        if (random.bounded(2))
            value.data.append(char(0x41));
        break;
    case 10:
        // A type that the settings layer does not read.
        value.type = 8;
        value.data = randomBytes(random, 4);
        break;
    default:
        value.type = RegistryValue::String;
        value.data = toUtf16Le(QStringLiteral("Wert %1").arg(random.bounded(1000))
                               + QChar(QChar::Null));
        break;
    }
    return value;
}

// A key of up to four values, every fifth without any, with up to three subkeys while depth lasts.
void fillRandomKey(QRandomGenerator &random, RegistryNode *node, int depth)
{
    const int valueCount = random.bounded(5);
    for (int i = 0; i < valueCount; ++i) {
        const QString name = pick(random, valueNames);
        if (!node->value(name))
            node->values.append(qMakePair(name, randomValue(random)));
    }
    const int childCount = depth > 0 ? random.bounded(4) : 0;
    for (int i = 0; i < childCount; ++i) {
        RegistryNode child;
        child.name = pick(random, keyNames);
        if (node->child(child.name))
            continue;
        fillRandomKey(random, &child, depth - 1);
        node->children.push_back(std::move(child));
    }
}

int valueCount(const RegistryNode &node)
{
    int count = node.values.size();
    for (const RegistryNode &child : node.children)
        count += valueCount(child);
    return count;
}

// Tells the first value whose copies in the key lines differ, or nothing when all agree; counts
// the copies beyond the first.
QString disagreement(const QStringList &lines, int *repeated)
{
    static const QRegularExpression keyLinePattern(
            QStringLiteral("^\\[(.*?)\\] \\+ \\[(.*?)\\]: (.*)$"));
    QHash<QString, QString> seen;
    *repeated = 0;
    for (const QString &line : lines) {
        const QRegularExpressionMatch match = keyLinePattern.match(line);
        if (!match.hasMatch())
            continue;
        const QString value = (match.captured(1) + QLatin1Char('\\')
                               + match.captured(2).replace(QLatin1Char('/'), QLatin1Char('\\')))
                                      .toCaseFolded();
        const auto known = seen.constFind(value);
        if (known == seen.constEnd()) {
            seen.insert(value, match.captured(3));
            continue;
        }
        ++*repeated;
        if (*known != match.captured(3))
            return QStringLiteral("%1: \"%2\" and \"%3\"").arg(value, *known, match.captured(3));
    }
    return QString();
}

// The settings layer on Windows warns at every read of a value of a type that it does not know;
// expected here, so left out of the test's output.
QtMessageHandler forwardMessage = nullptr;
void leaveOutUnknownTypeWarning(QtMsgType type, const QMessageLogContext &context,
                                const QString &message)
{
    if (!message.startsWith(QLatin1String("QSettings: Unknown data 8 type")))
        forwardMessage(type, context, message);
}

} // namespace

Q_DECLARE_METATYPE(Seeds)

class TestRegistryDump : public QObject
{
    Q_OBJECT

private slots:
    void dump_data();
    void dump();
    void snapshotMatchesPerLevel_data();
    void snapshotMatchesPerLevel();
    void copiesAgreeWhileWritten();
};

void TestRegistryDump::dump_data()
{
    QTest::addColumn<Seeds>("seeds");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("neither root exists") << Seeds() << rootBlock(userRoot) + rootBlock(machineRoot);

    {
        const QString player = userRoot + QStringLiteral("\\Player");
        QTest::newRow("worked example")
                << Seeds({ { player, QStringLiteral("Volume"), QStringLiteral("80") },
                           { player + QStringLiteral("\\Decks"), QStringLiteral("Count"),
                             QStringLiteral("4") } })
                << rootBlock(userRoot)
                        + QStringList(
                                { keyLine(userRoot, QStringLiteral("Player/Decks/Count"),
                                          QStringLiteral("4")),
                                  keyLine(userRoot, QStringLiteral("Player/Volume"),
                                          QStringLiteral("80")),
                                  separator, player,
                                  keyLine(player, QStringLiteral("Decks/Count"),
                                          QStringLiteral("4")),
                                  keyLine(player, QStringLiteral("Volume"), QStringLiteral("80")),
                                  blank, separator,
                                  keyLine(player + QStringLiteral("\\Decks"),
                                          QStringLiteral("Count"), QStringLiteral("4")) })
                        + rootBlock(machineRoot);
    }

    // The current user's tree comes first even when only the machine's exists.
    QTest::newRow("values in the machine root only")
            << Seeds({ { machineRoot, QStringLiteral("Pfad"), QStringLiteral("C:/Velto") },
                       { machineRoot, QStringLiteral("Starts"), 7 } })
            << rootBlock(userRoot) + rootBlock(machineRoot)
                    + QStringList({ keyLine(machineRoot, QStringLiteral("Pfad"),
                                            QStringLiteral("C:/Velto")),
                                    keyLine(machineRoot, QStringLiteral("Starts"),
                                            QStringLiteral("7")) });

    QTest::newRow("empty subkey below a root")
            << Seeds({ { userRoot + QStringLiteral("\\Leer"), QString(), QVariant() } })
            << rootBlock(userRoot) + QStringList({ separator, userRoot + QStringLiteral("\\Leer") })
                    + rootBlock(machineRoot);

    QTest::newRow("empty subkey deeper down")
            << Seeds({ { machineRoot + QStringLiteral("\\Player\\Leer"), QString(), QVariant() } })
            << rootBlock(userRoot) + rootBlock(machineRoot)
                    + QStringList({ separator, machineRoot + QStringLiteral("\\Player"), blank,
                                    separator });

    {
        const QString a = userRoot + QStringLiteral("\\A");
        QTest::newRow("values only further down") << Seeds(
                { { a + QStringLiteral("\\B\\C"), QStringLiteral("V"), QStringLiteral("1") } })
                                                  << rootBlock(userRoot)
                        + QStringList({ keyLine(userRoot, QStringLiteral("A/B/C/V"),
                                                QStringLiteral("1")),
                                        separator, a,
                                        keyLine(a, QStringLiteral("B/C/V"), QStringLiteral("1")),
                                        blank, separator,
                                        keyLine(a + QStringLiteral("\\B"), QStringLiteral("C/V"),
                                                QStringLiteral("1")),
                                        blank, separator,
                                        keyLine(a + QStringLiteral("\\B\\C"), QStringLiteral("V"),
                                                QStringLiteral("1")) })
                        + rootBlock(machineRoot);
    }

    {
        const QString user = userRoot + QStringLiteral("\\X");
        const QString machine = machineRoot + QStringLiteral("\\Y");
        QTest::newRow("groups in both trees")
                << Seeds({ { machine, QStringLiteral("w"), QStringLiteral("2") },
                           { user, QStringLiteral("v"), QStringLiteral("1") } })
                << rootBlock(userRoot)
                        + QStringList(
                                { keyLine(userRoot, QStringLiteral("X/v"), QStringLiteral("1")),
                                  separator, user,
                                  keyLine(user, QStringLiteral("v"), QStringLiteral("1")) })
                        + rootBlock(machineRoot)
                        + QStringList(
                                { keyLine(machineRoot, QStringLiteral("Y/w"), QStringLiteral("2")),
                                  separator, machine,
                                  keyLine(machine, QStringLiteral("w"), QStringLiteral("2")) });
    }

    // The line break stays inside its line; the export seals the line as one.
    QTest::newRow("value with a line break")
            << Seeds({ { userRoot, QStringLiteral("Notiz"), QStringLiteral("erste\nzweite") } })
            << rootBlock(userRoot)
                    + QStringList(keyLine(userRoot, QStringLiteral("Notiz"),
                                          QStringLiteral("erste\nzweite")))
                    + rootBlock(machineRoot);

    {
        const QString folder = userRoot + QStringLiteral("\\Mein Ordner");
        QTest::newRow("spaces and umlauts")
                << Seeds({ { folder, QStringLiteral("Größe Ä"), QStringLiteral("Müller ß") } })
                << rootBlock(userRoot)
                        + QStringList({ keyLine(userRoot, QStringLiteral("Mein Ordner/Größe Ä"),
                                                QStringLiteral("Müller ß")),
                                        separator, folder,
                                        keyLine(folder, QStringLiteral("Größe Ä"),
                                                QStringLiteral("Müller ß")) })
                        + rootBlock(machineRoot);
    }

    // Filled one marker at a time, "%1" in a name would take the next argument.
    {
        const QString share = userRoot + QStringLiteral("\\100%1");
        QTest::newRow("place markers in names")
                << Seeds({ { share, QStringLiteral("Anteil %1"), QStringLiteral("%2 von %3") } })
                << rootBlock(userRoot)
                        + QStringList({ keyLine(userRoot, QStringLiteral("100%1/Anteil %1"),
                                                QStringLiteral("%2 von %3")),
                                        separator, share,
                                        keyLine(share, QStringLiteral("Anteil %1"),
                                                QStringLiteral("%2 von %3")) })
                        + rootBlock(machineRoot);
    }

    QTest::newRow("value without a text form")
            << Seeds({ { userRoot, QStringLiteral("Liste"),
                         QStringList({ QStringLiteral("a"), QStringLiteral("b") }) } })
            << rootBlock(userRoot)
                    + QStringList(keyLine(userRoot, QStringLiteral("Liste"), QString()))
                    + rootBlock(machineRoot);

    {
        // No depth limit: every level below the first opens with a blank line and a separator
        // and repeats the value, split at that level.
        const int depth = 40;
        QStringList levels;
        for (int i = 1; i <= depth; ++i)
            levels << QStringLiteral("Ebene %1").arg(i);
        QStringList expected = rootBlock(userRoot);
        expected << keyLine(userRoot, levels.join(QLatin1Char('/')) + QStringLiteral("/Wert"),
                            QStringLiteral("tief"));
        QString path = userRoot;
        for (int i = 0; i < depth; ++i) {
            path += QLatin1Char('\\') + levels.at(i);
            if (i == 0)
                expected << separator << path;
            else
                expected << blank << separator;
            expected << keyLine(
                    path,
                    QStringList(levels.mid(i + 1)).join(QLatin1Char('/'))
                            + (i + 1 < depth ? QStringLiteral("/Wert") : QStringLiteral("Wert")),
                    QStringLiteral("tief"));
        }
        expected += rootBlock(machineRoot);
        QTest::newRow("deep tree")
                << Seeds({ { path, QStringLiteral("Wert"), QStringLiteral("tief") } }) << expected;
    }
}

void TestRegistryDump::dump()
{
    QFETCH(Seeds, seeds);
    QFETCH(QStringList, expected);

    TemporaryRoot root;
    QVERIFY(root.isValid());
    const EmptyMakerTrees emptyTrees;
    for (const Seed &seed : seeds) {
        if (seed.name.isEmpty())
            seedRegistryKey(seed.key);
        else
            seedRegistryValue(seed.key, seed.name, seed.value);
    }

    QCOMPARE(dumpRegistry(), expected);
    QCOMPARE(dumpRegistry(LiveRegistry()), expected);
}

void TestRegistryDump::snapshotMatchesPerLevel_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 12; ++seed)
        QTest::addRow("random trees %u", seed) << seed;
}

void TestRegistryDump::snapshotMatchesPerLevel()
{
    QFETCH(quint32, seed);

    TemporaryRoot root;
    QVERIFY(root.isValid());
    const EmptyMakerTrees emptyTrees;
    QRandomGenerator random(seed);
    int values = 0;
    for (const QString &path : { userRoot, machineRoot }) {
        RegistryNode tree;
        fillRandomKey(random, &tree, 4);
        seedRegistryTree(path, tree);
        values += valueCount(tree);
    }

    // The snapshot first: on Windows the settings layer creates the keys that it is asked to
    // open, and a key whose name holds "/" is asked for by a path that names other keys.
    const QStringList snapshot = dumpRegistry();
    forwardMessage = qInstallMessageHandler(leaveOutUnknownTypeWarning);
    const QStringList reference = dumpRegistry(LiveRegistry());
    qInstallMessageHandler(forwardMessage);
    QCOMPARE(snapshot, reference);
    QVERIFY2(snapshot.size() > 6 + values, qPrintable(snapshot.join(QLatin1Char('\n'))));
}

void TestRegistryDump::copiesAgreeWhileWritten()
{
    TemporaryRoot root;
    QVERIFY(root.isValid());
    const EmptyMakerTrees emptyTrees;
    // A value on each of three levels below every key of the first two, so most show two to
    // four times.
    QStringList keys;
    QVector<QPair<QString, QVariant>> initial;
    for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b) {
            const QString group = QStringLiteral("Gruppe %1/Untergruppe %2").arg(a).arg(b);
            keys << QStringLiteral("Gruppe %1/Wert %2").arg(a).arg(b)
                 << group + QStringLiteral("/Wert") << group + QStringLiteral("/Ebene 3/Wert");
        }
    }
    for (const QString &key : qAsConst(keys))
        initial.append(qMakePair(key, QVariant(QStringLiteral("Runde 0"))));
    seedRegistryValues(userRoot, initial);

    QProcess writer;
    writer.setProcessChannelMode(QProcess::ForwardedChannels);
    writer.start(QStringLiteral(WRITER_PATH), QStringList(userRoot) + keys);
    QVERIFY2(writer.waitForStarted(), qPrintable(writer.errorString()));
    const auto stopWriter = qScopeGuard([&writer] {
        writer.kill();
        writer.waitForFinished();
    });
    const auto writes
            = [] { return RegistryKey(userRoot).text(QStringLiteral("Schreibzähler")).toInt(); };

    // Until the writer has written during five dumps.
    int overlapping = 0;
    QElapsedTimer clock;
    clock.start();
    while (overlapping < 5 && clock.elapsed() < 120000) {
        QCOMPARE(writer.state(), QProcess::Running);
        const int before = writes();
        const QStringList lines = dumpRegistry();
        if (writes() > before && before > 0)
            ++overlapping;
        int repeated = 0;
        const QString differing = disagreement(lines, &repeated);
        QVERIFY2(differing.isEmpty(), qPrintable(differing));
        QVERIFY(repeated >= 2 * keys.size());
    }
    QVERIFY2(overlapping == 5, "the writer did not write while the dump ran");
}

QTEST_GUILESS_MAIN(TestRegistryDump)
#include "tst_registrydump.moc"
