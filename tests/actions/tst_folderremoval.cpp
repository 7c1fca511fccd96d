#include "platform/files/folderremoval.h"
#include "testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#ifndef Q_OS_WIN
#include <sys/resource.h>
#endif

namespace {

// Deeper than Windows' MAX_PATH of 260 characters.
QString deepFolder(const QString &base)
{
    QString folder = base;
    for (int level = 0; level < 8; ++level)
        folder += QStringLiteral("/Velto-Studio Profi Sicherung %1").arg(level);
    return folder;
}

// Makes a symbolic link; false where the toolkit makes a shell shortcut instead (Windows).
bool makeSymbolicLink(const QString &target, const QString &link)
{
    return QFile::link(target, link) && QFileInfo(link).isSymLink();
}

const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup
        | QFile::ReadOther | QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther;

// Runs one removal on a thread with a stack of Windows' default size for a program's main thread.
class SmallStackRemoval : public QThread
{
public:
    explicit SmallStackRemoval(const QString &path)
        : path(path)
    {
        setStackSize(1024 * 1024);
    }

    FolderRemoval removal;

private:
    void run() override { removal = removeFolder(path, QString()); }

    const QString path;
};

// Deeper than any path the system takes whole, and far more levels than folders are held open at
// once. Fewer under Wine, which turns every open, even a relative one, into a look-up of the whole
// Unix path, so that time grows with the square of the depth.
#ifdef Q_OS_WIN
const int NestedLevels = 600;
#else
const int NestedLevels = 20000;
#endif

} // namespace

class TestFolderRemoval : public QObject
{
    Q_OBJECT

private slots:
    void removesEverything_data();
    void removesEverything();
    void deepTreeIsRemoved();
    void linkIsRemovedAsItself_data();
    void linkIsRemovedAsItself();
    void keptFolderStays_data();
    void keptFolderStays();
    void folderWithinKeptFolderIsUntouched();
    void entryExistsSeesLinks_data();
    void entryExistsSeesLinks();
};

void TestFolderRemoval::removesEverything_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("readOnlyEntries");

    QTest::newRow("nothing there") << QStringList() << QStringList();
    QTest::newRow("empty folder") << QStringList{ QString() } << QStringList();
    QTest::newRow("files and folders")
            << QStringList{ QStringLiteral("settings.xml"), QStringLiteral("Backups/2024/a.vsb"),
                            QStringLiteral("Covers/"), QStringLiteral("Playlists/p.m3u") }
            << QStringList();
    QTest::newRow("hidden files") << QStringList{ QStringLiteral(".cache"),
                                                  QStringLiteral(".hidden/.x") }
                                  << QStringList();
    QTest::newRow("read-only files")
            << QStringList{ QStringLiteral("settings.xml"), QStringLiteral("Backups/a.vsb") }
            << QStringList{ QStringLiteral("settings.xml"), QStringLiteral("Backups/a.vsb") };
    QTest::newRow("read-only folder") << QStringList{ QStringLiteral("Backups/a.vsb") }
                                      << QStringList{ QStringLiteral("Backups") };
    QTest::newRow("past MAX_PATH")
            << QStringList{ deepFolder(QStringLiteral("deep")) + QStringLiteral("/c.jpg") }
            << QStringList();
}

void TestFolderRemoval::removesEverything()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, readOnlyEntries);

    QTemporaryDir base;
    const QString maker = base.filePath(QStringLiteral("Kormand"));
    for (const QString &entry : entries)
        QVERIFY(makeEntry(maker + QLatin1Char('/') + entry));
    const int made = entriesBelow(maker).size() + (entries.isEmpty() ? 0 : 1);
    for (const QString &entry : readOnlyEntries)
        QVERIFY(QFile::setPermissions(maker + QLatin1Char('/') + entry, readOnly));
    QVERIFY(makeEntry(base.filePath(QStringLiteral("Kormand2/neighbour.txt"))));

    const FolderRemoval removal = removeFolder(maker, base.filePath(QStringLiteral("Tool")));

    QCOMPARE(removal.failedEntry, QString());
    QCOMPARE(removal.left, 0);
    QCOMPARE(removal.removed, made);
    QVERIFY(!entryExists(maker));
    QVERIFY(entryExists(base.filePath(QStringLiteral("Kormand2/neighbour.txt"))));
}

