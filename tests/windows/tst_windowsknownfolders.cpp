#include "platform/account/profileaccount.h"
#include "platform/files/knownfolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTest>

// The application-data locations as Windows itself reports them: the roaming folder of the user
// and ProgramData come from the system's known folders (Wine's under Wine), not from a stand-in.
class TestWindowsKnownFolders : public QObject
{
    Q_OBJECT

private slots:
    void locationsComeFromTheKnownFolders();
};

void TestWindowsKnownFolders::locationsComeFromTheKnownFolders()
{
    const QString app = QCoreApplication::applicationName();
    const QString appDir = QCoreApplication::applicationDirPath();
    const QString roaming = QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA"));
    const QString programData = QDir::fromNativeSeparators(qEnvironmentVariable("ALLUSERSPROFILE"));
    QVERIFY(!roaming.isEmpty() && !programData.isEmpty());

    // Wine runs every program as one account: the shell's is the process's own.
    QVERIFY(ProfileAccount::current().isOwn());
    const QStringList locations = appDataLocations();
    const QStringList expected
            = { roaming + QLatin1Char('/') + app, programData + QLatin1Char('/') + app, appDir,
                appDir + QStringLiteral("/data"), appDir + QStringLiteral("/data/") + app };
    QCOMPARE(locations, expected);

    const QRegularExpression roamingShape(QStringLiteral("^[A-Z]:/[Uu]sers/[^/]+/AppData/Roaming/")
                                          + QRegularExpression::escape(app) + QLatin1Char('$'));
    const QRegularExpression programDataShape(QStringLiteral("^[A-Z]:/ProgramData/")
                                              + QRegularExpression::escape(app) + QLatin1Char('$'));
    QVERIFY2(roamingShape.match(locations.at(0)).hasMatch(), qPrintable(locations.at(0)));
    QVERIFY2(programDataShape.match(locations.at(1)).hasMatch(), qPrintable(locations.at(1)));
}

QTEST_GUILESS_MAIN(TestWindowsKnownFolders)
#include "tst_windowsknownfolders.moc"
