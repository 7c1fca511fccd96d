#include "disposablemachine.h"
#include "namedactions.h"
#include "registryseed.h"
#include "shownboxes.h"
#include "supportlog/registrydump.h"

#include <QSettings>
#include <QTest>

#include <windows.h>

// The tool is a 32-bit program and users run it on 64-bit Windows, where the registry redirects
// its HKEY_LOCAL_MACHINE\SOFTWARE to SOFTWARE\WOW6432Node, except for the keys that both views
// share. What Windows does is Microsoft's table "Registry Keys Affected by WOW64"; Wine follows it
// or the case says where it does not.
namespace {

const QString userTree = QStringLiteral("HKEY_CURRENT_USER\\Software\\Kormand");
const QString machineTree = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand");
const QString redirectedMachineTree
        = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Kormand");
const QString policyKey = QStringLiteral(
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System");

bool runsUnderWow64()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// The keys as a 64-bit program sees them: the real place of everything.
QVariant value64(const QString &key, const QString &name)
{
    return QSettings(key, QSettings::Registry64Format).value(name);
}

void seed64(const QString &key, const QString &name, const QVariant &value)
{
    QSettings(key, QSettings::Registry64Format).setValue(name, value);
}

void remove64(const QString &key)
{
    QSettings(key, QSettings::Registry64Format).remove(QString());
}

// The boxes of an action that did what it was asked to.
QStringList succeeded(const QString &action)
{
    return { boxesOf(action).confirmation, boxesOf(action).success };
}

} // namespace

class TestWow64Registry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void viewsFollowMicrosoftsTable_data();
    void viewsFollowMicrosoftsTable();
    void cleanupEmptiesOnlyThe32BitTree();
    void policyFixesReachThe64BitView_data();
    void policyFixesReachThe64BitView();
    void dumpShowsThe32BitView();
};

void TestWow64Registry::initTestCase()
{
    requireDisposableMachine();
    if (!runsUnderWow64())
        QSKIP("Only a 32-bit program on 64-bit Windows sees the registry redirected; this is not "
              "one.");
}

void TestWow64Registry::init()
{
    remove64(userTree);
    remove64(machineTree);
    remove64(redirectedMachineTree);
}

void TestWow64Registry::cleanup()
{
    init();
}

void TestWow64Registry::viewsFollowMicrosoftsTable_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("placeIn64BitView");

    QTest::newRow("machine tree: redirected") << machineTree << redirectedMachineTree;
    QTest::newRow("user tree: not redirected") << userTree << userTree;
    QTest::newRow("policy key: shared") << policyKey << policyKey;
}

// A value the tool writes through its own view lands where the table says, and nowhere else.
void TestWow64Registry::viewsFollowMicrosoftsTable()
{
    QFETCH(QString, key);
    QFETCH(QString, placeIn64BitView);

    const QString name = QStringLiteral("Wow64Probe");
    seedRegistryValue(key, name, QStringLiteral("32-bit view"));

    QCOMPARE(value64(placeIn64BitView, name).toString(), QStringLiteral("32-bit view"));
    if (placeIn64BitView != key)
        QVERIFY(!value64(key, name).isValid());
    QSettings(placeIn64BitView, QSettings::Registry64Format).remove(name);
}

void TestWow64Registry::cleanupEmptiesOnlyThe32BitTree()
{
    seedRegistryValue(machineTree, QStringLiteral("Velto Studio/Pfad"), QStringLiteral("C:\\32"));
    seedRegistryValue(userTree, QStringLiteral("Lizenz"), QStringLiteral("ABCD"));
    // A 64-bit program of the same maker keeps its own tree, which the tool never sees.
    seed64(machineTree, QStringLiteral("Velto Studio 64/Pfad"), QStringLiteral("C:\\64"));

    const QString action = QStringLiteral("deleteAllRegistryData");
    QCOMPARE(runConfirmed(actionNamed(action)), succeeded(action));

    QVERIFY(QSettings(redirectedMachineTree, QSettings::Registry64Format).allKeys().isEmpty());
    QVERIFY(QSettings(userTree, QSettings::Registry64Format).allKeys().isEmpty());
    QCOMPARE(QSettings(machineTree, QSettings::Registry64Format).allKeys(),
             QStringList{ QStringLiteral("Velto Studio 64/Pfad") });
}

void TestWow64Registry::policyFixesReachThe64BitView_data()
{
    QTest::addColumn<QString>("fix");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("keyExists");

    QTest::newRow("UAC") << QStringLiteral("changeUacConfig") << QStringLiteral("EnableLUA") << 1
                         << 0 << true;
    QTest::newRow("network drives") << QStringLiteral("fixNetworkDeviceConnection")
                                    << QStringLiteral("EnableLinkedConnections") << 0 << 1 << true;
    QTest::newRow("UAC, key made afresh")
            << QStringLiteral("changeUacConfig") << QStringLiteral("EnableLUA") << 1 << 0 << false;
}

// 64-bit Windows reads the policies through its 64-bit view, so the value must arrive there.
void TestWow64Registry::policyFixesReachThe64BitView()
{
    QFETCH(QString, fix);
    QFETCH(QString, name);
    QFETCH(int, before);
    QFETCH(int, expected);
    QFETCH(bool, keyExists);

    remove64(policyKey);
    if (keyExists)
        seed64(policyKey, name, before);

    QCOMPARE(runConfirmed(actionNamed(fix)), succeeded(fix));

    const QVariant stored = value64(policyKey, name);
    QVERIFY2(stored.isValid(), "nothing arrived in the 64-bit view");
    QCOMPARE(stored.toInt(), expected);
}

void TestWow64Registry::dumpShowsThe32BitView()
{
    seedRegistryValue(machineTree, QStringLiteral("Velto Studio/Pfad"), QStringLiteral("C:\\32"));
    seed64(machineTree, QStringLiteral("Nur64/Pfad"), QStringLiteral("C:\\64"));

    const QStringList lines = dumpRegistry();

    QVERIFY2(lines.contains(QStringLiteral(
                     "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand] + [Velto Studio/Pfad]: C:\\32")),
             qPrintable(lines.join(QLatin1Char('\n'))));
    for (const QString &line : lines)
        QVERIFY2(!line.contains(QStringLiteral("Nur64")), qPrintable(line));
}

QTEST_MAIN(TestWow64Registry)
#include "tst_wow64registry.moc"
