#include "platform/account/profileaccount.h"
#include "platform/files/knownfolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTest>

#include <qt_windows.h>

namespace {

// Wine has no shell window of its own; a window of this process stands in for Explorer's.
HWND makeOwnShellWindow()
{
    using SetShellWindow = BOOL(WINAPI *)(HWND);
    const auto setShellWindow = reinterpret_cast<SetShellWindow>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetShellWindow")));
    const HWND window = CreateWindowExW(0, L"STATIC", L"shell", WS_POPUP, 0, 0, 1, 1, nullptr,
                                        nullptr, nullptr, nullptr);
    if (window && setShellWindow && setShellWindow(window) && GetShellWindow() == window)
        return window;
    if (window)
        DestroyWindow(window);
    return nullptr;
}

} // namespace

// The application-data locations as Windows itself reports them: the roaming folder of the user
// and ProgramData come from the system's known folders (Wine's under Wine), not from a stand-in.
class TestWindowsKnownFolders : public QObject
{
    Q_OBJECT

private slots:
    void locationsComeFromTheKnownFolders_data();
    void locationsComeFromTheKnownFolders();
};

void TestWindowsKnownFolders::locationsComeFromTheKnownFolders_data()
{
    QTest::addColumn<bool>("ownShell");

    QTest::newRow("the system's shell") << false;
    QTest::newRow("a shell of the process's own") << true;
}

// The per-user parts act on the shell's account; Wine runs every program as one account, so
// they act on the process's own, and the roaming folder is its own.
void TestWindowsKnownFolders::locationsComeFromTheKnownFolders()
{
    QFETCH(bool, ownShell);
    const HWND shell = ownShell ? makeOwnShellWindow() : nullptr;
    if (ownShell && !shell)
        QSKIP("No shell window can be set: there is one already, or no display");
    const QString app = QCoreApplication::applicationName();
    const QString appDir = QCoreApplication::applicationDirPath();
    const QString roaming = QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA"));
    const QString programData = QDir::fromNativeSeparators(qEnvironmentVariable("ALLUSERSPROFILE"));
    QVERIFY(!roaming.isEmpty() && !programData.isEmpty());

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
