#include "disposablemachine.h"
#include "filecontents.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

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

// Runs program in folder; its exit code, or -1 when it did not run to its end.
int runIn(const QString &folder, const QString &program, const QStringList &arguments = {})
{
    QProcess process;
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
    void plantedDllIsNotLoaded_data();
    void plantedDllIsNotLoaded();
    void plantedQtConfIsIgnored();
};

void TestPlantedFiles::initTestCase()
{
    // Wine prefers its own DLLs to those beside a program unless told otherwise, and takes that
    // from the Unix side only, where ctest sets it for this suite.
    if (runsUnderWine())
        QVERIFY2(qgetenv("WINEDLLOVERRIDES").endsWith("=n,b"),
                 "WINEDLLOVERRIDES must name the probed DLLs as n,b");
}

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

QTEST_GUILESS_MAIN(TestPlantedFiles)
#include "tst_plantedfiles.moc"
