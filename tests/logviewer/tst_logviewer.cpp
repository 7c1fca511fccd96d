#include "filecontents.h"
#include "hostilelogs.h"
#include "logviewer/loglinesmodel.h"
#include "logviewer/logtreemodel.h"
#include "logviewer/logviewerwindow.h"
#include "modalanswerer.h"
#include "registryseed.h"
#include "repairlog/visibletext.h"
#include "supportlog/registrydump.h"
#include "supportlogtesting.h"
#include "temporaryroot.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <QScreen>
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
            + visibleText(value.data(LogTreeModel::RawTextRole).toString()) + QLatin1Char('"');
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

// A mark as "path=restored", "path=doubtful" or, for a tree the log cannot vouch for,
// "path=lacking"; it shows as an icon, the notes as its tool tip.
QString markOf(const QModelIndex &row)
{
    const int mark = row.data(LogTreeModel::MarkRole).toInt();
    if (mark == LogTreeModel::NoMark)
        return QString();
    const QString tip = row.data(Qt::ToolTipRole).toString();
    QStringList notes = row.data(LogTreeModel::NotesRole).toStringList();
    if (mark == LogTreeModel::LackingMark)
        notes.prepend("The log cannot vouch for this tree: values may be lost");
    const char *names[] = { "", "=restored", "=doubtful", "=lacking" };
    return row.data(LogTreeModel::PathRole).toString() + names[mark]
            + (row.data(Qt::DecorationRole).isNull() ? " without icon" : "")
            + (tip == notes.join('\n') ? QString() : " with tool tip " + tip);
}

