#include "actions/directoryremoval.h"
#include "actions/makerfolders.h"
#include "modalanswerer.h"
#include "shownboxes.h"
#include "temporaryroot.h"
#include "testfiles.h"
#include "unprivilegedrun.h"

#include <QFileInfo>
#include <QTest>

namespace {

const ActionBoxes folderBoxes = boxesOf(QStringLiteral("deleteAllDirectories"));

bool exists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

class TestDirectoryRemoval : public QObject
{
    Q_OBJECT

private slots:
    void makerFoldersFromLocations_data();
    void makerFoldersFromLocations();
    void refusalChangesNothing_data();
    void refusalChangesNothing();
    void removesMakerFolders_data();
    void removesMakerFolders();
    void foreignFoldersStay_data();
    void foreignFoldersStay();
    void linkIsRemovedAsItself_data();
    void linkIsRemovedAsItself();
    void folderThatCannotBeEmptiedFails();
};

void TestDirectoryRemoval::makerFoldersFromLocations_data()
{
    QTest::addColumn<QStringList>("locations");
    QTest::addColumn<QString>("executableDir");
    QTest::addColumn<QStringList>("expected");

    const QString exeDir = QStringLiteral("C:/Program Files (x86)/Kormand/RepairTool");
    const QStringList exeEntries = { exeDir, exeDir + QStringLiteral("/data"),
                                     exeDir + QStringLiteral("/data/KormandRepairTool") };
    QTest::newRow("as Windows reports them")
            << (QStringList{ QStringLiteral("C:/Users/anna/AppData/Roaming/KormandRepairTool"),
                             QStringLiteral("C:/ProgramData/KormandRepairTool") }
                + exeEntries)
            << exeDir
            << QStringList{ QStringLiteral("C:/Users/anna/AppData/Roaming/Kormand"),
                            QStringLiteral("C:/ProgramData/Kormand") };
    QTest::newRow("other capitalisation is not selected")
            << QStringList{ QStringLiteral("C:/Users/anna/appdata/Roaming/KormandRepairTool"),
                            QStringLiteral("C:/Users/anna/APPDATA/Roaming/KormandRepairTool"),
                            QStringLiteral("C:/programdata/KormandRepairTool"),
                            QStringLiteral("C:/Programdata/KormandRepairTool") }
            << exeDir << QStringList();
    // Under another name the locations are other vendors' folders, never the maker's.
    QTest::newRow("replacement is case-sensitive")
            << QStringList{ QStringLiteral("C:/Users/anna/AppData/Roaming/kormandrepairtool") }
            << exeDir << QStringList();
    QTest::newRow("other executable name selects nothing")
            << QStringList{ QStringLiteral("C:/Users/anna/AppData/Roaming/RepairTool2"),
                            QStringLiteral("C:/ProgramData/Microsoft") }
            << exeDir << QStringList();
    QTest::newRow("maker's name only in part")
            << QStringList{ QStringLiteral("C:/Users/anna/AppData/Roaming/KormandRepairTool (2)"),
                            QStringLiteral("C:/ProgramData/KormandRepairTool/x") }
            << exeDir << QStringList();
    QTest::newRow("entry passing both tests counts twice")
            << QStringList{ QStringLiteral("D:/AppData/ProgramData/KormandRepairTool") } << exeDir
            << QStringList{ QStringLiteral("D:/AppData/ProgramData/Kormand"),
                            QStringLiteral("D:/AppData/ProgramData/Kormand") };

    const QString tempDir = QStringLiteral("C:/Users/anna/AppData/Local/Temp/7zO1A2B");
    QTest::newRow("started below AppData: own folders left out")
            << QStringList{ QStringLiteral("C:/Users/anna/AppData/Roaming/KormandRepairTool"),
                            QStringLiteral("C:/ProgramData/KormandRepairTool"), tempDir,
                            tempDir + QStringLiteral("/data"),
                            tempDir + QStringLiteral("/data/KormandRepairTool") }
            << tempDir
            << QStringList{ QStringLiteral("C:/Users/anna/AppData/Roaming/Kormand"),
                            QStringLiteral("C:/ProgramData/Kormand") };
    QTest::newRow("own folder in other letter case left out")
            << QStringList{ QStringLiteral("c:/users/anna/appData/Local/Tool"),
                            QStringLiteral("C:/ProgramData/KormandRepairTool") }
            << QStringLiteral("C:/Users/anna/AppData/Local/Tool")
            << QStringList{ QStringLiteral("C:/ProgramData/Kormand") };
    QTest::newRow("maker folder that is the executable's left out")
            << QStringList{ QStringLiteral("C:/Users/anna/AppData/Roaming/KormandRepairTool"),
                            QStringLiteral("C:/ProgramData/KormandRepairTool") }
            << QStringLiteral("C:/ProgramData/Kormand")
            << QStringList{ QStringLiteral("C:/Users/anna/AppData/Roaming/Kormand") };
    QTest::newRow("sibling with a longer name stays selected")
            << QStringList{ QStringLiteral("C:/ProgramData/KormandRepairTool") }
            << QStringLiteral("C:/ProgramData/Kor")
            << QStringList{ QStringLiteral("C:/ProgramData/Kormand") };
}

void TestDirectoryRemoval::makerFoldersFromLocations()
{
    QFETCH(QStringList, locations);
    QFETCH(QString, executableDir);
    QFETCH(QStringList, expected);

    QCOMPARE(makerFolders(locations, executableDir), expected);
}

void TestDirectoryRemoval::refusalChangesNothing_data()
{
    QTest::addColumn<QString>("answer");

    for (const char *answer : { "Cancel", "Escape", "close" })
        QTest::newRow(answer) << QString::fromLatin1(answer);
}

void TestDirectoryRemoval::refusalChangesNothing()
{
    QFETCH(QString, answer);

    TemporaryRoot root;
    ToolName toolName;
    const QString roamingFile = roamingFolder() + QStringLiteral("/Kormand/Backups/b.vsb");
    const QString programDataFile = programDataFolder() + QStringLiteral("/Kormand/c.db");
    QVERIFY(makeEntry(roamingFile));
    QVERIFY(makeEntry(programDataFile));

    ModalAnswerer answerer;
    queueRefusal(answerer, answer);
    deleteAllDirectories();

    QCOMPARE(describeBoxes(answerer.seenBoxes()), QStringList{ folderBoxes.confirmation });
    QVERIFY(exists(roamingFile));
    QVERIFY(exists(programDataFile));
}

void TestDirectoryRemoval::removesMakerFolders_data()
{
    QTest::addColumn<QStringList>("roamingEntries");
    QTest::addColumn<QStringList>("programDataEntries");
    QTest::addColumn<bool>("roamingRedirected");

    const QStringList nested{ QStringLiteral("settings.xml"), QStringLiteral("Backups/2024/a.vsb"),
                              QStringLiteral("Covers/.hidden"), QStringLiteral("Empty/") };
    QTest::newRow("nothing present") << QStringList() << QStringList() << false;
    QTest::newRow("both with nested content")
            << nested << QStringList{ QStringLiteral("Playlists/p.m3u"), QStringLiteral("db/") }
            << false;
    QTest::newRow("only ProgramData")
            << QStringList() << QStringList{ QStringLiteral("c.db") } << false;
    QTest::newRow("empty roaming folder") << QStringList{ QString() } << QStringList() << false;
    QTest::newRow("roaming folder a link its owner set") << nested << QStringList() << true;
}

void TestDirectoryRemoval::removesMakerFolders()
{
    QFETCH(QStringList, roamingEntries);
    QFETCH(QStringList, programDataEntries);
    QFETCH(bool, roamingRedirected);

    TemporaryRoot root;
    ToolName toolName;
    if (roamingRedirected && !redirectRoamingFolder())
        QSKIP("the roaming folder cannot be made a link here");
    const QString roamingMaker = roamingFolder() + QStringLiteral("/Kormand");
    const QString programDataMaker = programDataFolder() + QStringLiteral("/Kormand");
    for (const QString &entry : roamingEntries)
        QVERIFY(makeEntry(roamingMaker + QLatin1Char('/') + entry));
    for (const QString &entry : programDataEntries)
        QVERIFY(makeEntry(programDataMaker + QLatin1Char('/') + entry));
    // Neighbours, the tool's own folders among them, are not the maker's.
    const QStringList neighbours
            = { roamingFolder() + QStringLiteral("/KormandRepairTool/own.ini"),
                roamingFolder() + QStringLiteral("/Kormand2/x.txt"),
                programDataFolder() + QStringLiteral("/KormandRepairTool/own.ini"),
                programDataFolder() + QStringLiteral("/Other/y.txt") };
    for (const QString &neighbour : neighbours)
        QVERIFY(makeEntry(neighbour));

    QCOMPARE(runConfirmed(deleteAllDirectories),
             QStringList({ folderBoxes.confirmation, folderBoxes.success }));
    QVERIFY(!exists(roamingMaker));
    QVERIFY(!exists(programDataMaker));
    for (const QString &neighbour : neighbours)
        QVERIFY2(exists(neighbour), qPrintable(neighbour));
}

void TestDirectoryRemoval::foreignFoldersStay_data()
{
    QTest::addColumn<QString>("toolName");
    QTest::addColumn<QString>("folderName");

    QTest::newRow("another vendor's name")
            << QStringLiteral("Microsoft") << QStringLiteral("Microsoft");
    QTest::newRow("the maker's name in other letters")
            << QStringLiteral("kormand") << QStringLiteral("kormand");
    QTest::newRow("a copy's name")
            << QStringLiteral("KormandRepairTool (2)") << QStringLiteral("Kormand (2)");
}

void TestDirectoryRemoval::foreignFoldersStay()
{
    QFETCH(QString, toolName);
    QFETCH(QString, folderName);

    TemporaryRoot root;
    ToolName name(toolName);
    QStringList files;
    for (const QString &known : { roamingFolder(), programDataFolder() }) {
        for (const QString &folder : { folderName, QStringLiteral("Kormand") })
            files << known + QLatin1Char('/') + folder + QStringLiteral("/settings.xml");
    }
    for (const QString &file : files)
        QVERIFY(makeEntry(file));

    QCOMPARE(runConfirmed(deleteAllDirectories),
             QStringList({ folderBoxes.confirmation, folderBoxes.success }));
    for (const QString &file : files)
        QVERIFY2(exists(file), qPrintable(file));
}

void TestDirectoryRemoval::linkIsRemovedAsItself_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("target");

