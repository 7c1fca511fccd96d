#include "platform/registry/registrykey.h"
#include "registryseed.h"
#include "temporaryroot.h"

#include <QTest>

namespace {

const QString kormand = QStringLiteral("HKEY_CURRENT_USER\\Software\\Kormand");
const QString other = QStringLiteral("HKEY_CURRENT_USER\\Software\\Other");

} // namespace

class TestRegistryKey : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readsSeededValuesAsText_data();
    void readsSeededValuesAsText();
    void missingValueReadsEmpty();
    void writtenIntegerReadsBackAsDecimal_data();
    void writtenIntegerReadsBackAsDecimal();
    void keyNamesAreCaseInsensitive_data();
    void keyNamesAreCaseInsensitive();
    void listsKeysAndGroupsAsTheNativeFormat();
    void emptyKeysAreGroupsButNoKeys();
    void absentKeyListsNothing();
    void removeAllEmptiesTheKeyAndKeepsIt_data();
    void removeAllEmptiesTheKeyAndKeepsIt();
    void keysOpenAtOnceSeeEachOthersChanges();
    void removedTreeIsGone();

private:
    TemporaryRoot *root = nullptr;
};

void TestRegistryKey::init()
{
    root = new TemporaryRoot;
    QVERIFY(root->isValid());
}

void TestRegistryKey::cleanup()
{
    for (const QString &tree :
         { kormand, other, QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand") })
        removeRegistryTree(tree);
    delete root;
    root = nullptr;
}

void TestRegistryKey::readsSeededValuesAsText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("string") << "Skin" << QVariant("Dark") << "Dark";
    QTest::newRow("dword") << "Volume" << QVariant(80) << "80";
    QTest::newRow("negative dword") << "Offset" << QVariant(-12) << "-12";
    QTest::newRow("unsigned dword above int") << "Mask" << QVariant(4294967295u) << "-1";
    QTest::newRow("qword") << "Size" << QVariant(qint64(9000000000)) << "9000000000";
    QTest::newRow("one string in a list")
            << "Paths" << QVariant(QStringList{ "C:\\Musik" }) << "C:\\Musik";
    QTest::newRow("two strings in a list") << "Both" << QVariant(QStringList{ "a", "b" }) << "";
    QTest::newRow("leading at sign") << "Mail" << QVariant("@home") << "@home";
    QTest::newRow("umlauts, blanks, equals")
            << " Größe = Maß" << QVariant(" ä = ö \"ü\" \\") << " ä = ö \"ü\" \\";
    QTest::newRow("empty string") << "Nothing" << QVariant(QString("")) << "";
    QTest::newRow("default value") << "." << QVariant("standard") << "standard";
}

void TestRegistryKey::readsSeededValuesAsText()
{
    QFETCH(QString, name);
    QFETCH(QVariant, value);
    QFETCH(QString, expected);

    seedRegistryValue(kormand, name, value);
    QCOMPARE(RegistryKey(kormand).text(name), expected);
}

void TestRegistryKey::missingValueReadsEmpty()
{
    seedRegistryValue(kormand, "Volume", 80);
    const RegistryKey key(kormand);
    QCOMPARE(key.text("Balance"), QString());
    QVERIFY(RegistryKey(kormand + "\\Missing").text("Volume").isNull());
}

void TestRegistryKey::writtenIntegerReadsBackAsDecimal_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("value");

    const QString policies = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
                             "Policies\\System";
    QTest::newRow("zero into an absent path") << policies << 0;
    QTest::newRow("one") << policies << 1;
    QTest::newRow("negative") << kormand << -7;
    QTest::newRow("largest") << kormand << 2147483647;
}

void TestRegistryKey::writtenIntegerReadsBackAsDecimal()
{
    QFETCH(QString, path);
    QFETCH(int, value);

    RegistryKey(path).setInteger("EnableLUA", value);
    QCOMPARE(RegistryKey(path).text("EnableLUA"), QString::number(value));
}

void TestRegistryKey::keyNamesAreCaseInsensitive_data()
{
    QTest::addColumn<QString>("seededAt");
    QTest::addColumn<QString>("openedAt");

    QTest::newRow("Software, SOFTWARE") << "HKEY_LOCAL_MACHINE\\Software\\Kormand"
                                        << "HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand";
    QTest::newRow("SOFTWARE, Software") << "HKEY_CURRENT_USER\\SOFTWARE\\Kormand" << kormand;
    QTest::newRow("value name") << kormand << "HKEY_CURRENT_USER\\software\\KORMAND";
}

void TestRegistryKey::keyNamesAreCaseInsensitive()
{
    QFETCH(QString, seededAt);
    QFETCH(QString, openedAt);

    seedRegistryValue(seededAt, "Player/Volume", 80);
    RegistryKey(openedAt).setInteger("player/VOLUME", 81);

    const RegistryKey key(openedAt);
    QCOMPARE(key.text("PLAYER/volume"), QString("81"));
    QCOMPARE(key.childGroups(), QStringList{ "Player" });
    QCOMPARE(key.allKeys(), QStringList{ "Player/Volume" });
}

