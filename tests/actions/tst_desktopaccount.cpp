#include "namedactions.h"
#include "platform/account/profileaccount.h"
#include "platform/files/knownfolders.h"
#include "platform/registry/registrykey.h"
#include "platform/registry/registrypath.h"
#include "registryseed.h"
#include "shownboxes.h"
#include "supportlog/registrydump.h"
#include "temporaryroot.h"
#include "testfiles.h"
#include "unprivilegedrun.h"

#include <QDir>
#include <QFileInfo>
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
    void desktopsLinksLeadNowhereElse_data();
    void desktopsLinksLeadNowhereElse();
    void oneAccountPerPress();
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
    QTest::addColumn<bool>("known");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no desktop shell") << QByteArray("") << true << QString();
    QTest::newRow("the process's own") << QByteArray("admin") << true << QString();
    QTest::newRow("the process's own, other case") << QByteArray("Admin") << true << QString();
    QTest::newRow("another") << QByteArray("anna") << true << QStringLiteral("anna");
    QTest::newRow("a name leading out") << QByteArray("../anna") << false << QString();
    QTest::newRow("a name leading up") << QByteArray("..") << false << QString();
    // Its roaming folder cannot be told.
    QTest::newRow("no profile folder") << QByteArray("bert") << false << QString();
}

void TestDesktopAccount::accountFromTheStandIn()
{
    QFETCH(QByteArray, desktop);
    QFETCH(bool, known);
    QFETCH(QString, expected);

    TemporaryRoot root;
    QVERIFY(makeEntry(root.filePath(QStringLiteral("Users/anna/"))));
    qputenv("USER", "admin");
    qputenv("REPAIRTOOL_DESKTOP_USER", desktop);
    QCOMPARE(ProfileAccount::current().isKnown(), known);
    QCOMPARE(ProfileAccount::current().hiveName(), expected);
    QCOMPARE(profileRegistryPath(userTree),
             !known                       ? QString()
                     : expected.isEmpty() ? userTree
                                          : desktopTree);
    QCOMPARE(profileRegistryPath(machineTree), machineTree);
    const QStringList roaming = appDataLocations().filter(QStringLiteral("/AppData/Roaming/"));
    QCOMPARE(roaming.size(), known ? 1 : 0);
    if (known)
        QCOMPARE(QFileInfo(roaming.first()).path(),
                 root.filePath(
                         QStringLiteral("Users/%1/AppData/Roaming")
                                 .arg(expected.isEmpty() ? QStringLiteral("admin") : expected)));
}

void TestDesktopAccount::fixesActOnTheDesktopsProfile_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QByteArray>("desktop");
    QTest::addColumn<bool>("settingsFileHeld");
    QTest::addColumn<QStringList>("boxes");
    // Of the six files and folders below anna's roaming folder.
    QTest::addColumn<int>("desktopEntriesLeft");
    QTest::addColumn<bool>("desktopTreeGone");

    const ActionBoxes folders = boxesOf(QStringLiteral("deleteAllDirectories"));
    const ActionBoxes registry = boxesOf(QStringLiteral("deleteAllRegistryData"));
    const ActionBoxes settings = boxesOf(QStringLiteral("fixVeltoSetFile"));
    const QByteArray anna("anna");
    QTest::newRow("data folders") << "deleteAllDirectories" << anna << false
                                  << QStringList{ folders.confirmation, folders.success } << 0
                                  << false;
    QTest::newRow("registry") << "deleteAllRegistryData" << anna << false
                              << QStringList{ registry.confirmation, registry.success } << 6
                              << true;
    QTest::newRow("runtime error 216") << "fixRuntimeError216" << anna << false
                                       << QStringList{ registry.confirmation, registry.success,
                                                       folders.confirmation, folders.success }
                                       << 0 << true;
    QTest::newRow("settings file")
            << "fixVeltoSetFile" << anna << false
            << QStringList{ settings.confirmation, settings.success } << 4 << false;
    // A folder in the place of anna's velto.set, which no deletion of a file removes.
    QTest::newRow("desktop's settings file stays")
            << "fixVeltoSetFile" << anna << true
            << QStringList{ settings.confirmation, settings.failure } << 6 << false;
    // Whose data it is cannot be told: nobody's is touched.
    QTest::newRow("data folders, desktop unreadable")
            << "deleteAllDirectories" << QByteArray("../anna") << false
            << QStringList{ folders.confirmation, folders.failure } << 6 << false;
    QTest::newRow("registry, desktop unreadable")
            << "deleteAllRegistryData" << QByteArray("..") << false
            << QStringList{ registry.confirmation, registry.failure } << 6 << false;
    QTest::newRow("settings file, desktop's roaming folder not found")
            << "fixVeltoSetFile" << QByteArray("bert") << false
            << QStringList{ settings.confirmation, settings.failure } << 6 << false;
}

void TestDesktopAccount::fixesActOnTheDesktopsProfile()
{
    QFETCH(QString, action);
    QFETCH(QByteArray, desktop);
    QFETCH(bool, settingsFileHeld);
    QFETCH(QStringList, boxes);
    QFETCH(int, desktopEntriesLeft);
    QFETCH(bool, desktopTreeGone);

    TemporaryRoot root;
    const ToolName tool;
    QVERIFY(seedTwoAccounts(root));
    qputenv("REPAIRTOOL_DESKTOP_USER", desktop);
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

void TestDesktopAccount::desktopsLinksLeadNowhereElse_data()
{
    QTest::addColumn<QString>("action");

    QTest::newRow("data folders") << "deleteAllDirectories";
    QTest::newRow("settings file") << "fixVeltoSetFile";
}

// anna, an unprivileged account, made her AppData a link to a folder of root's that she cannot
// change: acting for her, the tool changes nothing there either, and says so.
void TestDesktopAccount::desktopsLinksLeadNowhereElse()
{
    QFETCH(QString, action);

    const UnprivilegedRun nobody;
    if (!nobody.unavailableReason().isEmpty())
        QSKIP(qPrintable(nobody.unavailableReason()));
    TemporaryRoot root;
    const ToolName tool;
    QVERIFY(seedTwoAccounts(root));
    const QString appData = root.filePath(QStringLiteral("Users/anna/AppData"));
    const QString outside = root.filePath(QStringLiteral("outside"));
    QVERIFY(QDir().mkpath(outside) && QDir().rename(appData, outside + QStringLiteral("/AppData")));
    QVERIFY(QFile::link(outside + QStringLiteral("/AppData"), appData));
    QVERIFY(nobody.giveToNobody(root.filePath(QStringLiteral("Users/anna"))));
    QVERIFY(nobody.setMode(root.path(), QStringLiteral("755")));
    const QStringList outsideEntries = entriesBelow(outside);

    const ActionBoxes boxes = boxesOf(action);
    QCOMPARE(runConfirmed(actionNamed(action)), QStringList({ boxes.confirmation, boxes.failure }));
    QCOMPARE(entriesBelow(outside), outsideEntries);
}

// Explorer restarted under another account between two looks: the press still acts for the first.
void TestDesktopAccount::oneAccountPerPress()
{
    TemporaryRoot root;
    QVERIFY(seedTwoAccounts(root) && makeEntry(root.filePath(QStringLiteral("Users/bert/"))));
    const ProfileAccountScope press;
    QCOMPARE(ProfileAccount::current().hiveName(), QStringLiteral("anna"));
    qputenv("REPAIRTOOL_DESKTOP_USER", "bert");
    QCOMPARE(ProfileAccount::current().hiveName(), QStringLiteral("anna"));
    QCOMPARE(profileRegistryPath(userTree), desktopTree);
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
