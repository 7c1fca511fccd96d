#include "platform/knownfolders.h"
#include "temporaryroot.h"

#include <QCoreApplication>
#include <QTest>

class TestKnownFolders : public QObject
{
    Q_OBJECT

private slots:
    void locationsAreShapedAsOnWindows_data();
    void locationsAreShapedAsOnWindows();
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

QTEST_GUILESS_MAIN(TestKnownFolders)
#include "tst_knownfolders.moc"
