#include "app/mainwindow.h"
#include "modalanswerer.h"
#include "platform/files/folderremoval.h"
#include "platform/files/heldfolder.h"
#include "shownboxes.h"
#include "temporaryroot.h"
#include "testfiles.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

const uid_t Nobody = 65534;

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

bool giveToNobody(const QString &folder)
{
    bool given = ::lchown(native(folder).constData(), Nobody, Nobody) == 0;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        given = ::lchown(native(it.next()).constData(), Nobody, Nobody) == 0 && given;
    return given;
}

// Runs work in a child process as nobody, where permissions bite even for root's tests, and
// hands back what it reports; false when the child could not run or report.
bool asNobody(const std::function<QByteArray()> &work, QByteArray *report)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return false;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
            ::_exit(3);
        const QByteArray done = work();
        const bool written
                = ::write(channel[1], done.constData(), size_t(done.size())) == done.size();
        ::_exit(written ? 0 : 4);
    }
    ::close(channel[1]);
    report->clear();
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(channel[0], buffer, sizeof buffer)) > 0)
        report->append(buffer, int(got));
    ::close(channel[0]);
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)
            && WEXITSTATUS(status) == 0;
}

bool removeAsNobody(const QString &path, FolderRemoval *removal)
{
    QByteArray report;
    const bool ran = asNobody(
            [&]() {
                const FolderRemoval done = removeFolder(path, QString());
                return QByteArray::number(done.removed) + '\n' + QByteArray::number(done.left)
                        + '\n' + QByteArray::number(done.systemError) + '\n'
                        + done.failedEntry.toUtf8();
            },
            &report);
    const QList<QByteArray> fields = report.split('\n');
    if (!ran || fields.size() != 4)
        return false;
    removal->removed = fields.at(0).toInt();
    removal->left = fields.at(1).toInt();
    removal->systemError = fields.at(2).toInt();
    removal->failedEntry = QString::fromUtf8(fields.at(3));
    return true;
}

// Someone else at work in the tree: the first time the removal deletes something in one of the
// watched folders, as soon as inotify tells, it does its deed with that folder.
class DeletionWatcher
{
public:
    DeletionWatcher(const QStringList &folders, std::function<void(const QString &)> deed)
        : watch(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK))
    {
        for (const QString &folder : folders)
            watched.insert(::inotify_add_watch(watch, native(folder).constData(), IN_DELETE),
                           folder);
        thread = std::thread([this, deed]() { run(deed); });
    }

    ~DeletionWatcher() { stop(); }

    // Ends the watch; the deeds done are over.
    void stop()
    {
        if (thread.joinable()) {
            stopping = true;
            thread.join();
            ::close(watch);
        }
    }

private:
    void run(const std::function<void(const QString &)> &deed)
    {
        pollfd events = { watch, POLLIN, 0 };
        while (!stopping) {
            if (::poll(&events, 1, 5) <= 0)
                continue;
            alignas(inotify_event) char buffer[16384];
            const ssize_t got = ::read(watch, buffer, sizeof buffer);
            for (ssize_t at = 0; at < got;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                at += ssize_t(sizeof(inotify_event) + event->len);
                const QString folder = watched.take(event->wd);
                if (!folder.isEmpty())
                    deed(folder);
            }
        }
    }

    const int watch;
    QHash<int, QString> watched;
    std::atomic<bool> stopping{ false };
    std::thread thread;
};

// The attacker's deed: moves the folder away and puts a link to the canary folder in its place,
// so that a walk by paths would carry on in the canary.
bool swapForLink(const QString &folder, const QString &canary, const QString &trash)
{
    const QString away = trash + QLatin1Char('/') + QFileInfo(folder).fileName();
    return ::rename(native(folder).constData(), native(away).constData()) == 0
            && ::symlink(native(canary).constData(), native(folder).constData()) == 0;
}

