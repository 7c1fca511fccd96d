#include "app/mainwindow.h"
#include "modalanswerer.h"
#include "platform/registry/registrykey.h"
#include "platform/standin/standinhivefile.h"
#include "supportlog/registrydump.h"
#include "supportlog/repaircipher.h"
#include "supportlog/supportlogkey.h"
#include "temporaryroot.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString userTree = QStringLiteral("HKEY_CURRENT_USER\\Software");
const QString machineTree = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE");

// Everything a newcomer can look at after a fix: each value below the two software trees as
// "<tree>/<key>" with its text, and each file below the root as "file:<relative path>".
using DemoState = QMap<QString, QString>;

DemoState readState(const QString &root)
{
    DemoState state;
    for (const QString &tree : { userTree, machineTree }) {
        const RegistryKey key(tree);
        for (const QString &name : key.allKeys())
            state.insert(tree + QLatin1Char('/') + name, key.text(name));
    }
    QDirIterator files(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (!path.startsWith(root + QLatin1String("/registry/")))
            state.insert(QStringLiteral("file:") + path.mid(root.size() + 1), QString());
    }
    return state;
}

// One "entry = text" line per entry, for comparisons that show what differs.
QStringList describe(const DemoState &state)
{
    QStringList lines;
    for (auto it = state.cbegin(); it != state.cend(); ++it)
        lines.append(it.key() + QStringLiteral(" = ") + it.value());
    return lines;
}

// The entries of state that begin with prefix.
QStringList entriesUnder(const DemoState &state, const QString &prefix)
{
    QStringList found;
    for (auto it = state.cbegin(); it != state.cend(); ++it) {
        if (it.key().startsWith(prefix))
            found.append(it.key());
    }
    return found;
}

} // namespace

class TestDemoSystem : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void seedingReadsAsAFootprint();
    void seedingHappensOnce();
    void everyFixChangesWhatItNames_data();
    void everyFixChangesWhatItNames();
    void logHoldsTheNestedMakerTrees();
    void seedingFromALogGivesItsTrees();

private:
    std::unique_ptr<TemporaryRoot> temporary;
    QString root;
    QString roaming;
};

void TestDemoSystem::init()
{
    temporary.reset(new TemporaryRoot);
    QVERIFY(temporary->isValid());
    // Seeded under the demo root's own folder name, whatever the fixes make of that name.
    QProcess seed;
    seed.start(QStringLiteral("bash"),
               { QStringLiteral("-c"),
                 QStringLiteral("set -e; source \"$1\"; root=$2/$(basename \"$DEMO_ROOT\"); "
                                "seed_demo_system \"$root\"; printf %s \"$root\""),
                 QStringLiteral("bash"), QStringLiteral(DEMO_SCRIPT), temporary->path() });
    QVERIFY(seed.waitForFinished(60000));
    QVERIFY2(seed.exitCode() == 0, seed.readAllStandardError().constData());
    root = QString::fromLocal8Bit(seed.readAllStandardOutput());
    qputenv("REPAIRTOOL_ROOT", root.toLocal8Bit());
    // The tool's own name, which the folder fixes derive the maker's folders from. Only now:
    // temporary folders are named after the application, and a root whose path holds the
    // tool's name is one the fixes cannot find their way in.
    QCoreApplication::setApplicationName(QStringLiteral("KormandRepairTool"));
    QString user = QString::fromLocal8Bit(qgetenv("USER"));
    roaming = QStringLiteral("file:Users/%1/AppData/Roaming/")
                      .arg(user.isEmpty() ? QStringLiteral("user") : user);
}

void TestDemoSystem::cleanup()
{
    QCoreApplication::setApplicationName(QStringLiteral("tst_demosystem"));
    temporary.reset();
}

void TestDemoSystem::seedingReadsAsAFootprint()
{
    for (const QString &hive :
         { QStringLiteral("HKEY_CURRENT_USER"), QStringLiteral("HKEY_LOCAL_MACHINE") })
        QVERIFY2(StandInHiveFile(hive).isReadable(), qPrintable(hive));

    const DemoState state = readState(root);
    QCOMPARE(state.value(userTree + QStringLiteral("/Kormand/Velto Studio/Player/Decks/Anzahl")),
             QStringLiteral("4"));
    QCOMPARE(state.value(userTree + QStringLiteral("/Kormand/Velto Studio/Player/Lautstärke")),
             QStringLiteral("80"));
    QCOMPARE(
            state.value(machineTree + QStringLiteral("/Kormand/Velto Studio/Module/Audio/Treiber")),
            QStringLiteral("ASIO"));
    const QString policies
            = machineTree + QStringLiteral("/Microsoft/Windows/CurrentVersion/Policies/System/");
    QCOMPARE(state.value(policies + QStringLiteral("EnableLUA")), QStringLiteral("1"));
    QVERIFY(!state.contains(policies + QStringLiteral("EnableLinkedConnections")));
    QVERIFY(state.contains(roaming + QStringLiteral("Kormand/Velto-Studio Profi/velto.set")));
    QVERIFY(state.contains(roaming + QStringLiteral("Kormand/Velto-Studio Profi/velto.~se")));
    QVERIFY(!entriesUnder(state, QStringLiteral("file:ProgramData/Kormand/")).isEmpty());
}

