#include "filecontents.h"
#include "logviewer/logtreemodel.h"
#include "logviewer/logviewerwindow.h"
#include "modalanswerer.h"
#include "registryseed.h"
#include "supportlog/registrydump.h"
#include "supportlogtesting.h"
#include "temporaryroot.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include <functional>
#include <memory>
#include <utility>

namespace {

const QString userRoot = "HKEY_CURRENT_USER\\Software\\Kormand";
const QString machineRoot = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand";

// The small trees and a default value among them.
void seedTrees()
{
    seedSmallMakerTrees();
    seedRegistryValue(userRoot, "Updater/.", "an");
}

// The dump of the trees that seed makes on a fresh system.
QStringList dumpOf(const std::function<void()> &seed)
{
    TemporaryRoot root;
    EmptyMakerTrees trees;
    seed();
    return dumpRegistry();
}

// What describe makes of each row below parent, depth first; rows it gives nothing for left out.
QStringList describeRows(const QAbstractItemModel *model,
                         const std::function<QString(const QModelIndex &)> &describe,
                         const QModelIndex &parent = {})
{
    QStringList rows;
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        rows << describe(index) << describeRows(model, describe, index);
    }
    rows.removeAll(QString());
    return rows;
}

QStringList pathsOf(const QAbstractItemModel *model)
{
    return describeRows(model, [](const QModelIndex &row) {
        return row.data(LogTreeModel::PathRole).toString();
    });
}

// A value row as repairlog writes it: "name"="text", or @="text" for the default value.
QString valueEntry(const QModelIndex &value)
{
    const QString name = value.data(LogTreeModel::ValueNameRole).toString();
    return (name.isEmpty() ? "@" : QLatin1Char('"') + name + QLatin1Char('"')) + "=\""
            + value.sibling(value.row(), LogTreeModel::TextColumn).data().toString()
            + QLatin1Char('"');
}

// A row as a line of repairlog's tree: a key's path, a value with its notes, an empty key whose
// name the log lost.
QString treeEntry(const QModelIndex &row)
{
    const QStringList notes = row.data(LogTreeModel::NotesRole).toStringList();
    switch (row.data(LogTreeModel::KindRole).toInt()) {
    case LogTreeModel::ValueRow:
        return valueEntry(row) + (notes.isEmpty() ? QString() : " ; " + notes.join("; "));
    case LogTreeModel::UnnamedKeyRow:
        return QStringLiteral("; [%1]: an empty key whose name the log does not hold (line %2)")
                .arg(row.data(LogTreeModel::KeyPathRole).toString())
                .arg(row.data(LogTreeModel::LineRole).toInt());
    default:
        return '[' + row.data(LogTreeModel::KeyPathRole).toString() + ']';
    }
}

// A mark as "path=restored" or "path=doubtful"; it shows as an icon, the notes as its tool tip.
QString markOf(const QModelIndex &value)
{
    const int mark = value.data(LogTreeModel::MarkRole).toInt();
    if (mark == LogTreeModel::NoMark)
        return QString();
    const QString tip = value.data(Qt::ToolTipRole).toString();
    const QString notes = value.data(LogTreeModel::NotesRole).toStringList().join('\n');
    return value.data(LogTreeModel::PathRole).toString()
            + (mark == LogTreeModel::RestoredMark ? "=restored" : "=doubtful")
            + (value.data(Qt::DecorationRole).isNull() ? " without icon" : "")
            + (tip == notes ? QString() : " with tool tip " + tip);
}

// A changed value as repairlog's diff writes it; nothing for a row that did not change.
QString changeOf(const QModelIndex &value)
{
    const QString entry = QStringLiteral("[%1] %2").arg(
            value.data(LogTreeModel::KeyPathRole).toString(), valueEntry(value));
    switch (value.data(LogTreeModel::ChangeRole).toInt()) {
    case LogTreeModel::Added:
        return "added   " + entry;
    case LogTreeModel::Removed:
        return "removed " + entry;
    case LogTreeModel::Changed:
        return QStringLiteral("changed %1, was \"%2\"")
                .arg(entry, value.data(LogTreeModel::EarlierTextRole).toString());
    default:
        return QString();
    }
}

