#include "actions/registrycleanup.h"
#include "modalanswerer.h"
#include "platform/registry/registrykey.h"
#include "registryseed.h"
#include "shownboxes.h"
#include "temporaryroot.h"
#include "testfiles.h"
#include "unprivilegedrun.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

namespace {

const ActionBoxes registryBoxes = boxesOf(QStringLiteral("deleteAllRegistryData"));
const ActionBoxes folderBoxes = boxesOf(QStringLiteral("deleteAllDirectories"));

const QString userTree = QStringLiteral("HKEY_CURRENT_USER\\Software\\Kormand");
const QString machineTree = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand");
// Neighbours of the maker trees, the names alike but for the case, that must stay.
const QStringList neighbourKeys = { QStringLiteral("HKEY_CURRENT_USER\\Software\\KormandX"),
                                    QStringLiteral("HKEY_CURRENT_USER\\Software"),
                                    QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand Tools") };

void seedTree(const QString &tree)
{
    seedRegistryValue(tree, QStringLiteral("Velto Studio/Settings/Volume"), 80);
    seedRegistryValue(tree, QStringLiteral("Velto Studio/LastPath"), QStringLiteral("C:\\Musik"));
    seedRegistryValue(tree, QStringLiteral("Lizenz"), QStringLiteral("ABCD-1234"));
    seedRegistryKey(tree + QStringLiteral("\\Leer\\Tiefer"));
}

void seedNeighbours()
{
    for (const QString &key : neighbourKeys)
        seedRegistryValue(key, QStringLiteral("bleibt"), 1);
}

bool neighboursStay()
{
    for (const QString &key : neighbourKeys) {
        if (RegistryKey(key).text(QStringLiteral("bleibt")) != QLatin1String("1"))
            return false;
    }
    return true;
}

bool isEmpty(const QString &tree)
{
    return RegistryKey(tree).allKeys().isEmpty() && RegistryKey(tree).childGroups().isEmpty();
}

} // namespace

class TestRegistryCleanup : public QObject
{
    Q_OBJECT

private slots:
    void refusalChangesNothing_data();
    void refusalChangesNothing();
    void emptiesBothTrees_data();
    void emptiesBothTrees();
    void keysLeftInOneTreeFail_data();
    void keysLeftInOneTreeFail();
    void combinedFixRunsBothActions_data();
    void combinedFixRunsBothActions();
    void combinedFixGoesOnAfterFailure();
};

void TestRegistryCleanup::refusalChangesNothing_data()
{
    QTest::addColumn<QString>("answer");

    for (const char *answer : { "Cancel", "Escape", "close" })
        QTest::newRow(answer) << QString::fromLatin1(answer);
}

void TestRegistryCleanup::refusalChangesNothing()
{
    QFETCH(QString, answer);

    TemporaryRoot root;
    seedTree(userTree);
    seedTree(machineTree);
    const QStringList userKeys = RegistryKey(userTree).allKeys();
    const QStringList machineKeys = RegistryKey(machineTree).allKeys();
    QCOMPARE(userKeys.size(), 3);

    ModalAnswerer answerer;
    queueRefusal(answerer, answer);
    deleteAllRegistryData();

    QCOMPARE(describeBoxes(answerer.seenBoxes()), QStringList{ registryBoxes.confirmation });
    QCOMPARE(RegistryKey(userTree).allKeys(), userKeys);
    QCOMPARE(RegistryKey(machineTree).allKeys(), machineKeys);
}

void TestRegistryCleanup::emptiesBothTrees_data()
{
    QTest::addColumn<bool>("userFilled");
    QTest::addColumn<bool>("machineFilled");

    QTest::newRow("nothing present") << false << false;
    QTest::newRow("both trees filled") << true << true;
    QTest::newRow("only the user's tree") << true << false;
    QTest::newRow("only the machine's tree") << false << true;
}

void TestRegistryCleanup::emptiesBothTrees()
{
    QFETCH(bool, userFilled);
    QFETCH(bool, machineFilled);

    TemporaryRoot root;
    seedNeighbours();
    if (userFilled)
        seedTree(userTree);
    if (machineFilled)
        seedTree(machineTree);

    QCOMPARE(runConfirmed(deleteAllRegistryData),
             QStringList({ registryBoxes.confirmation, registryBoxes.success }));
    QVERIFY(isEmpty(userTree));
    QVERIFY(isEmpty(machineTree));
    QVERIFY(neighboursStay());
}

void TestRegistryCleanup::keysLeftInOneTreeFail_data()
{
    QTest::addColumn<QString>("lockedHive");

    QTest::newRow("machine tree cannot be emptied") << QStringLiteral("HKEY_LOCAL_MACHINE");
    QTest::newRow("user tree cannot be emptied") << QStringLiteral("HKEY_CURRENT_USER");
}

void TestRegistryCleanup::keysLeftInOneTreeFail()
{
    QFETCH(QString, lockedHive);

    UnprivilegedRun run;
    if (!run.unavailableReason().isEmpty())
        QSKIP(qPrintable(run.unavailableReason()));
    TemporaryRoot root;
    seedTree(userTree);
    seedTree(machineTree);
    // In a sticky folder nobody may replace root's hive file, but its own.
    const QString freeHive = lockedHive == QLatin1String("HKEY_LOCAL_MACHINE")
            ? QStringLiteral("HKEY_CURRENT_USER")
            : QStringLiteral("HKEY_LOCAL_MACHINE");
    QVERIFY(run.setMode(root.path(), QStringLiteral("755")));
    QVERIFY(run.setMode(root.filePath(QStringLiteral("registry")), QStringLiteral("1777")));
    QVERIFY(run.giveToNobody(root.filePath(QStringLiteral("registry/%1.reg").arg(freeHive))));

    bool ran = false;
    const QStringList boxes = run.runAction(QStringLiteral("deleteAllRegistryData"), &ran);

    QVERIFY(ran);
    QCOMPARE(boxes, QStringList({ registryBoxes.confirmation, registryBoxes.failure }));
    const bool machineLocked = lockedHive == QLatin1String("HKEY_LOCAL_MACHINE");
    QCOMPARE(RegistryKey(machineLocked ? machineTree : userTree).allKeys().size(), 3);
    QVERIFY(isEmpty(machineLocked ? userTree : machineTree));
}

void TestRegistryCleanup::combinedFixRunsBothActions_data()
{
    QTest::addColumn<bool>("registryConfirmed");
    QTest::addColumn<bool>("foldersConfirmed");
    QTest::addColumn<QStringList>("boxes");

    const QString registryAsked = registryBoxes.confirmation;
    const QString foldersAsked = folderBoxes.confirmation;
    QTest::newRow("both confirmed") << true << true
                                    << QStringList{ registryAsked, registryBoxes.success,
                                                    foldersAsked, folderBoxes.success };
    QTest::newRow("registry cancelled")
            << false << true << QStringList{ registryAsked, foldersAsked, folderBoxes.success };
    QTest::newRow("folders cancelled")
            << true << false << QStringList{ registryAsked, registryBoxes.success, foldersAsked };
    QTest::newRow("both cancelled") << false << false << QStringList{ registryAsked, foldersAsked };
}

void TestRegistryCleanup::combinedFixRunsBothActions()
{
    QFETCH(bool, registryConfirmed);
    QFETCH(bool, foldersConfirmed);
    QFETCH(QStringList, boxes);

    TemporaryRoot root;
    ToolName toolName;
    seedTree(userTree);
    seedTree(machineTree);
    const QString folder = programDataFolder() + QStringLiteral("/Kormand/Playlists/p.m3u");
    QVERIFY(makeEntry(folder));

    ModalAnswerer answerer;
    for (const bool confirmed : { registryConfirmed, foldersConfirmed }) {
        answerer.pressButton(confirmed ? QMessageBox::Ok : QMessageBox::Cancel);
        if (confirmed)
            answerer.pressButton(QMessageBox::Ok);
    }
    fixRuntimeError216();

    QCOMPARE(describeBoxes(answerer.seenBoxes()), boxes);
    QVERIFY(answerer.unexpected().isEmpty());
    QCOMPARE(isEmpty(userTree), registryConfirmed);
    QCOMPARE(isEmpty(machineTree), registryConfirmed);
    QCOMPARE(QFileInfo::exists(folder), !foldersConfirmed);
}

void TestRegistryCleanup::combinedFixGoesOnAfterFailure()
{
    UnprivilegedRun run;
    if (!run.unavailableReason().isEmpty())
        QSKIP(qPrintable(run.unavailableReason()));
    TemporaryRoot root;
    seedTree(machineTree);
    QVERIFY(run.setMode(root.path(), QStringLiteral("755")));
    const QString folder = programDataFolder() + QStringLiteral("/Kormand");
    QVERIFY(makeEntry(folder + QStringLiteral("/Covers/c.jpg")));
    QVERIFY(run.giveToNobody(root.filePath(QStringLiteral("ProgramData"))));

    bool ran = false;
    const QStringList boxes = run.runAction(QStringLiteral("fixRuntimeError216"), &ran);

    QVERIFY(ran);
    QCOMPARE(boxes,
             QStringList({ registryBoxes.confirmation, registryBoxes.failure,
                           folderBoxes.confirmation, folderBoxes.success }));
    QCOMPARE(RegistryKey(machineTree).allKeys().size(), 3);
    QVERIFY(!QFileInfo::exists(folder));
}

QTEST_MAIN(TestRegistryCleanup)
#include "tst_registrycleanup.moc"
