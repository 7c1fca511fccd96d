#include "actions/settingsfilefix.h"
#include "modalanswerer.h"
#include "shownboxes.h"
#include "temporaryroot.h"
#include "testfiles.h"
#include "unprivilegedrun.h"

#include <QFileInfo>
#include <QTest>

namespace {

const ActionBoxes settingsBoxes = boxesOf(QStringLiteral("fixVeltoSetFile"));

// The music application's folder below the roaming maker folder.
QString profiFolder()
{
    return roamingFolder() + QStringLiteral("/Kormand/Velto-Studio Profi");
}

} // namespace

class TestSettingsFileFix : public QObject
{
    Q_OBJECT

private slots:
    void filesFromLocations_data();
    void filesFromLocations();
    void refusalChangesNothing();
    void deletesStaleFiles_data();
    void deletesStaleFiles();
    void filesOutsideTheMakersStay_data();
    void filesOutsideTheMakersStay();
    void undeletableSettingsFileFails();
};

void TestSettingsFileFix::filesFromLocations_data()
{
    QTest::addColumn<QStringList>("locations");
    QTest::addColumn<QString>("executableDir");
    QTest::addColumn<QStringList>("expected");

    const QString exeDir = QStringLiteral("C:/Program Files (x86)/Kormand/RepairTool");
    const QString profi
            = QStringLiteral("C:/Users/anna/AppData/Roaming/Kormand/Velto-Studio Profi");
    const QStringList roamingFiles
            = { profi + QStringLiteral("/velto.set"), profi + QStringLiteral("/velto.~se") };
    QTest::newRow("as Windows reports them")
            << QStringList{ QStringLiteral("C:/Users/anna/AppData/Roaming/KormandRepairTool"),
                            QStringLiteral("C:/ProgramData/KormandRepairTool"), exeDir,
                            exeDir + QStringLiteral("/data") }
            << exeDir << roamingFiles;
    QTest::newRow("one trailing backslash dropped")
            << QStringList{ QStringLiteral("C:/Users/anna/AppData/Roaming/KormandRepairTool\\") }
            << exeDir << roamingFiles;
    QTest::newRow("only one trailing backslash dropped")
            << QStringList{ QStringLiteral(
                       "C:\\Users\\anna\\AppData\\Roaming\\KormandRepairTool\\\\") }
            << exeDir
            << QStringList{ QStringLiteral("C:\\Users\\anna\\AppData\\Roaming\\Kormand\\/"
                                           "Velto-Studio Profi/velto.set"),
                            QStringLiteral("C:\\Users\\anna\\AppData\\Roaming\\Kormand\\/"
                                           "Velto-Studio Profi/velto.~se") };
    QTest::newRow("other capitalisation is not selected")
            << QStringList{ QStringLiteral("C:/Users/anna/appdata/Roaming/KormandRepairTool") }
            << exeDir << QStringList();
    QTest::newRow("started below AppData: own folder left out")
            << QStringList{ QStringLiteral("C:/Users/anna/AppData/Roaming/KormandRepairTool"),
                            QStringLiteral("C:/Users/anna/AppData/Local/Temp/x"),
                            QStringLiteral("C:/Users/anna/AppData/Local/Temp/x/data") }
            << QStringLiteral("C:/Users/anna/AppData/Local/Temp/x") << roamingFiles;
}

void TestSettingsFileFix::filesFromLocations()
{
    QFETCH(QStringList, locations);
    QFETCH(QString, executableDir);
    QFETCH(QStringList, expected);

    QCOMPARE(staleSettingsFiles(locations, executableDir), expected);
}

void TestSettingsFileFix::refusalChangesNothing()
{
    TemporaryRoot root;
    ToolName toolName;
    QVERIFY(makeEntry(profiFolder() + QStringLiteral("/velto.set")));
    QVERIFY(makeEntry(profiFolder() + QStringLiteral("/velto.~se")));

    ModalAnswerer answerer;
    answerer.pressButton(QMessageBox::Cancel);
    fixVeltoSetFile();

    QCOMPARE(describeBoxes(answerer.seenBoxes()), QStringList{ settingsBoxes.confirmation });
    QCOMPARE(entriesBelow(profiFolder()),
             QStringList({ QStringLiteral("velto.set"), QStringLiteral("velto.~se") }));
}

void TestSettingsFileFix::deletesStaleFiles_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<bool>("roamingRedirected");

    const QStringList both{ QStringLiteral("velto.set"), QStringLiteral("velto.~se") };
    QTest::newRow("neither present") << QStringList() << false;
    QTest::newRow("both present") << both << false;
    QTest::newRow("only the companion") << QStringList{ QStringLiteral("velto.~se") } << false;
    QTest::newRow("only the settings file") << QStringList{ QStringLiteral("velto.set") } << false;
    QTest::newRow("both, the roaming folder a link its owner set") << both << true;
}