// Whether the window showed just one box, of that icon, whose text begins so.
bool onlyBoxSays(const ModalAnswerer &answerer, QMessageBox::Icon icon, const QString &start)
{
    const QList<ModalAnswerer::SeenBox> &boxes = answerer.seenBoxes();
    if (boxes.size() == 1 && boxes.first().icon == icon && boxes.first().text.startsWith(start))
        return true;
    qWarning() << boxes.size() << "boxes, the first:" << boxes.value(0).text;
    return false;
}

// The lines of a reader's output.
QStringList linesOf(const QString &output)
{
    QStringList lines = output.split(QLatin1Char('\n'));
    lines.removeAll(QString());
    return lines;
}

// The logs in a window's Open Recent menu, as it fills it when it opens.
QStringList recentLogs(LogViewerWindow *window)
{
    auto *menu = window->findChild<QMenu *>("recentMenu");
    menu->popup(QPoint());
    QStringList logs;
    for (const QAction *action : menu->actions())
        logs << action->data().toString();
    logs.removeAll(QString());
    menu->hide();
    return logs;
}

QString hueName(const QColor &color)
{
    const int hue = color.hue();
    return hue >= 80 && hue <= 160                  ? "green"
            : hue >= 30 && hue <= 60                ? "amber"
            : hue >= 0 && (hue <= 10 || hue >= 350) ? "red"
                                                    : QStringLiteral("hue %1").arg(hue);
}

} // namespace

class TestLogViewer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsLogAsRepairlog_data();
    void readsLogAsRepairlog();
    void filterKeepsMatchingRows_data();
    void filterKeepsMatchingRows();
    void opensLog_data();
    void opensLog();

private:
    QString logPath(const QString &name) const;
    std::unique_ptr<LogViewerWindow> windowOn(const QString &name);
    QAbstractItemModel *treeOf(LogViewerWindow *window);

    QTemporaryDir dir;
    QStringList dumped;
    // The lines of a value listed once, at a tree's top, and of a value listed three times.
    int start = 0, volume = 0, volumeCopy = 0;
};

void TestLogViewer::initTestCase()
{
    QVERIFY(dir.isValid());
    dumped = dumpOf(seedTrees);
    const QStringList later = dumpOf([] {
        seedTrees();
        removeRegistryTree(machineRoot + "\\Studio\\Module");
        seedRegistryValue(userRoot, "Player/Volume", "90");
        seedRegistryValue(userRoot, "Updater/Kanal", "beta");
        seedRegistryValue(machineRoot, "Plugins/Hall", "an");
    });
    const QStringList emptyKeys = dumpOf([] {
        seedTrees();
        seedRegistryKey(userRoot + "\\Cache");
        seedRegistryKey(userRoot + "\\Player\\Leer");
    });

    const QList<QByteArray> sealed = sealedLog(dumped).split('\n').mid(0, dumped.size());
    const auto joined = [](const QList<QByteArray> &lines) { return lines.join('\n') + '\n'; };
    start = dumped.indexOf(QStringLiteral("[%1] + [Start]: 1").arg(userRoot));
    volume = dumped.indexOf(QStringLiteral("[%1] + [Player/Volume]: 80").arg(userRoot));
    volumeCopy = dumped.indexOf(QStringLiteral("[%1\\Player] + [Volume]: 80").arg(userRoot));
    QVERIFY(start > 0 && volume > 0 && volumeCopy > volume);
    QList<QByteArray> lost = sealed, restored = sealed, gap = sealed, swapped = sealed;
    lost[start] = damagedSealedLine(lost.at(start));
    restored[volume] = damagedSealedLine(restored.at(volume));
    gap.removeAt(volumeCopy);
    std::swap(swapped[3], swapped[4]);

    const QList<QPair<QString, QByteArray>> logs = { { "intact", sealedLog(dumped) },
                                                     { "later", sealedLog(later) },
                                                     { "empty keys", sealedLog(emptyKeys) },
                                                     { "cut", joined(sealed.mid(0, 12)) },
                                                     { "lost", joined(lost) },
                                                     { "restored", joined(restored) },
                                                     { "gap", joined(gap) },
                                                     { "swapped", joined(swapped) },
                                                     { "no log", QByteArray() } };
    for (const auto &log : logs)
        QVERIFY(writeFile(logPath(log.first), log.second));
}