// A changed value as repairlog's diff writes it; nothing for a row that did not change.
QString changeOf(const QModelIndex &value)
{
    const QString entry = QStringLiteral("[%1] %2").arg(
            value.data(LogTreeModel::KeyPathRole).toString(), valueEntry(value));
    const QStringList uncertainty = value.data(LogTreeModel::UncertaintyRole).toStringList();
    const QString notes = uncertainty.isEmpty() ? QString() : " ; " + uncertainty.join("; ");
    switch (value.data(LogTreeModel::ChangeRole).toInt()) {
    case LogTreeModel::Added:
        return "added   " + entry + notes;
    case LogTreeModel::Removed:
        return "removed " + entry + notes;
    case LogTreeModel::Changed:
        return QStringLiteral("changed %1, was \"%2\"")
                       .arg(entry, value.data(LogTreeModel::EarlierTextRole).toString())
                + notes;
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

// A Registry Editor file's text, UTF-16LE after its byte-order mark.
QString regText(const QByteArray &file)
{
    return QString::fromUtf16(reinterpret_cast<const ushort *>(file.constData() + 2),
                              (file.size() - 2) / 2);
}

// repairlog reg's file's lines, with a header and the findings as comment lines after the first.
QStringList regLinesWith(const QString &written, const QString &header, const QStringList &said)
{
    QStringList lines = regText(readFile(written)).split("\r\n");
    if (said.isEmpty())
        return lines;
    QStringList comments = { header };
    for (const QString &finding : said)
        comments << "; " + finding;
    return lines.mid(0, 1) + comments + lines.mid(1);
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

QStringList findingsOf(LogViewerWindow *window)
{
    return describeRows(window->findChild<QListWidget *>("findingsList")->model(),
                        [](const QModelIndex &item) { return item.data().toString(); });
}

// A log as the title and the comparison name it: file, folder and date.
QString describedFile(const QString &path)
{
    const QFileInfo file(path);
    return file.fileName() + " in " + file.dir().dirName() + ", "
            + file.lastModified().toString("yyyy-MM-dd HH:mm");
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
    void copiesWhatHasFocus_data();
    void copiesWhatHasFocus();
    void movesByKeyboard_data();
    void movesByKeyboard();
    void fitsScreen();
    void opensForgedLog_data();
    void opensForgedLog();
    void walksRegistryDepth_data();
    void walksRegistryDepth();

private:
    QString logPath(const QString &name) const;
    std::unique_ptr<LogViewerWindow> windowOn(const QString &name);
    QAbstractItemModel *treeOf(LogViewerWindow *window);
    bool focusAfterPicking(LogViewerWindow *window, const QString &path, QWidget *focused);

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

    // Enough values for a file of several of the viewer's read blocks.
    const QStringList large = dumpOf([] {
        seedTrees();
        for (int i = 0; i < 1500; ++i)
            seedRegistryValue(userRoot, QStringLiteral("Bibliothek/Eintrag %1").arg(i),
                              QString(40, QLatin1Char('a' + i % 26)));
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

    const QList<QPair<QString, QByteArray>> logs
            = { { "intact", sealedLog(dumped) },      { "later", sealedLog(later) },
                { "large", sealedLog(large) },        { "empty keys", sealedLog(emptyKeys) },
                { "cut", joined(sealed.mid(0, 12)) }, { "lost", joined(lost) },
                { "restored", joined(restored) },     { "gap", joined(gap) },
                { "swapped", joined(swapped) },       { "no log", QByteArray() } };
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

// Makes the tree's row at path and the line of Start current, shows the tab of the lines if
// focused is them, else the tree's, and focuses it; false if the tree lacks the path.
bool TestLogViewer::focusAfterPicking(LogViewerWindow *window, const QString &path,
                                      QWidget *focused)
{
    auto *tree = window->findChild<QTreeView *>("registryTree");
    auto *lines = window->findChild<QTableView *>("linesView");
    const QModelIndexList row
            = tree->model()->match(tree->model()->index(0, 0), LogTreeModel::PathRole, path, 1,
                                   Qt::MatchExactly | Qt::MatchRecursive);
    if (row.size() != 1)
        return false;
    tree->setCurrentIndex(row.first());
    lines->setCurrentIndex(lines->model()->index(start, 0));
    window->findChild<QTabWidget *>("tabs")->setCurrentWidget(
            focused == lines ? lines->parentWidget() : tree->parentWidget());
    QApplication::setActiveWindow(window);
    focused->setFocus();
    return true;
}

void TestLogViewer::readsLogAsRepairlog_data()
{
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("colour");
    // %1 and %2: the lines read and expected, as repairlog check counts them.
    QTest::addColumn<QString>("verdict");
    // Where each finding leads: "line; tree row", "after line" for lines the file lacks.
    QTest::addColumn<QStringList>("targets");
    // Rows marked, by their path: restored, doubtful or lacking.
    QTest::addColumn<QStringList>("marked");
    // The earlier log compared with, whose differences repairlog diff tells.
    QTest::addColumn<QString>("earlier");

    const QString intact = "%1 lines, intact and complete";
    const QString lost = "%1 lines read, %2 expected: damaged or incomplete";
    const QString kept = "%1 lines read, %2 expected: damaged, but every value is there";
    const QString player = userRoot + "\\Player\\Volume";
    const auto row
            = [](const char *name, const char *log, const char *colour, const QString &verdict,
                 QStringList targets, QStringList marked = {}, const char *earlier = "") {
                  QTest::newRow(name) << QString(log) << QString(colour) << verdict << targets
                                      << marked << QString(earlier);
              };
    const auto at = [](const QString &line, const QString &tree = QString()) {
        return line + "; " + tree;
    };
    row("intact", "intact", "green", intact, {}, {}, "later");
    row("later", "later", "green", intact, {}, {}, "intact");
    row("later, since a cut log", "later", "green", intact, {}, {}, "cut");
    row("later, since a damaged log", "later", "green", intact, {}, {}, "lost");
    row("later, since a log with a line missing", "later", "green", intact, {}, {}, "gap");
    row("larger than a read block", "large", "green", intact, {});
    row("empty keys", "empty keys", "green", intact, {});
    row("cut", "cut", "red", lost, { at("after 12", userRoot) },
        { userRoot + "=lacking", machineRoot + "=lacking" });
    row("damaged, no copy", "lost", "red", lost, { at(QString::number(start + 1), userRoot) },
        { userRoot + "=lacking" });
    row("line missing", "gap", "red", lost + "; 1 value doubtful",
        { at("after " + QString::number(volumeCopy), player) },
        { userRoot + "=lacking", player + "=doubtful" });
    row("damaged, restored", "restored", "amber", kept, { at(QString::number(volume + 1), player) },
        { player + "=restored" }, "intact");
    row("swapped", "swapped", "amber", kept, { at("4") });
    row("no log", "no log", "red", "Not a support log: the file is empty", {});
}

// The verdict and its findings are repairlog check's, each leading to its line (or where the
// lines it speaks of are missing) and to the row it speaks of; the tree is repairlog tree's, the
// export is repairlog reg's file (a damaged log's after a question, with what it lacks in comment
// lines), and the comparison marks what repairlog diff finds, uncertain where diff qualifies it.
void TestLogViewer::readsLogAsRepairlog()
{
    QFETCH(QString, log);
    QFETCH(QString, colour);
    QFETCH(QString, verdict);
    QFETCH(QStringList, targets);
    QFETCH(QStringList, marked);
    QFETCH(QString, earlier);

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
    QCOMPARE(findingsOf(window.get()), said);
    QCOMPARE(findings->isVisible(), !said.isEmpty());
    QCOMPARE(findings->count(), targets.size());
    auto *tabs = window->findChild<QTabWidget *>("tabs");
    auto *lines = window->findChild<QTableView *>("linesView");
    auto *tree = window->findChild<QTreeView *>("registryTree");
    QCOMPARE(lines->model()->rowCount(),
             counts.captured(1).toInt()
                     + (said.filter(QRegularExpression(" missing|^cut ")).size()));
    for (int i = 0; i < targets.size(); ++i) {
        tabs->setCurrentIndex(0);
        tree->setCurrentIndex(QModelIndex());
        QTest::mouseClick(findings->viewport(), Qt::LeftButton, {},
                          findings->visualItemRect(findings->item(i)).center());
        QCOMPARE(tabs->currentWidget(), lines->parentWidget());
        const QModelIndex shown = lines->currentIndex();
        const int number = shown.data(LogLinesModel::LineNumberRole).toInt();
        const QString line = number > 0 ? QString::number(number)
                                        : "after "
                        + shown.sibling(shown.row() - 1, 0)
                                  .data(LogLinesModel::LineNumberRole)
                                  .toString();
        QCOMPARE(line + "; " + tree->currentIndex().data(LogTreeModel::PathRole).toString(),
                 targets.at(i));
        // The finding shows on its row, in its tool tip too, and on neither neighbour.
        for (int row : { shown.row() - 1, shown.row(), shown.row() + 1 }) {
            const QModelIndex index = lines->model()->index(row, 0);
            QCOMPARE(index.data(LogLinesModel::FindingsRole).toStringList().contains(said.at(i)),
                     row == shown.row());
            QCOMPARE(index.data(Qt::ToolTipRole).toString().contains(said.at(i)),
                     row == shown.row());
        }
    }

    QCOMPARE(describeRows(treeOf(window.get()), treeEntry),
             linesOf(runReader({ "tree", logPath(log) }).output));
    QCOMPARE(describeRows(treeOf(window.get()), markOf), marked);
    if (!counts.hasMatch())
        return;

    // Rows share logs, but not files written.
    const QString exported = dir.filePath(QTest::currentDataTag() + QString(" viewer.reg"));
    const QString written = dir.filePath(QTest::currentDataTag() + QString(" repairlog.reg"));
    QVERIFY(runReader({ "reg", logPath(log), "-o", written }).exitCode >= 0);
    ModalAnswerer answerer;
    if (!said.isEmpty())
        answerer.pressButton(QMessageBox::Yes);
    chooseDirectory(answerer, exported);
    window->findChild<QAction *>("exportAction")->trigger();
    QCOMPARE(answerer.unexpected(), QStringList());
    QVERIFY(said.isEmpty() ? answerer.seenBoxes().isEmpty()
                           : onlyBoxSays(answerer, QMessageBox::Question,
                                         log + ".kormand_repair is damaged or incomplete ("
                                                 + verdict + ")"));
    QCOMPARE(regText(readFile(exported)).split("\r\n"),
             regLinesWith(written,
                          "; " + QDir::toNativeSeparators(logPath(log))
                                  + " is damaged or incomplete: " + verdict,
                          said));

    // Where nothing can be written, the window says so and keeps no part of the file.
    const QString nowhere = dir.filePath("no folder/kormand.reg");
    answerer.pressButton(QMessageBox::Ok);
    QVERIFY(!window->exportRegFile(nowhere));
    QCOMPARE(answerer.seenBoxes().size(), said.isEmpty() ? 1 : 2);
    QCOMPARE(answerer.seenBoxes().last().icon, QMessageBox::Critical);
    QVERIFY(answerer.seenBoxes().last().text.startsWith(
            QStringLiteral("Cannot write %1:\n").arg(QDir::toNativeSeparators(nowhere))));
    QVERIFY(!QFile::exists(nowhere));
    if (earlier.isEmpty())
        return;

    QSignalSpy compared(window.get(), &LogViewerWindow::comparisonShown);
    chooseDirectory(answerer, logPath(earlier));
    window->findChild<QAction *>("compareAction")->trigger();
    QVERIFY(compared.wait(20000));
    QStringList diff = linesOf(runReader({ "diff", logPath(earlier), logPath(log) }).output);
    diff.removeAll("no values added, removed or changed");
    // The tree lists them by key, repairlog by key path.
    diff.sort();
    QCOMPARE(sorted(describeRows(treeOf(window.get()), changeOf)), diff);
    QStringList tally;
    for (const QString &kind : { "added", "removed", "changed" }) {
        const QStringList all = diff.filter(QRegularExpression('^' + kind));
        const int uncertain = all.filter(" ; ").size();
        tally << QStringLiteral("%1 %2").arg(all.size()).arg(kind)
                        + (uncertain ? QStringLiteral(" (%1 of them uncertain)").arg(uncertain)
                                     : QString());
    }
    const QString earlierSummary = linesOf(runReader({ "check", logPath(earlier) }).output)
                                           .last()
                                           .replace("all intact", "intact");
    const QString comparison = window->findChild<QLabel *>("comparisonLabel")->text();
    QVERIFY2(comparison.startsWith("Since " + describedFile(logPath(earlier)) + " ("
                                   + earlierSummary)
                     && comparison.endsWith("): " + tally.join(", ")),
             qPrintable(comparison));

    // Only the uncertain changes, and the changes and problems one key after another.
    auto *status = window->findChild<QComboBox *>("statusFilter");
    status->setCurrentIndex(status->findText("Uncertain changes"));
    QCOMPARE(sorted(describeRows(treeOf(window.get()), changeOf)), diff.filter(" ; "));
    status->setCurrentIndex(0);
    QStringList flagged;
    const QRegularExpression changed("^\\w+ +\\[(.*?)\\] (?:@|\"(.*?)\")=\"");
    for (const QString &change : qAsConst(diff)) {
        const QRegularExpressionMatch match = changed.match(change);
        flagged << match.captured(1) + '\\'
                        + (match.captured(2).isEmpty() ? "(Default)" : match.captured(2));
    }
    for (const QString &mark : marked.filter(QRegularExpression("=(doubtful|lacking)$")))
        flagged << mark.section('=', 0, 0);
    QStringList visited;
    tree->setCurrentIndex(QModelIndex());
    QApplication::setActiveWindow(window.get());
    tree->setFocus();
    for (int i = 0; i <= flagged.size(); ++i) {
        QTest::keyClick(tree, Qt::Key_F8);
        visited << tree->currentIndex().data(LogTreeModel::PathRole).toString();
    }
    QCOMPARE(visited.takeLast(), visited.value(visited.size() - 1));
    QCOMPARE(sorted(visited), sorted(flagged));
    if (visited.size() > 1) {
        QTest::keyClick(tree, Qt::Key_F8, Qt::ShiftModifier);
        QCOMPARE(tree->currentIndex().data(LogTreeModel::PathRole).toString(),
                 visited.at(visited.size() - 2));
    }
}

void TestLogViewer::filterKeepsMatchingRows_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("kept");

    const QString player = userRoot + "\\Player";
    const QString decks = player + "\\Decks";
    const QString module = machineRoot + "\\Studio\\Module";
    QTest::newRow("key name, other case, with its contents")
            << "DECKS"
            << QStringList{ userRoot, player, decks, decks + "\\Count", decks + "\\Name" };
    QTest::newRow("part of a copied path")
            << "Kormand\\Player\\Vol" << QStringList{ userRoot, player, player + "\\Volume" };
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
    const auto *none = window->findChild<QLabel *>("noMatchLabel");
    QCOMPARE(none->isVisible(), kept.isEmpty());
    QVERIFY(none->text().contains(typed));
    // The last row kept, a key or a value, copies its path.
    for (const QModelIndex &last : filtered->match(filtered->index(0, 0), LogTreeModel::PathRole,
                                                   kept.value(kept.size() - 1, typed), -1,
                                                   Qt::MatchExactly | Qt::MatchRecursive)) {
        tree->setCurrentIndex(last);
        QApplication::clipboard()->clear();
        window->findChild<QAction *>("copyPathAction")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), kept.last());
    }
    QApplication::setActiveWindow(window.get());
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Escape);
    QCOMPARE(edit->text(), QString());
    QTRY_COMPARE(pathsOf(filtered), all);
}

void TestLogViewer::copiesWhatHasFocus_data()
{
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("copied");

    const auto row
            = [](const char *name, const char *view, const char *keys, const QString &copied) {
                  QTest::newRow(name) << QString(view) << QString(keys) << copied;
              };
    row("tree, Copy", "tree", "Ctrl+C", userRoot + "\\Player\\Volume");
    row("tree, Copy Value", "tree", "Ctrl+Shift+C", "80");
    // The first copy of the value is damaged: its row stands at the copy.
    row("tree, Copy Line", "tree", "Ctrl+Shift+L", dumped.at(volumeCopy));
    row("lines, Copy", "lines", "Ctrl+C", dumped.at(start));
    row("lines, Copy Path", "lines", "Ctrl+Alt+C", userRoot + "\\Start");
    row("lines, Copy Value", "lines", "Ctrl+Shift+C", "1");
    row("findings, Copy", "findings", "Ctrl+C",
        linesOf(runReader({ "check", logPath("restored") }).output).first());
    row("filter, Copy", "filter", "Ctrl+C", "Vol");
}

// Copying acts on the view that has the focus, whatever another tab shows as current.
void TestLogViewer::copiesWhatHasFocus()
{
    QFETCH(QString, view);
    QFETCH(QString, keys);
    QFETCH(QString, copied);

    const auto window = windowOn("restored");
    QVERIFY(window);
    auto *filter = window->findChild<QLineEdit *>("filterEdit");
    auto *findings = window->findChild<QListWidget *>("findingsList");
    findings->setCurrentRow(0);
    const QMap<QString, QWidget *> views
            = { { "tree", window->findChild<QTreeView *>("registryTree") },
                { "lines", window->findChild<QTableView *>("linesView") },
                { "findings", findings },
                { "filter", filter } };
    QWidget *focused = views.value(view);
    if (view == "filter") {
        filter->setText("Vol");
        filter->selectAll();
    }
    QVERIFY(focusAfterPicking(window.get(), userRoot + "\\Player\\Volume", focused));
    QApplication::clipboard()->clear();
    QTest::keySequence(focused, QKeySequence(keys));
    QCOMPARE(QApplication::clipboard()->text(), copied);
}

void TestLogViewer::movesByKeyboard_data()
{
    QTest::addColumn<QString>("view");
    // Keys pressed one after another, and text typed between them ("text:...").
    QTest::addColumn<QStringList>("keys");
    // What shows then: "tree PATH" or "line N".
    QTest::addColumn<QString>("shown");

    const auto row
            = [](const char *name, const char *view, const QStringList &keys,
                 const QString &shown) { QTest::newRow(name) << QString(view) << keys << shown; };
    const QString startLine = "line " + QString::number(start + 1);
    const QString startRow = "tree " + userRoot + "\\Start";
    const QStringList search = { "Ctrl+F", "text:Volume", "Return" };
    row("next tab from the lines", "lines", { "Ctrl+Tab" }, startRow);
    row("previous tab from the tree", "tree", { "Ctrl+Shift+Tab" }, startLine);
    row("line to its value", "lines", { "Return" }, startRow);
    row("copy of a value to the value", "lines", search + QStringList{ "Ctrl+T" },
        "tree " + userRoot + "\\Player\\Volume");
    row("value to its line", "tree", { "Return" }, startLine);
    row("search in the lines", "lines", search, "line " + QString::number(volumeCopy + 1));
    row("search again", "lines", search + QStringList{ "F3" },
        "line " + QString::number(volume + 1));
}

// Tabs, the way between a line and its row, and the search in the lines, from the keyboard.
void TestLogViewer::movesByKeyboard()
{
    QFETCH(QString, view);
    QFETCH(QStringList, keys);
    QFETCH(QString, shown);

    const auto window = windowOn("intact");
    QVERIFY(window);
    auto *tabs = window->findChild<QTabWidget *>("tabs");
    auto *tree = window->findChild<QTreeView *>("registryTree");
    auto *lines = window->findChild<QTableView *>("linesView");
    QVERIFY(focusAfterPicking(window.get(), userRoot + "\\Start",
                              view == "lines" ? static_cast<QWidget *>(lines) : tree));
    for (const QString &key : qAsConst(keys)) {
        if (key.startsWith("text:"))
            QTest::keyClicks(QApplication::focusWidget(), key.mid(5));
        else
            QTest::keySequence(QApplication::focusWidget(), QKeySequence(key));
    }
    QCOMPARE(tabs->currentIndex() == 0
                     ? "tree " + tree->currentIndex().data(LogTreeModel::PathRole).toString()
                     : "line "
                             + lines->currentIndex().data(LogLinesModel::LineNumberRole).toString(),
             shown);
}

// However large the screen's text is scaled, the window opens within the screen.
void TestLogViewer::fitsScreen()
{
    LogViewerWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(screen.contains(window.frameGeometry()));
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
        // Nothing of the log shown before stays while the next one is read.
        QVERIFY(window->findChild<QLabel *>("verdictLabel")->text().startsWith("Reading "));
        QVERIFY(window->findChild<QListWidget *>("findingsList")->isHidden());
        QCOMPARE(treeOf(window.get())->rowCount(), 0);
        QCOMPARE(window->findChild<QTableView *>("linesView")->model()->rowCount(), 0);
        QCOMPARE(window->windowTitle(), QString("Kormand Log Viewer"));
    }
    QVERIFY(shown.wait(20000));
    // The first reading of two ends too, but what it read is never shown.
    if (how == QLatin1String("twice"))
        QTest::qWait(500);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(window->windowTitle(), describedFile(path) + " \u2013 Kormand Log Viewer");
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

void TestLogViewer::opensForgedLog_data()
{
    QTest::addColumn<QByteArray>("content");
    // The names the export leaves out, as repairlog reg names them; empty: nothing left out.
    QTest::addColumn<QStringList>("leftOut");
    const QString run = "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]";
    const QHash<QString, QStringList> leftOut
            = { { "key name with a line break and the Run key's header",
                  { '[' + userRoot + "\\x<U+000D><U+000A>" + run + ']' } },
                { "key name with a line break and a header that deletes",
                  { '[' + userRoot + "\\x<U+000A>[-HKEY_CURRENT_USER\\Software\\Wine]]" } },
                { "value name with a line break and a value",
                  { '[' + userRoot + "] \"Pfad<U+000D><U+000A>" + run
                    + "<U+000D><U+000A>\"updater\"=\"evil\"\"" } } };
    for (const HostileLogs::AttackerLog &log : HostileLogs::attackerLogs()) {
        if (!log.name.startsWith("eight") && !log.name.startsWith("value 10000"))
            QTest::newRow(qPrintable(log.name)) << log.content << leftOut.value(log.name);
    }
    // Lines that open to nearly a line's ceiling, each a read block of the viewer apart: together
    // they pass what a whole log can hold.
    const int most = 15 << 19;
    const QByteArray block
            = HostileLogs::sealedPlain(HostileLogs::longValueLine(300 * 1024)) + '\n';
    QByteArray spread = sealedLog(HostileLogs::userOpening());
    for (int i = 0; i < 9; ++i)
        spread += HostileLogs::compressedLine(HostileLogs::longValueLine(0), most, most) + '\n'
                + block;
    QTest::newRow("lines of 7.5 MiB passing the ceiling together")
            << spread + sealedLog(HostileLogs::machineTree()) << QStringList();
    QTest::newRow("prefix claiming 4 GiB of a short line")
            << (sealedLog(HostileLogs::userOpening())
                + HostileLogs::compressedLine(HostileLogs::longValueLine(0), 100, 0xffffffffu)
                + '\n' + sealedLog(HostileLogs::machineTree()))
            << QStringList();
    QTest::newRow("names with a right-to-left override and a zero-width space")
            << sealedLog(HostileLogs::namedKeyLines("Serien\u202enummer", "Pfad\u200b"))
            << QStringList();
    QTest::newRow("key name with a line separator")
            << sealedLog(HostileLogs::namedKeyLines("Name\u2028Zeile", "Pfad"))
            << QStringList{ '[' + userRoot + "\\Name<U+2028>Zeile]" };
}

// Whatever a forged log holds, the viewer opens it as repairlog reads it: the same findings and
// tree, every name's format characters shown by code, and the export's file and left-out names
// those of repairlog reg.
void TestLogViewer::opensForgedLog()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, leftOut);
    const QString name = QStringLiteral("forged %1").arg(QTest::currentDataTag());
    QVERIFY(writeFile(logPath(name), content));
    QStringList said = linesOf(runReader({ "check", logPath(name) }).output);
    const auto window = windowOn(name);
    QVERIFY(window);
    said.removeLast();
    QCOMPARE(findingsOf(window.get()), said);
    // The model holds names as the log does; repairlog tree shows them by code.
    QCOMPARE(describeRows(treeOf(window.get()),
                          [](const QModelIndex &row) { return visibleText(treeEntry(row)); }),
             linesOf(runReader({ "tree", logPath(name) }).output));
    // Cells show names by code, and no text longer than a window can lay out in a moment.
    const auto hidden = [](const QAbstractItemModel *model, int textColumn) {
        return describeRows(model, [textColumn](const QModelIndex &row) {
            const QString name = row.data().toString();
            return name.contains(QRegularExpression("[\\p{Cf}\\p{Zl}]"))
                            || row.sibling(row.row(), textColumn).data().toString().size() > 5000
                    ? QStringLiteral("row %1: %2").arg(row.row()).arg(name)
                    : QString();
        });
    };
    QCOMPARE(hidden(treeOf(window.get()), LogTreeModel::TextColumn), QStringList());
    QCOMPARE(hidden(window->findChild<QTableView *>("linesView")->model(),
                    LogLinesModel::TextColumn),
             QStringList());

    const QString written = dir.filePath(name + " repairlog.reg");
    QCOMPARE(linesOf(runReader({ "reg", logPath(name), "-o", written }).errors)
                     .filter("repairlog: left out")
                     .replaceInStrings(QRegularExpression("^.*: "), QString()),
             leftOut);
    const QString exported = dir.filePath(name + " viewer.reg");
    ModalAnswerer answerer;
    if (!leftOut.isEmpty())
        answerer.pressButton(QMessageBox::Ok);
    QVERIFY(window->exportRegFile(exported));
    QVERIFY(leftOut.isEmpty() ? answerer.seenBoxes().isEmpty()
                              : onlyBoxSays(answerer, QMessageBox::Warning, "Left out of "));
    if (!leftOut.isEmpty())
        QCOMPARE(answerer.seenBoxes().last().text.split('\n').mid(2), leftOut);
    const QStringList lines = regText(readFile(exported)).split("\r\n");
    if (!said.isEmpty())
        QVERIFY(lines.value(1).startsWith("; " + QDir::toNativeSeparators(logPath(name))
                                          + " is damaged or incomplete: "));
    QCOMPARE(lines, regLinesWith(written, lines.value(1), said));
}