void TestDemoSystem::seedingHappensOnce()
{
    {
        RegistryKey policies(QStringLiteral(
                "HKEY_LOCAL_"
                "MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System"));
        policies.setInteger(QStringLiteral("EnableLUA"), 0);
    }
    const DemoState changed = readState(root);
    QProcess seed;
    seed.start(QStringLiteral("bash"),
               { QStringLiteral("-c"), QStringLiteral("source \"$1\"; seed_demo_system \"$2\""),
                 QStringLiteral("bash"), QStringLiteral(DEMO_SCRIPT), root });
    QVERIFY(seed.waitForFinished(60000));
    QCOMPARE(seed.exitCode(), 0);
    QCOMPARE(describe(readState(root)), describe(changed));

    // A root that holds something else is not the demo's to overwrite.
    QTemporaryDir other;
    QVERIFY(other.isValid());
    QFile mine(other.filePath(QStringLiteral("mine.txt")));
    QVERIFY(mine.open(QIODevice::WriteOnly));
    mine.close();
    seed.start(QStringLiteral("bash"),
               { QStringLiteral("-c"), QStringLiteral("source \"$1\"; seed_demo_system \"$2\""),
                 QStringLiteral("bash"), QStringLiteral(DEMO_SCRIPT), other.path() });
    QVERIFY(seed.waitForFinished(60000));
    QCOMPARE(seed.exitCode(), 0);
    QCOMPARE(QDir(other.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{ QStringLiteral("mine.txt") });
}

void TestDemoSystem::everyFixChangesWhatItNames_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("confirmations");
    // Entries that must be gone afterwards, by prefix; every other entry must stay as it was.
    QTest::addColumn<QStringList>("removed");
    // Entries that must read as given afterwards.
    QTest::addColumn<DemoState>("set");

    const QString policies
            = machineTree + QStringLiteral("/Microsoft/Windows/CurrentVersion/Policies/System/");
    const QStringList makerTrees{ userTree + QStringLiteral("/Kormand/"),
                                  machineTree + QStringLiteral("/Kormand/") };
    const QStringList makerFolders{ roaming + QStringLiteral("Kormand/"),
                                    QStringLiteral("file:ProgramData/Kormand/") };

    QTest::newRow("data folders") << "btn_directories__delete_all_directories" << 1 << makerFolders
                                  << DemoState();
    QTest::newRow("registry clean-up")
            << "btn_registry__delete_all_registry_data" << 1 << makerTrees << DemoState();
    QTest::newRow("UAC") << "btn_registry__change_uac_config" << 1 << QStringList()
                         << DemoState{ { policies + QStringLiteral("EnableLUA"),
                                         QStringLiteral("0") } };
    QTest::newRow("network drives")
            << "btn_registry__fix_network_device_connection" << 1 << QStringList()
            << DemoState{ { policies + QStringLiteral("EnableLinkedConnections"),
                            QStringLiteral("1") } };
    QTest::newRow("Runtime Error 216")
            << "btn_others__fix_runtime_error_216" << 2 << makerTrees + makerFolders << DemoState();
    QTest::newRow("velto.set")
            << "btn_others__fix_velto_set_file" << 1
            << QStringList{ roaming + QStringLiteral("Kormand/Velto-Studio Profi/velto.set"),
                            roaming + QStringLiteral("Kormand/Velto-Studio Profi/velto.~se") }
            << DemoState();
}

