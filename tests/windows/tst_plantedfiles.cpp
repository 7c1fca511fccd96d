#include "disposablemachine.h"
#include "filecontents.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QLibraryInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

#ifdef Q_OS_WIN
// Built beside the suite, in a folder of their own so that nothing loads them by accident.
QString probeFolder()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/planted");
}

// Copies the files called names from the probes' folder into folder. Names the first that fails.
QString copyProbes(const QString &folder, const QStringList &names)
{
    for (const QString &name : names) {
        if (!QFile::copy(probeFolder() + QLatin1Char('/') + name, folder + QLatin1Char('/') + name))
            return name;
    }
    return QString();
}
#endif

// Runs program in folder; its exit code, or -1 when it did not run to its end.
int runIn(const QString &folder, const QString &program, const QStringList &arguments = {},
          const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.start(folder + QLatin1Char('/') + program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitCode();
}

} // namespace

class TestPlantedFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
#ifdef Q_OS_WIN
    void plantedDllIsNotLoaded_data();
    void plantedDllIsNotLoaded();
    void plantedQtConfIsIgnored();
#endif
    void plantedPluginIsNotLoaded_data();
    void plantedPluginIsNotLoaded();

private:
    QTemporaryDir folder;
};

void TestPlantedFiles::initTestCase()
{
    // Shows that the planted plugin leaves its marker wherever it is loaded.
    const QString marker = folder.filePath(QStringLiteral("loaded directly"));
    qputenv("PLANTED_PLUGIN_MARKER", QFile::encodeName(QDir::toNativeSeparators(marker)));
    QVERIFY(QLibrary(QStringLiteral(PLANTED_PLUGIN)).load());
    QVERIFY(QFile::exists(marker));
    // Wine prefers its own DLLs to those beside a program unless told otherwise, and takes that
    // from the Unix side only, where ctest sets it for this suite.
    if (runsUnderWine())
        QVERIFY2(qgetenv("WINEDLLOVERRIDES").endsWith("=n,b"),
                 "WINEDLLOVERRIDES must name the probed DLLs as n,b");
}

#ifdef Q_OS_WIN
void TestPlantedFiles::plantedDllIsNotLoaded_data()
{
    QTest::addColumn<QString>("dll");
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("loaded");

    for (const char *dll :
         { "dwmapi", "netapi32", "userenv", "uxtheme", "version", "winmm", "wtsapi32" }) {
        const QString name = QString::fromLatin1(dll);
        QTest::addRow("%s, linked as the tool", dll)
                << name << QStringLiteral("protectedprobe.exe") << false;
        QTest::addRow("%s, linked as the tool, without SetDefaultDllDirectories", dll)
                << name << QStringLiteral("windows7probe.exe") << false;
        // Shows that the probe does run where nothing keeps it out.
        QTest::addRow("%s, linked the plain way", dll)
                << name << QStringLiteral("plainprobe.exe") << true;
    }
}

void TestPlantedFiles::plantedDllIsNotLoaded()
{
    QFETCH(QString, dll);
    QFETCH(QString, program);
    QFETCH(bool, loaded);

    QTemporaryDir folder;
    QCOMPARE(copyProbes(folder.path(), { program, dll + QStringLiteral(".dll") }), QString());
    QCOMPARE(runIn(folder.path(), program), 0);
    QCOMPARE(QFile::exists(folder.filePath(dll + QStringLiteral(".loaded"))), loaded);
}

void TestPlantedFiles::plantedQtConfIsIgnored()
{
    QTemporaryDir folder;
    const QString program = QStringLiteral("prefixprobe.exe");
    const QStringList arguments{ folder.filePath(QStringLiteral("prefix.txt")) };
    QCOMPARE(copyProbes(folder.path(), { program }), QString());
    QCOMPARE(runIn(folder.path(), program, arguments), 0);
    const QByteArray builtIn = readFile(arguments.first());
    QVERIFY(!builtIn.isEmpty());

    QVERIFY(writeFile(folder.filePath(QStringLiteral("qt.conf")),
                      "[Paths]\r\nPrefix=C:/planted\r\n"));
    QCOMPARE(runIn(folder.path(), program, arguments), 0);

    QCOMPARE(readFile(arguments.first()), builtIn);
}

#endif

void TestPlantedFiles::plantedPluginIsNotLoaded_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QStringList>("arguments");

    // "named" stands for the folder that a variable or an option names.
    QTest::newRow("beside the program") << "platforms" << QByteArray() << QStringList();
    QTest::newRow("QT_PLUGIN_PATH")
            << "named/platforms" << QByteArray("QT_PLUGIN_PATH") << QStringList();
    QTest::newRow("QT_QPA_PLATFORM_PLUGIN_PATH")
            << "named" << QByteArray("QT_QPA_PLATFORM_PLUGIN_PATH") << QStringList();
    QTest::newRow("-platformpluginpath")
            << "named" << QByteArray() << QStringList{ "-platformpluginpath", "named" };
}

// The tool, copied into a folder of its own, asked for the platform "planted" that only the
// planted plugin offers: it stops at once for want of it, unless it loads the planted one.
void TestPlantedFiles::plantedPluginIsNotLoaded()
{
    QFETCH(QString, place);
    QFETCH(QByteArray, variable);
    QFETCH(QStringList, arguments);

    QTemporaryDir program;
    const QString plugin = program.filePath(place + QLatin1Char('/')
                                            + QFileInfo(QStringLiteral(PLANTED_PLUGIN)).fileName());
    QVERIFY(QDir().mkpath(QFileInfo(plugin).path()));
    QVERIFY(QFile::copy(QStringLiteral(PLANTED_PLUGIN), plugin));
    const QString tool = QFileInfo(QStringLiteral(TOOL_PROGRAM)).fileName();
    QVERIFY(QFile::copy(QStringLiteral(TOOL_PROGRAM), program.filePath(tool)));
    const QString named = program.filePath(QStringLiteral("named"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("planted"));
    environment.insert(QStringLiteral("QT_DEBUG_PLUGINS"), QStringLiteral("1"));
    environment.insert(QStringLiteral("PLANTED_PLUGIN_MARKER"),
                       QDir::toNativeSeparators(program.filePath("marker")));
    if (!variable.isEmpty())
        environment.insert(QString::fromLatin1(variable), named);
    arguments.replaceInStrings(QRegExp(QStringLiteral("^named$")), named);

    runIn(program.path(), tool, arguments, environment);
    QVERIFY(!QFile::exists(program.filePath("marker")));
}

QTEST_GUILESS_MAIN(TestPlantedFiles)
#include "tst_plantedfiles.moc"
