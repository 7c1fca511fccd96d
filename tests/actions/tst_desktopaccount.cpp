#include "namedactions.h"
#include "platform/account/profileaccount.h"
#include "platform/registry/registrykey.h"
#include "platform/registry/registrypath.h"
#include "registryseed.h"
#include "shownboxes.h"
#include "supportlog/registrydump.h"
#include "temporaryroot.h"
#include "testfiles.h"

#include <QTest>

namespace {

const QString userTree = QStringLiteral("HKEY_CURRENT_USER\\Software\\Kormand");
const QString machineTree = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand");
// anna's HKEY_CURRENT_USER\Software\Kormand, as the stand-in holds it.
const QString desktopTree = QStringLiteral("HKEY_USERS\\anna\\Software\\Kormand");
const QString settingsFile = QStringLiteral("Kormand/Velto-Studio Profi/velto.set");

// The tool runs as "admin", elevated at anna's desk; each has the maker's data.
bool seedTwoAccounts(const TemporaryRoot &root)
{
    qputenv("USER", "admin");
    qputenv("REPAIRTOOL_DESKTOP_USER", "anna");
    bool made = true;
    for (const QString &account : { QStringLiteral("admin"), QStringLiteral("anna") }) {
        const QString tree = account == QLatin1String("anna") ? desktopTree : userTree;
        seedRegistryValue(tree, QStringLiteral("Velto Studio/Version"), account);
        const QString roaming
                = root.filePath(QStringLiteral("Users/%1/AppData/Roaming/").arg(account));
        for (const QString &file :
             { settingsFile, QStringLiteral("Kormand/Velto-Studio Profi/velto.~se"),
               QStringLiteral("Kormand/Backups/liste.m3u") })
            made = made && makeEntry(roaming + file);
    }
    return made;
}

} // namespace

class TestDesktopAccount : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void accountFromTheStandIn_data();
    void accountFromTheStandIn();
    void fixesActOnTheDesktopsProfile_data();
    void fixesActOnTheDesktopsProfile();
    void logHoldsTheDesktopsTree();

private:
    const QByteArray user = qgetenv("USER");
};

// TemporaryRoot takes REPAIRTOOL_DESKTOP_USER back.
void TestDesktopAccount::cleanup()
{
    qputenv("USER", user);
}

void TestDesktopAccount::accountFromTheStandIn_data()
{
    QTest::addColumn<QByteArray>("desktop");
    QTest::addColumn<QString>("expected");

    QTest::newRow("unknown") << QByteArray("") << QString();
    QTest::newRow("the process's own") << QByteArray("admin") << QString();
    QTest::newRow("the process's own, other case") << QByteArray("Admin") << QString();
    QTest::newRow("another") << QByteArray("anna") << QStringLiteral("anna");
    QTest::newRow("a name leading out") << QByteArray("../anna") << QString();
    QTest::newRow("a name leading up") << QByteArray("..") << QString();
}

void TestDesktopAccount::accountFromTheStandIn()
{
    QFETCH(QByteArray, desktop);
    QFETCH(QString, expected);

    TemporaryRoot root;
    qputenv("USER", "admin");
    qputenv("REPAIRTOOL_DESKTOP_USER", desktop);
    QCOMPARE(ProfileAccount::current().hiveName(), expected);
    QCOMPARE(profileRegistryPath(userTree), expected.isEmpty() ? userTree : desktopTree);
    QCOMPARE(profileRegistryPath(machineTree), machineTree);
    QCOMPARE(roamingFolder(),
             root.filePath(QStringLiteral("Users/%1/AppData/Roaming")
                                   .arg(expected.isEmpty() ? QStringLiteral("admin") : expected)));
}

void TestDesktopAccount::fixesActOnTheDesktopsProfile_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("settingsFileHeld");
    QTest::addColumn<QStringList>("boxes");
    // Of the six files and folders below anna's roaming folder.
    QTest::addColumn<int>("desktopEntriesLeft");
    QTest::addColumn<bool>("desktopTreeGone");

    const ActionBoxes folders = boxesOf(QStringLiteral("deleteAllDirectories"));
    const ActionBoxes registry = boxesOf(QStringLiteral("deleteAllRegistryData"));
    const ActionBoxes settings = boxesOf(QStringLiteral("fixVeltoSetFile"));
    QTest::newRow("data folders") << "deleteAllDirectories" << false
                                  << QStringList{ folders.confirmation, folders.success } << 0
                                  << false;
    QTest::newRow("registry") << "deleteAllRegistryData" << false
                              << QStringList{ registry.confirmation, registry.success } << 6
                              << true;
    QTest::newRow("runtime error 216") << "fixRuntimeError216" << false
                                       << QStringList{ registry.confirmation, registry.success,
                                                       folders.confirmation, folders.success }
                                       << 0 << true;
    QTest::newRow("settings file")
            << "fixVeltoSetFile" << false << QStringList{ settings.confirmation, settings.success }
            << 4 << false;
    // A folder in the place of anna's velto.set, which no deletion of a file removes.
    QTest::newRow("desktop's settings file stays")
            << "fixVeltoSetFile" << true << QStringList{ settings.confirmation, settings.failure }
            << 6 << false;
}

void TestDesktopAccount::fixesActOnTheDesktopsProfile()
{
    QFETCH(QString, action);
    QFETCH(bool, settingsFileHeld);
    QFETCH(QStringList, boxes);
    QFETCH(int, desktopEntriesLeft);
    QFETCH(bool, desktopTreeGone);

    TemporaryRoot root;
    const ToolName tool;
    QVERIFY(seedTwoAccounts(root));
    const QString desktopSettings
            = root.filePath(QStringLiteral("Users/anna/AppData/Roaming/") + settingsFile);
    if (settingsFileHeld)
        QVERIFY(QFile::remove(desktopSettings)
                && makeEntry(desktopSettings + QStringLiteral("/x")));
    const QString adminRoaming = root.filePath(QStringLiteral("Users/admin/AppData/Roaming"));
    const QString adminHive = root.filePath(QStringLiteral("registry/HKEY_CURRENT_USER.reg"));
    const QStringList adminEntries = entriesBelow(adminRoaming);
    const QByteArray adminTree = readFile(adminHive);

    QCOMPARE(runConfirmed(actionNamed(action)), boxes);
    QCOMPARE(entriesBelow(root.filePath(QStringLiteral("Users/anna/AppData/Roaming"))).size(),
             desktopEntriesLeft);
    QCOMPARE(RegistryKey(desktopTree).allKeys().isEmpty(), desktopTreeGone);
    // The administrator's own profile is left as it was.
    QCOMPARE(entriesBelow(adminRoaming), adminEntries);
    QCOMPARE(readFile(adminHive), adminTree);
}

void TestDesktopAccount::logHoldsTheDesktopsTree()
{
    TemporaryRoot root;
    QVERIFY(seedTwoAccounts(root));
    const QString group = userTree + QStringLiteral("\\Velto Studio");
    const QStringList expected
            = { dumpBlankLine(),
                dumpSeparator(),
                dumpRootHeader(userTree),
                QStringLiteral("[%1] + [Velto Studio/Version]: anna").arg(userTree),
                dumpSeparator(),
                group,
                QStringLiteral("[%1] + [Version]: anna").arg(group),
                dumpBlankLine(),
                dumpSeparator(),
                dumpRootHeader(machineTree) };
    QCOMPARE(dumpRegistry(), expected);
}

QTEST_MAIN(TestDesktopAccount)
#include "tst_desktopaccount.moc"