void TestDemoSystem::everyFixChangesWhatItNames()
{
    QFETCH(QString, button);
    QFETCH(int, confirmations);
    QFETCH(QStringList, removed);
    QFETCH(DemoState, set);

    DemoState expected = readState(root);
    for (const QString &prefix : removed) {
        const QStringList gone = entriesUnder(expected, prefix);
        QVERIFY2(!gone.isEmpty(), qPrintable(prefix + QStringLiteral(" is not in the demo")));
        for (const QString &entry : gone)
            expected.remove(entry);
    }
    for (auto it = set.cbegin(); it != set.cend(); ++it) {
        QVERIFY2(expected.value(it.key()) != it.value(), qPrintable(it.key()));
        expected.insert(it.key(), it.value());
    }

    MainWindow window;
    window.show();
    auto *pushButton = window.findChild<QPushButton *>(button);
    QVERIFY(pushButton);
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    QVERIFY(tabs);
    tabs->setCurrentIndex(tabs->indexOf(pushButton->parentWidget()->parentWidget()));
    QVERIFY(pushButton->isVisible());

    ModalAnswerer answerer;
    for (int i = 0; i < confirmations; ++i) {
        answerer.pressButton(QMessageBox::Ok);
        answerer.pressButton(QMessageBox::Ok);
    }
    QTest::mouseClick(pushButton, Qt::LeftButton);

    QCOMPARE(answerer.unexpected(), QStringList());
    QCOMPARE(answerer.pendingAnswers(), 0);
    for (int i = 0; i < confirmations; ++i) {
        QCOMPARE(answerer.seenBoxes().at(2 * i).icon, QMessageBox::Warning);
        QCOMPARE(answerer.seenBoxes().at(2 * i + 1).icon, QMessageBox::Information);
    }
    QCOMPARE(describe(readState(root)), describe(expected));
}

void TestDemoSystem::logHoldsTheNestedMakerTrees()
{
    // What the log button seals; that the log opens to these lines is the support log's test.
    const QStringList lines = dumpRegistry();
    QVERIFY(lines.contains(QStringLiteral(
            "[HKEY_CURRENT_USER\\Software\\Kormand\\Velto Studio\\Player\\Decks] + [Anzahl]: 4")));
    QVERIFY(lines.contains(QStringLiteral("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand\\Velto "
                                          "Studio\\Module\\Audio] + [Treiber]: ASIO")));
    // Only the maker's trees go into the log.
    const QString all = lines.join(QLatin1Char('\n'));
    QVERIFY(!all.contains(QStringLiteral("EnableLUA")));
    QVERIFY(!all.contains(QStringLiteral("Notepad")));
}

void TestDemoSystem::seedingFromALogGivesItsTrees()
{
    // The demo's log, with one value changed in every copy, so the trees can only come from it.
    QStringList lines = dumpRegistry().replaceInStrings(QStringLiteral("]: 4.2.1"),
                                                        QStringLiteral("]: 9.9.9"));
    QFile log(temporary->filePath(QStringLiteral("velto.kormand_repair")));
    QVERIFY(log.open(QIODevice::WriteOnly));
    RepairCipher cipher(SupportLogKey);
    for (const QString &line : qAsConst(lines))
        log.write(cipher.encryptTextToBase64(line).toLatin1() + '\n');
    log.close();

    const QString fromLog = temporary->filePath(QStringLiteral("from-log"));
    QVERIFY(QDir().mkpath(fromLog));
    QProcess seed;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("BUILD_DIR"),
                       QFileInfo(QStringLiteral(REPAIRLOG_PATH)).absolutePath()
                               + QStringLiteral("/.."));
    seed.setProcessEnvironment(environment);
    seed.start(QStringLiteral("bash"),
               { QStringLiteral("-c"),
                 QStringLiteral("set -e; source \"$1\"; seed_demo_from_log \"$2\" \"$3\""),
                 QStringLiteral("bash"), QStringLiteral(DEMO_SCRIPT), log.fileName(), fromLog });
    QVERIFY(seed.waitForFinished(60000));
    QVERIFY2(seed.exitCode() == 0, seed.readAllStandardError().constData());

    qputenv("REPAIRTOOL_ROOT", fromLog.toLocal8Bit());
    // The empty key Fenster is in the log only as a blank line and a separator: left out.
    const int fenster = lines.indexOf(QStringLiteral(
            "[HKEY_CURRENT_USER\\Software\\Kormand\\Velto Studio] + [Version]: 9.9.9"));
    QVERIFY(fenster > 0);
    QCOMPARE(lines.mid(fenster + 1, 2),
             QStringList({ QStringLiteral(" "),
                           QStringLiteral("====================================") }));
    lines.erase(lines.begin() + fenster + 1, lines.begin() + fenster + 3);
    QCOMPARE(dumpRegistry(), lines);
    // The rest of the demo is there as ever.
    const DemoState state = readState(fromLog);
    QCOMPARE(state.value(machineTree
                         + QStringLiteral(
                                 "/Microsoft/Windows/CurrentVersion/Policies/System/EnableLUA")),
             QStringLiteral("1"));
    QVERIFY(state.contains(roaming + QStringLiteral("Kormand/Velto-Studio Profi/velto.set")));
}

QTEST_MAIN(TestDemoSystem)
#include "tst_demosystem.moc"