QString TestLogViewer::logPath(const QString &name) const
{
    return dir.filePath(name + ".kormand_repair");
}

std::unique_ptr<LogViewerWindow> TestLogViewer::windowOn(const QString &name)
{
    auto window = std::make_unique<LogViewerWindow>();
    window->show();
    QSignalSpy shown(window.get(), &LogViewerWindow::logShown);
    window->openLog(logPath(name));
    if (!shown.wait(20000) || !QTest::qWaitForWindowExposed(window.get()))
        return nullptr;
    return window;
}

QAbstractItemModel *TestLogViewer::treeOf(LogViewerWindow *window)
{
    return window->findChild<QTreeView *>("registryTree")->model();
}

void TestLogViewer::readsLogAsRepairlog_data()
{
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("colour");
    // %1 and %2: the lines read and expected, as repairlog check counts them.
    QTest::addColumn<QString>("verdict");
    // The line each finding leads to.
    QTest::addColumn<QList<int>>("targets");
    // Values marked, by their path: restored or doubtful.
    QTest::addColumn<QStringList>("marked");
    // The log compared with and what the comparison counts, as "log: counts".
    QTest::addColumn<QString>("comparison");

    const QString intact = "%1 lines, intact and complete";
    const QString lost = "%1 lines read, %2 expected: damaged or incomplete";
    const QString kept = "%1 lines read, %2 expected: damaged, but every value is there";
    const QString player = userRoot + "\\Player\\Volume";
    const auto row
            = [](const char *name, const char *log, const char *colour, const QString &verdict,
                 QList<int> targets, QStringList marked = {}, const char *comparison = "") {
                  QTest::newRow(name) << QString(log) << QString(colour) << verdict << targets
                                      << marked << QString(comparison);
              };
    row("intact", "intact", "green", intact, {}, {}, "later: 1 added, 2 removed, 1 changed");
    row("later", "later", "green", intact, {}, {}, "intact: 2 added, 1 removed, 1 changed");
    row("empty keys", "empty keys", "green", intact, {});
    row("cut", "cut", "red", lost, { 12 });
    row("damaged, no copy", "lost", "red", lost, { start + 1 });
    row("line missing", "gap", "red", lost, { volumeCopy }, { player + "=doubtful" });
    row("damaged, restored", "restored", "amber", kept, { volume + 1 }, { player + "=restored" },
        "intact: 0 added, 0 removed, 0 changed");
    row("swapped", "swapped", "amber", kept, { 4 });
    row("no log", "no log", "red", "Not a support log: the file is empty", {});
}