const QStringList coverNames = []() {
    QStringList names;
    for (int i = 0; i < 150; ++i)
        names.append(QStringLiteral("cover%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
    return names;
}();

// A maker folder of six subfolders, and an outside folder whose files have the same names as
// theirs. Returns the subfolders.
QStringList makeTargetedTree(const QString &maker, const QString &canary)
{
    QStringList folders;
    for (int f = 0; f < 6; ++f)
        folders.append(maker + QStringLiteral("/Backups%1").arg(f));
    for (const QString &name : coverNames) {
        makeEntry(canary + QLatin1Char('/') + name);
        for (const QString &folder : folders)
            makeEntry(folder + QLatin1Char('/') + name);
    }
    return folders;
}

} // namespace

class TestFolderRemovalPosix : public QObject
{
    Q_OBJECT

private slots:
    void swappedFoldersLeadNowhere();
    void attackThroughTheWindowLeadsNowhere();
    void removesTreeDeeperThanPathMax();
    void removesFifos_data();
    void removesFifos();
    void permissionsBite_data();
    void permissionsBite();
    void othersAtWorkMeanwhile_data();
    void othersAtWorkMeanwhile();
    void entryExistsForNobody_data();
    void entryExistsForNobody();
    void opensOnlyFolders_data();
    void opensOnlyFolders();
    void deepWalk_data();
    void deepWalk();
};

void TestFolderRemovalPosix::swappedFoldersLeadNowhere()
{
    QElapsedTimer clock;
    clock.start();
    int rounds = 0;
    int swaps = 0;
    // About two seconds, and a few rounds more while no attack has come in time.
    for (; rounds < 40 && (clock.elapsed() < 2000 || (swaps == 0 && rounds < 10)); ++rounds) {
        QTemporaryDir base;
        const QString canary = base.filePath(QStringLiteral("Canary"));
        const QString trash = base.filePath(QStringLiteral("Trash"));
        const QString maker = base.filePath(QStringLiteral("Kormand"));
        QVERIFY(makeEntry(trash + QLatin1Char('/')));
        const QStringList folders = makeTargetedTree(maker, canary);
        QCOMPARE(entriesBelow(canary), coverNames);

        QStringList swapped;
        DeletionWatcher swapper(folders, [&](const QString &folder) {
            if (swapForLink(folder, canary, trash))
                swapped.append(folder);
        });
        const FolderRemoval removal = removeFolder(maker, base.filePath(QStringLiteral("Tool")));
        swapper.stop();

        swaps += swapped.size();
        QCOMPARE(entriesBelow(canary), coverNames);
        // Each link put in a folder's place went as the link it is, or stays reported.
        for (const QString &link : swapped)
            QVERIFY2(!entryExists(link) || removal.left > 0, qPrintable(link));
        QVERIFY(!entryExists(maker) || removal.left > 0);
    }
    qInfo("%d rounds, %d folders swapped during the removal", rounds, swaps);
    QVERIFY2(swaps > 0, "the attack never came in time: nothing was tried");
}

// The same attack on the maker's ProgramData folder while the window's button does the work.
void TestFolderRemovalPosix::attackThroughTheWindowLeadsNowhere()
{
    const ActionBoxes boxes = boxesOf(QStringLiteral("deleteAllDirectories"));
    int rounds = 0;
    int swaps = 0;
    for (; rounds < 4 || (swaps == 0 && rounds < 12); ++rounds) {
        TemporaryRoot root;
        ToolName toolName;
        const QString canary = root.filePath(QStringLiteral("Canary"));
        const QString trash = root.filePath(QStringLiteral("Trash"));
        const QString maker = programDataFolder() + QStringLiteral("/Kormand");
        QVERIFY(makeEntry(trash + QLatin1Char('/')));
        const QStringList folders = makeTargetedTree(maker, canary);
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *button = window.findChild<QPushButton *>(
                QStringLiteral("btn_directories__delete_all_directories"));
        QVERIFY(button);
        auto *tabs = window.findChild<QTabWidget *>();
        tabs->setCurrentWidget(window.findChild<QWidget *>(QStringLiteral("tab_data_directories")));
        QVERIFY(button->isVisible());

        ModalAnswerer answerer;
        answerer.pressButton(QMessageBox::Ok);
        answerer.pressButton(QMessageBox::Ok);
        DeletionWatcher swapper(folders, [&](const QString &folder) {
            swaps += swapForLink(folder, canary, trash) ? 1 : 0;
        });
        QTest::mouseClick(button, Qt::LeftButton);
        swapper.stop();

        QCOMPARE(entriesBelow(canary), coverNames);
        QCOMPARE(describeBoxes(answerer.seenBoxes()),
                 QStringList({ boxes.confirmation,
                               entryExists(maker) ? boxes.failure : boxes.success }));
    }
    qInfo("%d rounds, %d folders swapped during the removal", rounds, swaps);
    QVERIFY2(swaps > 0, "the attack never came in time: nothing was tried");
}

void TestFolderRemovalPosix::removesTreeDeeperThanPathMax()
{
    QTemporaryDir base;
    const QString maker = base.filePath(QStringLiteral("Kormand"));
    const QByteArray name(200, 'd');
    const int levels = PATH_MAX / name.size() + 2;
    QVERIFY(makeEntry(maker + QLatin1Char('/')));
    // Only relative steps reach that deep: each folder is made from the one above it.
    int folder = ::open(native(maker).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    QVERIFY(folder >= 0);
    for (int level = 0; level < levels; ++level) {
        QCOMPARE(::mkdirat(folder, name.constData(), 0755), 0);
        const int next = ::openat(folder, name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(folder);
        folder = next;
        QVERIFY(folder >= 0);
    }
    const int file = ::openat(folder, "cover.jpg", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ::close(folder);
    QVERIFY(file >= 0);
    ::close(file);

    const FolderRemoval removal = removeFolder(maker, base.filePath(QStringLiteral("Tool")));

    QCOMPARE(removal.failedEntry, QString());
    QCOMPARE(removal.removed, levels + 2);
    QVERIFY(!entryExists(maker));
}

void TestFolderRemovalPosix::removesFifos_data()
{
    QTest::addColumn<QString>("fifo");

    QTest::newRow("inside") << QStringLiteral("Kormand/Backups/pipe");
    QTest::newRow("in the folder's place") << QStringLiteral("Kormand");
}

void TestFolderRemovalPosix::removesFifos()
{
    QFETCH(QString, fifo);

    QTemporaryDir base;
    const QString maker = base.filePath(QStringLiteral("Kormand"));
    QVERIFY(makeEntry(QFileInfo(base.filePath(fifo)).path() + QLatin1Char('/')));
    QCOMPARE(::mkfifo(native(base.filePath(fifo)).constData(), 0644), 0);

    // Nothing writes to the FIFO: a removal that opened it would wait for ever.
    const FolderRemoval removal = removeFolder(maker, base.filePath(QStringLiteral("Tool")));

    QCOMPARE(removal.failedEntry, QString());
    QVERIFY(!entryExists(maker));
}

void TestFolderRemovalPosix::permissionsBite_data()
{
    QTest::addColumn<QString>("rootsFolder");
    QTest::addColumn<QString>("readOnlyFolder");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<int>("error");

    QTest::newRow("file in a folder of root's")
            << QStringLiteral("Locked") << QString()
            << QStringList{ QStringLiteral("Locked"), QStringLiteral("Locked/in-use.db") }
            << int(EACCES);
    QTest::newRow("own read-only folder")
            << QString() << QStringLiteral("Backups") << QStringList() << 0;
}

void TestFolderRemovalPosix::permissionsBite()
{
    QFETCH(QString, rootsFolder);
    QFETCH(QString, readOnlyFolder);
    QFETCH(QStringList, left);
    QFETCH(int, error);

    if (::geteuid() != 0)
        QSKIP("needs root to run the removal as nobody");
    // The folder that holds the maker folder is nobody's too, as ProgramData is open to all.
    QTemporaryDir base;
    const QString maker = base.filePath(QStringLiteral("Kormand"));
    for (const char *entry : { "settings.xml", "Backups/a.vsb", "Backups/b.vsb", "Covers/" })
        QVERIFY(makeEntry(maker + QLatin1Char('/') + QLatin1String(entry)));
    QVERIFY(giveToNobody(base.path()));
    if (!readOnlyFolder.isEmpty())
        QCOMPARE(::chmod(native(maker + QLatin1Char('/') + readOnlyFolder).constData(), 0555), 0);
    if (!rootsFolder.isEmpty())
        QVERIFY(makeEntry(maker + QLatin1Char('/') + rootsFolder + QStringLiteral("/in-use.db")));

    FolderRemoval removal;
    QVERIFY(removeAsNobody(maker, &removal));

    QCOMPARE(entriesBelow(maker), left);
    QCOMPARE(removal.systemError, error);
    if (left.isEmpty()) {
        QCOMPARE(removal.failedEntry, QString());
        QCOMPARE(removal.left, 0);
        QVERIFY(!entryExists(maker));
    } else {
        QCOMPARE(removal.failedEntry, maker + QLatin1Char('/') + left.last());
        // The entry, the folder that holds it and the maker folder.
        QCOMPARE(removal.left, 3);
    }
}

void TestFolderRemovalPosix::othersAtWorkMeanwhile_data()
{
    QTest::addColumn<int>("written");
    QTest::addColumn<int>("deleted");

    QTest::newRow("a file written as the first goes") << 1 << 0;
    QTest::newRow("20 listed files deleted by another") << 0 << 20;
}

void TestFolderRemovalPosix::othersAtWorkMeanwhile()
{
    QFETCH(int, written);
    QFETCH(int, deleted);

    int rounds = 0;
    int meddled = 0;
    // A few rounds while the other one comes too late, when the removal is already done.
    for (; rounds < 20 && meddled == 0; ++rounds) {
        QTemporaryDir base;
        const QString maker = base.filePath(QStringLiteral("Kormand"));
        const QString backups = maker + QStringLiteral("/Backups");
        for (const QString &name : coverNames)
            QVERIFY(makeEntry(backups + QLatin1Char('/') + name));
        DeletionWatcher meddler({ backups }, [&](const QString &) {
            int count = 0;
            if (written > 0) {
                const int file = ::open(native(backups + QStringLiteral("/late.vsb")).constData(),
                                        O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
                count += file >= 0 ? 1 : 0;
                if (file >= 0)
                    ::close(file);
            }
            for (int i = coverNames.size() - 1; i >= 0 && count < deleted; --i) {
                const QString name = backups + QLatin1Char('/') + coverNames.at(i);
                count += ::unlink(native(name).constData()) == 0 ? 1 : 0;
            }
            meddled = count;
        });
        const FolderRemoval removal = removeFolder(maker, base.filePath(QStringLiteral("Tool")));
        meddler.stop();

        QCOMPARE(removal.failedEntry, QString());
        QCOMPARE(removal.left, 0);
        QVERIFY(!entryExists(maker));
        // Only what the removal itself deleted counts: the files, what was written meanwhile and
        // the two folders, not what vanished under it.
        const int made = written > 0 ? meddled : 0;
        const int vanished = deleted > 0 ? meddled : 0;
        QCOMPARE(removal.removed, coverNames.size() + made - vanished + 2);
    }
    qInfo("%d rounds", rounds);
    QVERIFY2(meddled > 0, "the other one never came in time: nothing was tried");
}

void TestFolderRemovalPosix::entryExistsForNobody_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("exists");

    // Locked is root's, mode 0700: what it holds cannot be told, so it counts as there.
    QTest::newRow("in a folder nobody cannot read") << QStringLiteral("Locked/Kormand/") << true;
    QTest::newRow("in a folder nobody can read") << QStringLiteral("Open/Kormand/") << true;
    QTest::newRow("gone from a folder nobody can read") << QStringLiteral("Open/") << false;
}

void TestFolderRemovalPosix::entryExistsForNobody()
{
    QFETCH(QString, entry);
    QFETCH(bool, exists);

    if (::geteuid() != 0)
        QSKIP("needs root to ask as nobody");
    QTemporaryDir base;
    QVERIFY(makeEntry(base.filePath(entry)));
    QVERIFY(makeEntry(base.filePath(QStringLiteral("Locked/"))));
    QCOMPARE(::chmod(native(base.path()).constData(), 0755), 0);
    QCOMPARE(::chmod(native(base.filePath(QStringLiteral("Locked"))).constData(), 0700), 0);
    const QString path
            = base.filePath(entry.section(QLatin1Char('/'), 0, 0) + QStringLiteral("/Kormand"));

    QByteArray report;
    QVERIFY(asNobody([&]() { return QByteArray::number(entryExists(path)); }, &report));
    QCOMPARE(report, QByteArray::number(exists));
}

void TestFolderRemovalPosix::opensOnlyFolders_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("kind");

    const int done = int(HeldFolder::Outcome::Done);
    const int notAFolder = int(HeldFolder::Outcome::NotAFolder);
    QTest::newRow("folder") << QStringLiteral("Kormand") << done;
    QTest::newRow("file") << QStringLiteral("Kormand/settings.xml") << notAFolder;
    QTest::newRow("missing") << QStringLiteral("Other") << int(HeldFolder::Outcome::Gone);
    // As a known folder may be: its owner set the link.
    QTest::newRow("link in its place") << QStringLiteral("Alias") << done;
    QTest::newRow("through a link to itself") << QStringLiteral("Loop/Kormand") << notAFolder;
}

void TestFolderRemovalPosix::opensOnlyFolders()
{
    QFETCH(QString, path);
    QFETCH(int, kind);

    QTemporaryDir base;
    QVERIFY(makeEntry(base.filePath(QStringLiteral("Kormand/settings.xml"))));
    QCOMPARE(::symlink("Kormand", native(base.filePath(QStringLiteral("Alias"))).constData()), 0);
    QCOMPARE(::symlink("Loop", native(base.filePath(QStringLiteral("Loop"))).constData()), 0);

    HeldFolder::Outcome outcome;
    const HeldFolder folder = HeldFolder::open(base.filePath(path), &outcome);
    QCOMPARE(int(outcome.kind), kind);
    QCOMPARE(folder.isValid(), kind == int(HeldFolder::Outcome::Done));
}

void TestFolderRemovalPosix::deepWalk_data()
{
    QTest::addColumn<bool>("swapFarAbove");

    QTest::newRow("few folders held at the deepest point") << false;
    // Let go long before, it is opened again by name on the way back.
    QTest::newRow("a folder far above swapped for another") << true;
}

// 300 nested folders, 400 files in the deepest. While the walk deletes them, the descriptors the
// process holds are counted, and the folder at level 101 may be swapped for another real one.
void TestFolderRemovalPosix::deepWalk()
{
    QFETCH(bool, swapFarAbove);

    QTemporaryDir base;
    const QString maker = base.filePath(QStringLiteral("Kormand"));
    QVERIFY(makeNestedFolders(maker, 300));
    const QString deepest = maker + QStringLiteral("/d").repeated(300);
    for (int file = 0; file < 400; ++file)
        QVERIFY(makeEntry(deepest + QStringLiteral("/%1.vsb").arg(file)));
    const QString farAbove = maker + QStringLiteral("/d").repeated(101);
    const QString canary = farAbove + QStringLiteral("/d/canary.txt");
    const auto descriptors = []() { return QDir(QStringLiteral("/proc/self/fd")).count(); };

    std::atomic<uint> held{ 0 };
    std::atomic<bool> swapped{ false };
    DeletionWatcher watcher({ deepest }, [&](const QString &) {
        held = descriptors();
        swapped = swapFarAbove && QDir().rename(farAbove, base.filePath(QStringLiteral("Moved")))
                && makeEntry(canary);
    });
    const uint before = descriptors();
    const FolderRemoval removal = removeFolder(maker, base.filePath(QStringLiteral("Tool")));
    watcher.stop();

    // The folder it started from, 64 nearest the deepest, at most 65 spaced ones, and the one
    // being listed.
    QVERIFY2(held > 0 && held - before <= 131, qPrintable(QString::number(held - before)));
    QCOMPARE(swapped.load(), swapFarAbove);
    QCOMPARE(QFileInfo::exists(canary), swapFarAbove);
    QCOMPARE(removal.left > 0, swapFarAbove);
}

QTEST_MAIN(TestFolderRemovalPosix)
#include "tst_folderremovalposix.moc"