void TestRegistryKey::listsKeysAndGroupsAsTheNativeFormat()
{
    seedRegistryValue(kormand, "Player/Volume", 80);
    seedRegistryValue(kormand, "Player/Decks/Count", 4);
    seedRegistryValue(kormand, "b", "x");
    seedRegistryValue(kormand, "A", "x");
    seedRegistryValue(kormand, ".", "default");
    seedRegistryValue(kormand, "Player0/Name", "x");
    seedRegistryValue(kormand, "Player.x/Name", "x");
    seedRegistryValue(kormand, "AC\\DC", "slash in a value name");

    const RegistryKey key(kormand);
    // Sorted by code unit, "/" between levels, "." for a default value, "\" for "/" in a name.
    QCOMPARE(key.allKeys(),
             QStringList({ ".", "A", "AC\\DC", "Player.x/Name", "Player/Decks/Count",
                           "Player/Volume", "Player0/Name", "b" }));
    QCOMPARE(key.childGroups(), QStringList({ "Player", "Player.x", "Player0" }));
    QCOMPARE(key.text("AC\\DC"), QString("slash in a value name"));
    QCOMPARE(key.text("Default"), QString("default"));
    QCOMPARE(RegistryKey(kormand + "\\Player").allKeys(), QStringList({ "Decks/Count", "Volume" }));
}

void TestRegistryKey::emptyKeysAreGroupsButNoKeys()
{
    seedRegistryKey(kormand + "\\Empty");
    seedRegistryKey(kormand + "\\Player\\Deeper\\Empty");
    seedRegistryValue(kormand, "Player/Volume", 80);

    const RegistryKey key(kormand);
    QCOMPARE(key.childGroups(), QStringList({ "Empty", "Player" }));
    QCOMPARE(key.allKeys(), QStringList{ "Player/Volume" });
    QCOMPARE(RegistryKey(kormand + "\\Player").childGroups(), QStringList{ "Deeper" });
    QCOMPARE(RegistryKey(kormand + "\\Player\\Deeper").childGroups(), QStringList{ "Empty" });
    QCOMPARE(RegistryKey(kormand + "\\Empty").allKeys(), QStringList());
}

void TestRegistryKey::absentKeyListsNothing()
{
    seedRegistryValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand", "Volume", 80);
    const RegistryKey key(kormand);
    QCOMPARE(key.allKeys(), QStringList());
    QCOMPARE(key.childGroups(), QStringList());
    QCOMPARE(key.text("Volume"), QString());
}

void TestRegistryKey::removeAllEmptiesTheKeyAndKeepsIt_data()
{
    QTest::addColumn<QString>("removed");
    QTest::addColumn<QStringList>("keysLeft");
    QTest::addColumn<QStringList>("groupsLeft");

    QTest::newRow("root") << kormand << QStringList() << QStringList();
    QTest::newRow("subkey") << kormand + "\\Player" << QStringList{ "Skin" }
                            << QStringList{ "Player" };
    QTest::newRow("deep subkey") << kormand + "\\Player\\Decks"
                                 << QStringList({ "Player/Volume", "Skin" })
                                 << QStringList{ "Player" };
}

void TestRegistryKey::removeAllEmptiesTheKeyAndKeepsIt()
{
    QFETCH(QString, removed);
    QFETCH(QStringList, keysLeft);
    QFETCH(QStringList, groupsLeft);

    seedRegistryValue(kormand, "Skin", "Dark");
    seedRegistryValue(kormand, "Player/Volume", 80);
    seedRegistryValue(kormand, "Player/Decks/Count", 4);
    seedRegistryKey(kormand + "\\Player\\Decks\\Empty");
    seedRegistryValue(other, "Kept", 1);

    RegistryKey(removed).removeAll();

    QCOMPARE(RegistryKey(removed).allKeys(), QStringList());
    QCOMPARE(RegistryKey(removed).childGroups(), QStringList());
    QCOMPARE(RegistryKey(kormand).allKeys(), keysLeft);
    QCOMPARE(RegistryKey(kormand).childGroups(), groupsLeft);
    const QStringList software = RegistryKey("HKEY_CURRENT_USER\\Software").childGroups();
    QVERIFY(software.contains("Kormand"));
    QVERIFY(software.contains("Other"));
    QCOMPARE(RegistryKey(other).text("Kept"), QString("1"));
}

void TestRegistryKey::keysOpenAtOnceSeeEachOthersChanges()
{
    {
        RegistryKey first(kormand);
        RegistryKey second(kormand + "\\Player");
        first.setInteger("First", 1);
        second.setInteger("Second", 2);
        QCOMPARE(first.text("First"), QString("1"));
        // Each change is written at once, so one key sees what the other wrote.
        QCOMPARE(first.text("Player/Second"), QString("2"));
    }
    const RegistryKey key(kormand);
    QCOMPARE(key.allKeys(), QStringList({ "First", "Player/Second" }));
}

void TestRegistryKey::removedTreeIsGone()
{
    seedRegistryValue(kormand, "Player/Decks/Count", 4);
    seedRegistryValue(other, "Kept", 1);

    removeRegistryTree(kormand + "\\Player");
    removeRegistryTree(kormand + "\\Absent");

    QCOMPARE(RegistryKey(kormand).childGroups(), QStringList());
    QCOMPARE(RegistryKey(other).allKeys(), QStringList{ "Kept" });
}

QTEST_GUILESS_MAIN(TestRegistryKey)
#include "tst_registrykey.moc"