// The verdict and its findings are repairlog check's, the tree is repairlog tree's, the export
// is repairlog reg's file byte for byte, and the comparison marks what repairlog diff finds.
void TestLogViewer::readsLogAsRepairlog()
{
    QFETCH(QString, log);
    QFETCH(QString, colour);
    QFETCH(QString, verdict);
    QFETCH(QList<int>, targets);
    QFETCH(QStringList, marked);
    QFETCH(QString, comparison);

    QStringList said = linesOf(runReader({ "check", logPath(log) }).output);
    QVERIFY(!said.isEmpty());
    const QRegularExpressionMatch counts
            = QRegularExpression("^(\\d+) lines(?: read, (\\d+) expected)?").match(said.takeLast());
    if (counts.hasMatch())
        verdict = verdict.arg(counts.captured(1), counts.captured(2));

    const auto window = windowOn(log);
    QVERIFY(window);
    const auto *label = window->findChild<QLabel *>("verdictLabel");
    QCOMPARE(label->text(), verdict);
    QCOMPARE(hueName(label->palette().color(QPalette::Window)), colour);
    auto *findings = window->findChild<QListWidget *>("findingsList");
    QCOMPARE(describeRows(findings->model(),
                          [](const QModelIndex &item) { return item.data().toString(); }),
             said);
    QCOMPARE(findings->isVisible(), !said.isEmpty());
    QCOMPARE(findings->count(), targets.size());
    auto *tabs = window->findChild<QTabWidget *>("tabs");
    auto *lines = window->findChild<QTableView *>("linesView");
    for (int i = 0; i < targets.size(); ++i) {
        tabs->setCurrentIndex(0);
        QTest::mouseClick(findings->viewport(), Qt::LeftButton, {},
                          findings->visualItemRect(findings->item(i)).center());
        QCOMPARE(tabs->currentWidget(), lines);
        QCOMPARE(lines->currentIndex().data().toInt(), targets.at(i));
    }

    QCOMPARE(describeRows(treeOf(window.get()), treeEntry),
             linesOf(runReader({ "tree", logPath(log) }).output));
    QCOMPARE(describeRows(treeOf(window.get()), markOf), marked);
    if (!counts.hasMatch())
        return;

    const QString exported = dir.filePath(log + " viewer.reg");
    const QString written = dir.filePath(log + " repairlog.reg");
    const QStringList reg = { "reg", logPath(log), "-o", written };
    QVERIFY(runReader(reg).exitCode >= 0);
    ModalAnswerer answerer;
    chooseDirectory(answerer, exported);
    window->findChild<QAction *>("exportAction")->trigger();
    QCOMPARE(answerer.unexpected(), QStringList());
    QCOMPARE(readFile(exported), readFile(written));

    // Where nothing can be written, the window says so and keeps no part of the file.
    const QString nowhere = dir.filePath("no folder/kormand.reg");
    answerer.pressButton(QMessageBox::Ok);
    QVERIFY(!window->exportRegFile(nowhere));
    QVERIFY(onlyBoxSays(answerer, QMessageBox::Critical,
                        QStringLiteral("Cannot write %1").arg(QDir::toNativeSeparators(nowhere))));
    QVERIFY(!QFile::exists(nowhere));
    if (comparison.isEmpty())
        return;
    const QString earlier = comparison.section(": ", 0, 0);

    QSignalSpy compared(window.get(), &LogViewerWindow::comparisonShown);
    chooseDirectory(answerer, logPath(earlier));
    window->findChild<QAction *>("compareAction")->trigger();
    QVERIFY(compared.wait(20000));
    QStringList marks = describeRows(treeOf(window.get()), changeOf);
    QStringList diff = linesOf(runReader({ "diff", logPath(earlier), logPath(log) }).output);
    diff.removeAll("no values added, removed or changed");
    // The tree lists them by key, repairlog by key path.
    marks.sort();
    diff.sort();
    QCOMPARE(marks, diff);
    QCOMPARE(window->findChild<QLabel *>("comparisonLabel")->text(),
             "Since " + QString(comparison).replace(": ", ".kormand_repair: "));
}

void TestLogViewer::filterKeepsMatchingRows_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("kept");

    const QString player = userRoot + "\\Player";
    const QString decks = player + "\\Decks";
    const QString module = machineRoot + "\\Studio\\Module";
    QTest::newRow("key name, other case") << "DECKS" << QStringList{ userRoot, player, decks };
    QTest::newRow("value text") << "links"
                                << QStringList{ userRoot, player, decks, decks + "\\Name" };
    QTest::newRow("part of a text") << "8" << QStringList{ userRoot, player, player + "\\Volume" };
    QTest::newRow("deep value") << "AsIo"
                                << QStringList{ machineRoot, machineRoot + "\\Studio", module,
                                                module + "\\Audio", module + "\\Audio\\Treiber" };
    QTest::newRow("default value by its shown name")
            << "(default)"
            << QStringList{ userRoot, userRoot + "\\Updater", userRoot + "\\Updater\\(Default)" };
    QTest::newRow("nothing") << "Kein Wert" << QStringList();
}

