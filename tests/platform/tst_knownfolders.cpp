#include "platform/files/knownfolders.h"
#include "platform/standin/standinroot.h"
#include "temporaryroot.h"

#include <QCoreApplication>
#include <QTest>

class TestKnownFolders : public QObject
{
    Q_OBJECT

private slots:
    void locationsAreShapedAsOnWindows_data();
    void locationsAreShapedAsOnWindows();
    void defaultRootIsNotNamedAfterTheTool();
};

void TestKnownFolders::locationsAreShapedAsOnWindows_data()
{
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<QString>("expectedUser");

    QTest::newRow("named user") << QByteArray("anna") << QStringLiteral("anna");
    QTest::newRow("no user") << QByteArray() << QStringLiteral("user");
}

void TestKnownFolders::locationsAreShapedAsOnWindows()
{
    QFETCH(QByteArray, user);
    QFETCH(QString, expectedUser);

    TemporaryRoot root;
    const QByteArray previousUser = qgetenv("USER");
    qputenv("USER", user);
    const QStringList locations = appDataLocations();
    qputenv("USER", previousUser);

    const QString app = QCoreApplication::applicationName();
    const QString appDir = QCoreApplication::applicationDirPath();
    const QStringList expected = {
        root.path() + QStringLiteral("/Users/") + expectedUser + QStringLiteral("/AppData/Roaming/")
                + app,
        root.path() + QStringLiteral("/ProgramData/") + app,
        appDir,
        appDir + QStringLiteral("/data"),
        appDir + QStringLiteral("/data/") + app,
    };
    QCOMPARE(locations, expected);
}

void TestKnownFolders::defaultRootIsNotNamedAfterTheTool()
{
    // The folder fixes rename every "KormandRepairTool" in a location to "Kormand"; a default
    // root named after the tool would send them into a neighbouring folder.
    const QString previousName = QCoreApplication::applicationName();
    const QByteArray previousRoot = qgetenv("REPAIRTOOL_ROOT");
    QCoreApplication::setApplicationName(QStringLiteral("KormandRepairTool"));
    qunsetenv("REPAIRTOOL_ROOT");
    const QString root = standInRoot();
    const QString roaming = appDataLocations().constFirst();
    QCoreApplication::setApplicationName(previousName);
    qputenv("REPAIRTOOL_ROOT", previousRoot);

    QVERIFY(!root.isEmpty());
    QVERIFY2(!root.contains(QLatin1String("KormandRepairTool")), qPrintable(root));
    QVERIFY(roaming.startsWith(root + QLatin1Char('/')));
}

QTEST_GUILESS_MAIN(TestKnownFolders)
#include "tst_knownfolders.moc"