void TestLogViewer::walksRegistryDepth_data()
{
    QTest::addColumn<QString>("typed");
    // Too many rows to open whole: expanded by the keyboard.
    QTest::newRow("whole tree, expanded by *") << QString();
    QTest::newRow("filtered by the value's name") << "Tief";
    QTest::newRow("filtered by a path's part") << "\\k\\k\\k\\Tief";
}

// A value at the registry's full depth opens, shows expanded down to it and is found by the filter.
void TestLogViewer::walksRegistryDepth()
{
    QFETCH(QString, typed);
    QVERIFY(writeFile(logPath("deepest"), sealedLog(HostileLogs::deepValueLog(512))));
    const auto window = windowOn("deepest");
    QVERIFY(window);
    QVERIFY(window->findChild<QLabel *>("verdictLabel")->text().endsWith("intact and complete"));
    auto *tree = window->findChild<QTreeView *>("registryTree");
    const QAbstractItemModel *shown = tree->model();
    if (typed.isEmpty()) {
        tree->setCurrentIndex(shown->index(0, 0));
        QTest::keyClick(tree, Qt::Key_Asterisk);
    }
    QTest::keyClicks(window->findChild<QLineEdit *>("filterEdit"), typed);
    const auto deepest = [shown] {
        return shown->match(shown->index(0, 0), LogTreeModel::ValueNameRole, "Tief", -1,
                            Qt::MatchExactly | Qt::MatchRecursive);
    };
    // Once filtered, the tree opens whole.
    QTRY_VERIFY(deepest().size() == 1 && tree->isExpanded(deepest().first().parent()));
    const QModelIndexList found = deepest();
    QCOMPARE(found.first().data(LogTreeModel::KeyPathRole).toString().count('\\'), 512);
    int levels = 0;
    for (QModelIndex key = found.first().parent(); key.isValid(); key = key.parent(), ++levels)
        QVERIFY(tree->isExpanded(key));
    QCOMPARE(levels, 511);
    tree->scrollTo(found.first());
    QVERIFY(tree->viewport()->rect().intersects(tree->visualRect(found.first())));
}

QTEST_MAIN(TestLogViewer)
#include "tst_logviewer.moc"