void TestFolderRemoval::deepTreeIsRemoved()
{
    // In memory where the system offers it: on a disk the tree's folders alone take up to a minute.
    const QDir memory(QStringLiteral("/dev/shm"));
    QTemporaryDir base((memory.exists() ? memory.path() : QDir::tempPath())
                       + QStringLiteral("/deeptree-XXXXXX"));
    QVERIFY(base.isValid());
    const QString maker = base.filePath(QStringLiteral("Kormand"));
    QVERIFY(makeNestedFolders(maker, NestedLevels));
#ifndef Q_OS_WIN
    // The usual limit of open descriptors, far below the depth.
    rlimit previous;
    QCOMPARE(::getrlimit(RLIMIT_NOFILE, &previous), 0);
    rlimit usual = previous;
    usual.rlim_cur = std::min<rlim_t>(previous.rlim_cur, 1024);
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &usual), 0);
#endif

    SmallStackRemoval thread(maker);
    thread.start();
    const bool finished = thread.wait();
#ifndef Q_OS_WIN
    ::setrlimit(RLIMIT_NOFILE, &previous);
#endif

    QVERIFY(finished);
    QCOMPARE(thread.removal.failedEntry, QString());
    QCOMPARE(thread.removal.left, 0);
    QCOMPARE(thread.removal.removed, NestedLevels + 1);
    QVERIFY(!entryExists(maker));
}

void TestFolderRemoval::linkIsRemovedAsItself_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("target");

    QTest::newRow("link to an outside folder")
            << QStringLiteral("Kormand/Covers") << QStringLiteral("Outside");
    QTest::newRow("link deeper down")
            << QStringLiteral("Kormand/a/b/Backups") << QStringLiteral("Outside");
    QTest::newRow("link to an outside file")
            << QStringLiteral("Kormand/settings.xml") << QStringLiteral("Outside/keep.txt");
    QTest::newRow("dangling link") << QStringLiteral("Kormand/gone") << QStringLiteral("Missing");
    QTest::newRow("maker folder is a link")
            << QStringLiteral("Kormand") << QStringLiteral("Outside");
    QTest::newRow("maker folder is a dangling link")
            << QStringLiteral("Kormand") << QStringLiteral("Missing");
}

void TestFolderRemoval::linkIsRemovedAsItself()
{
    QFETCH(QString, link);
    QFETCH(QString, target);

    QTemporaryDir base;
    const QString outside = base.filePath(QStringLiteral("Outside"));
    QVERIFY(makeEntry(outside + QStringLiteral("/keep.txt")));
    QVERIFY(makeEntry(outside + QStringLiteral("/sub/deep.txt")));
    const QString maker = base.filePath(QStringLiteral("Kormand"));
    const QString linkPath = base.filePath(link);
    QVERIFY(makeEntry(QFileInfo(linkPath).path() + QLatin1Char('/')));
    if (!makeSymbolicLink(base.filePath(target), linkPath))
        QSKIP("the toolkit makes no symbolic links here");
    if (linkPath != maker)
        QVERIFY(makeEntry(maker + QStringLiteral("/plain.txt")));

    const FolderRemoval removal = removeFolder(maker, base.filePath(QStringLiteral("Tool")));

    QCOMPARE(removal.failedEntry, QString());
    QCOMPARE(removal.left, 0);
    QVERIFY(!entryExists(maker));
    QCOMPARE(entriesBelow(outside),
             QStringList({ QStringLiteral("keep.txt"), QStringLiteral("sub"),
                           QStringLiteral("sub/deep.txt") }));
}

