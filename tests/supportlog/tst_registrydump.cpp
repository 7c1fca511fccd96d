#include "registryseed.h"
#include "supportlog/registrydump.h"
#include "supportlogtesting.h"
#include "temporaryroot.h"

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

} // namespace

Q_DECLARE_METATYPE(Seeds)

class TestRegistryDump : public QObject
{
    Q_OBJECT

private slots:
    void dump_data();
    void dump();
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
}

QTEST_GUILESS_MAIN(TestRegistryDump)
#include "tst_registrydump.moc"