void TestLogViewer::filterKeepsMatchingRows()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, kept);

    const auto window = windowOn("intact");
    QVERIFY(window);
    auto *tree = window->findChild<QTreeView *>("registryTree");
    const QAbstractItemModel *filtered = tree->model();
    const QStringList all = pathsOf(filtered);
    auto *edit = window->findChild<QLineEdit *>("filterEdit");
    QTest::keyClicks(edit, typed);
    QTRY_COMPARE(pathsOf(filtered), kept);
    // The last row kept, a key or a value, copies its path.
    for (const QModelIndex &last : filtered->match(filtered->index(0, 0), LogTreeModel::PathRole,
                                                   kept.value(kept.size() - 1, typed), -1,
                                                   Qt::MatchExactly | Qt::MatchRecursive)) {
        tree->setCurrentIndex(last);
        QApplication::clipboard()->clear();
        window->findChild<QAction *>("copyPathAction")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), kept.last());
    }
    edit->clear();
    QTRY_COMPARE(pathsOf(filtered), all);
}

void TestLogViewer::opensLog_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("File, Open") << "dialog";
    QTest::newRow("dropped on the window") << "drop";
    QTest::newRow("File, Open Recent") << "recent";
    QTest::newRow("opened again before the first shows") << "twice";
}

void TestLogViewer::opensLog()
{
    QFETCH(QString, how);

    const auto window = windowOn("cut");
    QVERIFY(window);
    const QString path = logPath("swapped");
    QSignalSpy shown(window.get(), &LogViewerWindow::logShown);
    ModalAnswerer answerer;
    if (how == QLatin1String("dialog")) {
        chooseDirectory(answerer, path);
        window->findChild<QAction *>("openAction")->trigger();
    } else if (how == QLatin1String("drop")) {
        QMimeData data;
        data.setUrls({ QUrl::fromLocalFile(path) });
        const QPoint at = window->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &drop);
        QVERIFY(drop.isAccepted());
    } else if (how == QLatin1String("recent")) {
        // Opened once before, by another window: the list outlives it.
        QVERIFY(windowOn("swapped"));
        QVERIFY(windowOn("cut"));
        QCOMPARE(recentLogs(window.get()).mid(0, 2), QStringList({ logPath("cut"), path }));
        window->findChild<QMenu *>("recentMenu")->actions().at(1)->trigger();
    } else {
        window->openLog(logPath("gap"));
        window->openLog(path);
    }
    QVERIFY(shown.wait(20000));
    // The first reading of two ends too, but what it read is never shown.
    if (how == QLatin1String("twice"))
        QTest::qWait(500);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(window->windowTitle(), "swapped.kormand_repair \u2013 Kormand Log Viewer");
    QCOMPARE(window->findChild<QTableView *>("linesView")->model()->rowCount(), dumped.size());
    QCOMPARE(answerer.unexpected(), QStringList());

    // A file that cannot be read leaves the log shown as it was, and the recent list.
    answerer.pressButton(QMessageBox::Ok);
    const QString missing = logPath("missing");
    window->openLog(missing);
    QVERIFY(shown.wait(20000));
    QVERIFY(onlyBoxSays(
            answerer, QMessageBox::Warning,
            QStringLiteral("Cannot read %1:\n").arg(QDir::toNativeSeparators(missing))));
    QVERIFY(window->windowTitle().startsWith(QLatin1String("swapped.")));
    QCOMPARE(recentLogs(window.get()).value(0), path);
}

QTEST_MAIN(TestLogViewer)
#include "tst_logviewer.moc"