void TestSettingsFileFix::deletesStaleFiles()
{
    QFETCH(QStringList, present);
    QFETCH(bool, roamingRedirected);

    TemporaryRoot root;
    ToolName toolName;
    if (roamingRedirected && !redirectRoamingFolder())
        QSKIP("the roaming folder cannot be made a link here");
    for (const QString &file : present)
        QVERIFY(makeEntry(profiFolder() + QLatin1Char('/') + file));
    // Neighbours: other files of the folder, and files of the same names in ProgramData.
    QVERIFY(makeEntry(profiFolder() + QStringLiteral("/velto.set.bak")));
    QVERIFY(makeEntry(profiFolder() + QStringLiteral("/Playlists/velto.set")));
    const QString programData = programDataFolder() + QStringLiteral("/Kormand/Velto-Studio Profi");
    QVERIFY(makeEntry(programData + QStringLiteral("/velto.set")));
    QVERIFY(makeEntry(programData + QStringLiteral("/velto.~se")));

    QCOMPARE(runConfirmed(fixVeltoSetFile),
             QStringList({ settingsBoxes.confirmation, settingsBoxes.success }));
    QCOMPARE(entriesBelow(profiFolder()),
             QStringList({ QStringLiteral("Playlists"), QStringLiteral("Playlists/velto.set"),
                           QStringLiteral("velto.set.bak") }));
    QCOMPARE(entriesBelow(programData),
             QStringList({ QStringLiteral("velto.set"), QStringLiteral("velto.~se") }));
}

void TestSettingsFileFix::filesOutsideTheMakersStay_data()
{
    QTest::addColumn<QString>("toolName");
    QTest::addColumn<QString>("link");
    // Where the two files lie, below the roaming folder.
    QTest::addColumn<QString>("filesIn");

    QTest::newRow("Velto-Studio Profi a link to an outside folder")
            << QStringLiteral("KormandRepairTool") << QStringLiteral("Kormand/Velto-Studio Profi")
            << QStringLiteral("Outside");
    QTest::newRow("maker folder a link to an outside folder")
            << QStringLiteral("KormandRepairTool") << QStringLiteral("Kormand")
            << QStringLiteral("Outside/Velto-Studio Profi");
    QTest::newRow("another vendor's folder under its name")
            << QStringLiteral("Microsoft") << QString()
            << QStringLiteral("Microsoft/Velto-Studio Profi");
}

void TestSettingsFileFix::filesOutsideTheMakersStay()
{
    QFETCH(QString, toolName);
    QFETCH(QString, link);
    QFETCH(QString, filesIn);

    TemporaryRoot root;
    ToolName name(toolName);
    const QString folder = roamingFolder() + QLatin1Char('/') + filesIn;
    const QStringList files
            = { folder + QStringLiteral("/velto.set"), folder + QStringLiteral("/velto.~se") };
    for (const QString &file : files)
        QVERIFY(makeEntry(file));
    if (!link.isEmpty()) {
        const QString linkPath = roamingFolder() + QLatin1Char('/') + link;
        QVERIFY(makeEntry(QFileInfo(linkPath).path() + QLatin1Char('/')));
        if (!QFile::link(roamingFolder() + QStringLiteral("/Outside"), linkPath)
            || !QFileInfo(linkPath).isSymLink())
            QSKIP("the toolkit makes no symbolic links here");
    }

    QCOMPARE(runConfirmed(fixVeltoSetFile),
             QStringList({ settingsBoxes.confirmation, settingsBoxes.success }));
    for (const QString &file : files)
        QVERIFY2(QFileInfo::exists(file), qPrintable(file));
}

void TestSettingsFileFix::undeletableSettingsFileFails()
{
    UnprivilegedRun run;
    if (!run.unavailableReason().isEmpty())
        QSKIP(qPrintable(run.unavailableReason()));
    TemporaryRoot root;
    ToolName toolName;
    QVERIFY(makeEntry(profiFolder() + QStringLiteral("/velto.set")));
    QVERIFY(makeEntry(profiFolder() + QStringLiteral("/velto.~se")));
    // In a sticky folder nobody may delete its own companion file but not root's settings file.
    QVERIFY(run.setMode(root.path(), QStringLiteral("755")));
    QVERIFY(run.setMode(profiFolder(), QStringLiteral("1777")));
    QVERIFY(run.giveToNobody(profiFolder() + QStringLiteral("/velto.~se")));

    bool ran = false;
    const QStringList boxes = run.runAction(QStringLiteral("fixVeltoSetFile"), &ran);

    QVERIFY(ran);
    QCOMPARE(boxes, QStringList({ settingsBoxes.confirmation, settingsBoxes.failure }));
    QCOMPARE(entriesBelow(profiFolder()), QStringList{ QStringLiteral("velto.set") });
}

QTEST_MAIN(TestSettingsFileFix)
#include "tst_settingsfilefix.moc"