void TestFolderRemoval::keptFolderStays_data()
{
    QTest::addColumn<QString>("keep");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<int>("leftCount");

    const QStringList wholeTool
            = { QStringLiteral("Tool"), QStringLiteral("Tool/KormandRepairTool.exe"),
                QStringLiteral("Tool/data"), QStringLiteral("Tool/data/x.dll") };
    // The kept folder and the maker folder that holds it.
    QTest::newRow("as given") << QStringLiteral("Kormand/Tool") << wholeTool << 2;
    QTest::newRow("spelled another way")
            << QStringLiteral("Kormand/Backups/../Tool/.") << wholeTool << 2;
    QTest::newRow("through a linked parent") << QStringLiteral("Alias/Tool") << wholeTool << 2;
    QTest::newRow("deeper down") << QStringLiteral("Kormand/Tool/data")
                                 << QStringList{ QStringLiteral("Tool"),
                                                 QStringLiteral("Tool/data"),
                                                 QStringLiteral("Tool/data/x.dll") }
                                 << 3;
}

void TestFolderRemoval::keptFolderStays()
{
    QFETCH(QString, keep);
    QFETCH(QStringList, left);
    QFETCH(int, leftCount);

    QTemporaryDir base;
    const QString maker = base.filePath(QStringLiteral("Kormand"));
    for (const char *entry :
         { "Tool/KormandRepairTool.exe", "Tool/data/x.dll", "Backups/a.vsb", "top.txt" })
        QVERIFY(makeEntry(maker + QLatin1Char('/') + QLatin1String(entry)));
    if (keep.startsWith(QLatin1String("Alias/"))
        && !makeSymbolicLink(maker, base.filePath(QStringLiteral("Alias"))))
        QSKIP("the toolkit makes no symbolic links here");

    const FolderRemoval removal = removeFolder(maker, base.filePath(keep));

    QCOMPARE(entriesBelow(maker), left);
    QCOMPARE(removal.left, leftCount);
    QCOMPARE(removal.failedEntry, QString());
}

void TestFolderRemoval::folderWithinKeptFolderIsUntouched()
{
    QTemporaryDir base;
    const QString maker = base.filePath(QStringLiteral("Tool/data/Kormand"));
    QVERIFY(makeEntry(maker + QStringLiteral("/settings.xml")));

    const FolderRemoval removal = removeFolder(maker, base.filePath(QStringLiteral("Tool")));

    QCOMPARE(removal.removed, 0);
    QCOMPARE(entriesBelow(maker), QStringList{ QStringLiteral("settings.xml") });
}

void TestFolderRemoval::entryExistsSeesLinks_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("linkTarget");
    QTest::addColumn<bool>("exists");

    QTest::newRow("folder") << QStringLiteral("Kormand/") << QString() << true;
    QTest::newRow("file") << QStringLiteral("Kormand") << QString() << true;
    QTest::newRow("nothing") << QString() << QString() << false;
    QTest::newRow("folder of that name missing") << QStringLiteral("Other/") << QString() << false;
    QTest::newRow("link to a folder")
            << QStringLiteral("Kormand") << QStringLiteral("Outside") << true;
    QTest::newRow("dangling link")
            << QStringLiteral("Kormand") << QStringLiteral("Missing") << true;
}

void TestFolderRemoval::entryExistsSeesLinks()
{
    QFETCH(QString, entry);
    QFETCH(QString, linkTarget);
    QFETCH(bool, exists);

    QTemporaryDir base;
    QVERIFY(makeEntry(base.filePath(QStringLiteral("Outside/keep.txt"))));
    if (!linkTarget.isEmpty()) {
        if (!makeSymbolicLink(base.filePath(linkTarget), base.filePath(entry)))
            QSKIP("the toolkit makes no symbolic links here");
    } else if (!entry.isEmpty()) {
        QVERIFY(makeEntry(base.filePath(entry)));
    }

    QCOMPARE(entryExists(base.filePath(QStringLiteral("Kormand"))), exists);
}

QTEST_GUILESS_MAIN(TestFolderRemoval)
#include "tst_folderremoval.moc"