    // The kinds of links are the removal's own suite; here the check must see the link too.
    QTest::newRow("link to an outside folder")
            << QStringLiteral("Kormand/Covers") << QStringLiteral("Outside");
    QTest::newRow("maker folder is a link")
            << QStringLiteral("Kormand") << QStringLiteral("Outside");
}

void TestDirectoryRemoval::linkIsRemovedAsItself()
{
    QFETCH(QString, link);
    QFETCH(QString, target);

    TemporaryRoot root;
    ToolName toolName;
    const QString outside = root.filePath(QStringLiteral("Outside"));
    QVERIFY(makeEntry(outside + QStringLiteral("/keep.txt")));
    QVERIFY(makeEntry(outside + QStringLiteral("/sub/deep.txt")));
    const QString linkPath = roamingFolder() + QLatin1Char('/') + link;
    QVERIFY(makeEntry(QFileInfo(linkPath).path() + QLatin1Char('/')));
    QVERIFY(QFile::link(root.filePath(target), linkPath));
    if (link != QLatin1String("Kormand"))
        QVERIFY(makeEntry(roamingFolder() + QStringLiteral("/Kormand/plain.txt")));

    QCOMPARE(runConfirmed(deleteAllDirectories),
             QStringList({ folderBoxes.confirmation, folderBoxes.success }));
    QVERIFY(!exists(roamingFolder() + QStringLiteral("/Kormand")));
    QCOMPARE(entriesBelow(outside),
             QStringList({ QStringLiteral("keep.txt"), QStringLiteral("sub"),
                           QStringLiteral("sub/deep.txt") }));
}

