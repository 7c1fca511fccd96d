#include "disposablemachine.h"
#include "filecontents.h"
#include "platform/files/folderremoval.h"
#include "platform/files/heldfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <windows.h>

#include <functional>

namespace {

const wchar_t *wide(const QString &text)
{
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

bool setReadOnly(const QString &path)
{
    const DWORD attributes = GetFileAttributesW(wide(nativePath(path)));
    return attributes != INVALID_FILE_ATTRIBUTES
            && SetFileAttributesW(wide(nativePath(path)), attributes | FILE_ATTRIBUTE_READONLY);
}

bool isReadOnly(const QString &path)
{
    const DWORD attributes = GetFileAttributesW(wide(nativePath(path)));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

QStringList namesOf(const QVector<HeldFolder::Entry> &entries, bool folders)
{
    QStringList names;
    for (const HeldFolder::Entry &entry : entries) {
        if (entry.mayBeFolder == folders)
            names.append(HeldFolder::displayName(entry.name));
    }
    names.sort();
    return names;
}

// Wine's name for a Windows path on the Unix side, through its own kernel32 export.
QString unixPathOf(const QString &path)
{
    using UnixFileName = char *(CDECL *)(const wchar_t *);
    const auto toUnix = reinterpret_cast<UnixFileName>(reinterpret_cast<void *>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        return QString();
    char *unixName = toUnix(wide(nativePath(path)));
    const QString unixPath = unixName ? QString::fromLocal8Bit(unixName) : QString();
    HeapFree(GetProcessHeap(), 0, unixName);
    return unixPath;
}

// Runs a Unix program of the machine under Wine, which starts such programs as they are but
// gives no handle to wait on: done is polled for instead, for up to ten seconds.
bool runUnix(const QString &program, const QStringList &arguments,
             const std::function<bool()> &done)
{
    if (!QProcess::startDetached(QStringLiteral("Z:") + program, arguments))
        return false;
    for (int waited = 0; waited < 10000 && !done(); waited += 50)
        QThread::msleep(50);
    return done();
}

// Puts a Unix symbolic link at link (below an existing folder) to target; Windows programs
// cannot make one under Wine.
bool plantUnixSymlink(const QString &target, const QString &link, QString *why)
{
    if (!runsUnderWine()) {
        *why = QStringLiteral("Unix links exist only under Wine");
        return false;
    }
    const QString unixTarget = unixPathOf(target);
    const QString unixFolder = unixPathOf(QFileInfo(link).path());
    if (unixTarget.isEmpty() || unixFolder.isEmpty()) {
        *why = QStringLiteral("Wine names no Unix path for %1").arg(target);
        return false;
    }
    if (!runUnix(QStringLiteral("/bin/ln"),
                 { QStringLiteral("-s"), unixTarget,
                   unixFolder + QLatin1Char('/') + QFileInfo(link).fileName() },
                 [&link]() { return entryExists(link); })) {
        *why = QStringLiteral("Wine did not run /bin/ln");
        return false;
    }
    return true;
}

} // namespace

// The held folders as Windows (Wine here) provides them: opened relative to a handle, listed
// through it, deleted through handles with the classic disposition where the POSIX one is
// missing, and never led out of the folder by a name or a link.
class TestHeldFolder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void opensAndListsThroughHandles();
    void nameLeadingOutIsRefused_data();
    void nameLeadingOutIsRefused();
    void readOnlyEntriesGo();
    void readOnlyAttributeOfAnotherLinkStays();
    void unixLinkInProgramDataIsNotFollowed_data();
    void unixLinkInProgramDataIsNotFollowed();
};

void TestHeldFolder::initTestCase()
{
    requireDisposableMachine();
}

void TestHeldFolder::opensAndListsThroughHandles()
{
    QTemporaryDir base;
    for (const char *entry : { "Kormand/a.txt", "Kormand/.hidden", "Kormand/Sub/b.txt" })
        QVERIFY(writeFile(base.filePath(QLatin1String(entry)), "Velto"));
    HeldFolder::Outcome outcome;
    const HeldFolder top = HeldFolder::open(base.path(), &outcome);
    QCOMPARE(int(outcome.kind), int(HeldFolder::Outcome::Done));
    HeldFolder maker = top.openFolder(HeldFolder::nameOf(QStringLiteral("Kormand")), &outcome);
    QCOMPARE(int(outcome.kind), int(HeldFolder::Outcome::Done));

    maker.openFolder(HeldFolder::nameOf(QStringLiteral("a.txt")), &outcome);
    QCOMPARE(int(outcome.kind), int(HeldFolder::Outcome::NotAFolder));
    QCOMPARE(int(maker.removeEntry(HeldFolder::nameOf(QStringLiteral("Sub"))).kind),
             int(HeldFolder::Outcome::IsAFolder));
    QCOMPARE(int(maker.removeEntry(HeldFolder::nameOf(QStringLiteral("a.txt"))).kind),
             int(HeldFolder::Outcome::Done));
    QVERIFY(!QFileInfo::exists(base.filePath(QStringLiteral("Kormand/a.txt"))));
    QCOMPARE(int(maker.removeEntry(HeldFolder::nameOf(QStringLiteral("a.txt"))).kind),
             int(HeldFolder::Outcome::Gone));

    // What is held is the folder, not its path: moved elsewhere, it is still the one listed.
    QVERIFY(QDir(base.path()).rename(QStringLiteral("Kormand"), QStringLiteral("Moved")));
    const QVector<HeldFolder::Entry> entries = maker.entries(&outcome);
    QCOMPARE(int(outcome.kind), int(HeldFolder::Outcome::Done));
    QCOMPARE(namesOf(entries, true), QStringList{ QStringLiteral("Sub") });
    QCOMPARE(namesOf(entries, false), QStringList{ QStringLiteral(".hidden") });
    top.openFolder(HeldFolder::nameOf(QStringLiteral("Kormand")), &outcome);
    QCOMPARE(int(outcome.kind), int(HeldFolder::Outcome::Gone));
}

void TestHeldFolder::nameLeadingOutIsRefused_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("parent") << QStringLiteral("..");
    QTest::newRow("itself") << QStringLiteral(".");
    QTest::newRow("up and over") << QStringLiteral("..\\Outside");
    QTest::newRow("up and over, forward") << QStringLiteral("../Outside");
    QTest::newRow("down and up") << QStringLiteral("Sub\\..\\..\\Outside");
    QTest::newRow("stream") << QStringLiteral("keep.txt:secret");
    QTest::newRow("empty") << QString();
}

void TestHeldFolder::nameLeadingOutIsRefused()
{
    QFETCH(QString, name);

    QTemporaryDir base;
    QVERIFY(writeFile(base.filePath(QStringLiteral("Outside/keep.txt")), "Velto"));
    QVERIFY(writeFile(base.filePath(QStringLiteral("Kormand/Sub/keep.txt")), "Velto"));
    HeldFolder::Outcome outcome;
    const HeldFolder top = HeldFolder::open(base.path(), &outcome);
    const HeldFolder maker
            = top.openFolder(HeldFolder::nameOf(QStringLiteral("Kormand")), &outcome);
    QVERIFY(maker.isValid());

    const HeldFolder opened = maker.openFolder(HeldFolder::nameOf(name), &outcome);
    QVERIFY(!opened.isValid());
    QCOMPARE(int(outcome.kind), int(HeldFolder::Outcome::Failed));
    QCOMPARE(outcome.error, int(ERROR_INVALID_NAME));
    QCOMPARE(int(maker.removeEntry(HeldFolder::nameOf(name)).kind),
             int(HeldFolder::Outcome::Failed));
    QVERIFY(QFileInfo::exists(base.filePath(QStringLiteral("Outside/keep.txt"))));
    QVERIFY(QFileInfo::exists(base.filePath(QStringLiteral("Kormand/Sub/keep.txt"))));
}

void TestHeldFolder::readOnlyEntriesGo()
{
    QTemporaryDir base;
    const QString maker = base.filePath(QStringLiteral("Kormand"));
    for (const char *entry : { "settings.xml", "Backups/a.vsb", "Backups/b.vsb" })
        QVERIFY(writeFile(maker + QLatin1Char('/') + QLatin1String(entry), "Velto"));
    for (const char *entry : { "settings.xml", "Backups/a.vsb", "Backups" })
        QVERIFY(setReadOnly(maker + QLatin1Char('/') + QLatin1String(entry)));

    const FolderRemoval removal = removeFolder(maker, QCoreApplication::applicationDirPath());

    QCOMPARE(removal.failedEntry, QString());
    QCOMPARE(removal.removed, 5);
    QVERIFY(!entryExists(maker));
}

void TestHeldFolder::readOnlyAttributeOfAnotherLinkStays()
{
    QTemporaryDir base;
    const QString original = base.filePath(QStringLiteral("Outside/original.db"));
    const QString link = base.filePath(QStringLiteral("Kormand/linked.db"));
    QVERIFY(writeFile(original, "Velto"));
    QVERIFY(QDir().mkpath(QFileInfo(link).path()));
    if (!CreateHardLinkW(wide(nativePath(link)), wide(nativePath(original)), nullptr))
        QSKIP("the file system takes no hard links here");
    QVERIFY(setReadOnly(original));

    const FolderRemoval removal = removeFolder(base.filePath(QStringLiteral("Kormand")), QString());

    // The POSIX disposition ignores the attribute and removes the link; the classic one would
    // need the attribute cleared, which would clear it for the original as well.
    QVERIFY(isReadOnly(original));
    QCOMPARE(readFile(original), QByteArray("Velto"));
    if (QFileInfo::exists(link)) {
        QVERIFY(isReadOnly(link));
        QCOMPARE(removal.failedEntry, QDir::fromNativeSeparators(link));
        QVERIFY(removal.systemError != 0);
    } else {
        QCOMPARE(removal.failedEntry, QString());
    }
}

void TestHeldFolder::unixLinkInProgramDataIsNotFollowed_data()
{
    QTest::addColumn<QString>("link");

    QTest::newRow("inside the maker folder") << QStringLiteral("Kormand/Linked");
    QTest::newRow("the maker folder itself") << QStringLiteral("Kormand");
}

void TestHeldFolder::unixLinkInProgramDataIsNotFollowed()
{
    QFETCH(QString, link);

    const QString programData = QDir::fromNativeSeparators(qEnvironmentVariable("ALLUSERSPROFILE"));
    QVERIFY(!programData.isEmpty());
    const QString maker = programData + QStringLiteral("/Kormand");
    QVERIFY(!entryExists(maker));
    QTemporaryDir outside;
    QVERIFY(writeFile(outside.filePath(QStringLiteral("keep.txt")), "Velto"));
    QVERIFY(writeFile(outside.filePath(QStringLiteral("sub/deep.txt")), "Velto"));
    const QString linkPath = programData + QLatin1Char('/') + link;
    if (linkPath != maker)
        QVERIFY(writeFile(maker + QStringLiteral("/plain.txt"), "Velto"));
    QString why;
    if (!plantUnixSymlink(outside.path(), linkPath, &why))
        QSKIP(qPrintable(why));
    QVERIFY(QFileInfo::exists(linkPath + QStringLiteral("/sub/deep.txt")));

    const FolderRemoval removal = removeFolder(maker, QCoreApplication::applicationDirPath());
    const bool linkLeft = entryExists(linkPath);
    qInfo("link %s; removed %d, left %d, first failure %s (error %d)",
          linkLeft ? "left in place" : "removed as a link", removal.removed, removal.left,
          qPrintable(removal.failedEntry), removal.systemError);
    if (linkLeft)
        QVERIFY(runUnix(QStringLiteral("/bin/rm"), { QStringLiteral("-rf"), unixPathOf(maker) },
                        [&maker]() { return !entryExists(maker); }));

    QCOMPARE(readFile(outside.filePath(QStringLiteral("keep.txt"))), QByteArray("Velto"));
    QCOMPARE(readFile(outside.filePath(QStringLiteral("sub/deep.txt"))), QByteArray("Velto"));
    if (linkLeft) {
        QVERIFY(removal.left > 0);
        QVERIFY(!removal.failedEntry.isEmpty());
    } else {
        QVERIFY(!entryExists(maker));
    }
}

QTEST_GUILESS_MAIN(TestHeldFolder)
#include "tst_heldfolder.moc"