void TestDirectoryRemoval::folderThatCannotBeEmptiedFails()
{
    UnprivilegedRun run;
    if (!run.unavailableReason().isEmpty())
        QSKIP(qPrintable(run.unavailableReason()));

    TemporaryRoot root;
    ToolName toolName;
    const QString roamingMaker = roamingFolder() + QStringLiteral("/Kormand");
    const QString programDataMaker = programDataFolder() + QStringLiteral("/Kormand");
    for (const char *entry : { "settings.xml", "Backups/2024/a.vsb", "Covers/" })
        QVERIFY(makeEntry(roamingMaker + QLatin1Char('/') + QLatin1String(entry)));
    QVERIFY(makeEntry(programDataMaker + QStringLiteral("/Playlists/p.m3u")));
    QVERIFY(run.setMode(root.path(), QStringLiteral("755")));
    QVERIFY(run.giveToNobody(root.filePath(QStringLiteral("Users"))));
    QVERIFY(run.giveToNobody(root.filePath(QStringLiteral("ProgramData"))));
    // A folder of root's in the maker folder: nobody may not empty it.
    QVERIFY(makeEntry(roamingMaker + QStringLiteral("/Locked/in-use.db")));

    bool ran = false;
    const QStringList boxes = run.runAction(QStringLiteral("deleteAllDirectories"), &ran);

    QVERIFY(ran);
    QCOMPARE(boxes, QStringList({ folderBoxes.confirmation, folderBoxes.failure }));
    QCOMPARE(entriesBelow(roamingMaker),
             QStringList({ QStringLiteral("Locked"), QStringLiteral("Locked/in-use.db") }));
    QVERIFY(!exists(programDataMaker));
}

QTEST_MAIN(TestDirectoryRemoval)
#include "tst_directoryremoval.moc"
