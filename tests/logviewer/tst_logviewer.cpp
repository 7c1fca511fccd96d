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
#include <QGuiApplication>
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

const QString userRoot = QStringLiteral("HKEY_CURRENT_USER\\Software\\Kormand");
const QString machineRoot = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand");

// Both trees, values up to three levels deep, a default value among them.
void seedTrees()
{
    const QVector<QPair<QString, QVariant>> user = {
        { QStringLiteral("Start"), QStringLiteral("1") },
        { QStringLiteral("Player/Volume"), QStringLiteral("80") },
        { QStringLiteral("Player/Decks/Count"), 4 },
        { QStringLiteral("Player/Decks/Name"), QStringLiteral("Links") },
        { QStringLiteral("Updater/."), QStringLiteral("an") },
        { QStringLiteral("Updater/Letzte"), QStringLiteral("2026-11-30") },
    };
    seedRegistryValues(userRoot, user);
    seedRegistryValues(
            machineRoot,
            { { QStringLiteral("Studio/Lizenz"), QStringLiteral("Profi") },
              { QStringLiteral("Studio/Module/Audio/Treiber"), QStringLiteral("ASIO") } });
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
        const QString described = describe(index);
        if (!described.isEmpty())
            rows.append(described);
        rows += describeRows(model, describe, index);
    }
    return rows;
}

QStringList pathsOf(const QAbstractItemModel *model)
{
    return describeRows(model, [](const QModelIndex &row) {
        return row.data(LogTreeModel::PathRole).toString();
    });
}

QString quoted(const QModelIndex &value)
{
    const QString name = value.data(LogTreeModel::ValueNameRole).toString();
    return name.isEmpty() ? QStringLiteral("@") : QLatin1Char('"') + name + QLatin1Char('"');
}

QString textOf(const QModelIndex &value)
{
    return value.sibling(value.row(), LogTreeModel::TextColumn).data().toString();
}

// A key row and its values as repairlog's tree writes them; nothing for a value row.
QString treeEntry(const QModelIndex &key)
{
    const int kind = key.data(LogTreeModel::KindRole).toInt();
    const QString path = key.data(LogTreeModel::KeyPathRole).toString();
    if (kind == LogTreeModel::ValueRow)
        return QString();
    if (kind == LogTreeModel::UnnamedKeyRow)
        return QStringLiteral("; [%1]: an empty key whose name the log does not hold (line %2)\n\n")
                .arg(path)
                .arg(key.data(LogTreeModel::LineRole).toInt());
    QString entry = QLatin1Char('[') + path + QStringLiteral("]\n");
    for (int row = 0; row < key.model()->rowCount(key); ++row) {
        const QModelIndex value = key.model()->index(row, 0, key);
        if (value.data(LogTreeModel::KindRole).toInt() != LogTreeModel::ValueRow)
            continue;
        entry += quoted(value) + QStringLiteral("=\"") + textOf(value) + QLatin1Char('"');
        const QStringList notes = value.data(LogTreeModel::NotesRole).toStringList();
        if (!notes.isEmpty())
            entry += QStringLiteral(" ; ") + notes.join(QStringLiteral("; "));
        entry += QLatin1Char('\n');
    }
    return entry + QLatin1Char('\n');
}

// The one box the window showed, as "icon: text".
QString onlyBox(const ModalAnswerer &answerer)
{
    if (answerer.seenBoxes().size() != 1)
        return QStringLiteral("%1 boxes").arg(answerer.seenBoxes().size());
    const ModalAnswerer::SeenBox &box = answerer.seenBoxes().first();
    const QString icon = box.icon == QMessageBox::Critical ? QStringLiteral("critical")
            : box.icon == QMessageBox::Warning             ? QStringLiteral("warning")
                                                           : QStringLiteral("other");
    return icon + QStringLiteral(": ") + box.text;
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
    auto *menu = window->findChild<QMenu *>(QStringLiteral("recentMenu"));
    menu->popup(QPoint());
    QStringList logs;
    for (const QAction *action : menu->actions()) {
        if (!action->data().isNull())
            logs.append(action->data().toString());
    }
    menu->hide();
    return logs;
}

QString hueName(const QColor &color)
{
    const int hue = color.hue();
    if (hue >= 80 && hue <= 160)
        return QStringLiteral("green");
    if (hue >= 30 && hue <= 60)
        return QStringLiteral("amber");
    if (hue >= 0 && (hue <= 10 || hue >= 350))
        return QStringLiteral("red");
    return QStringLiteral("hue %1").arg(hue);
}

} // namespace

class TestLogViewer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void showsVerdict_data();
    void showsVerdict();
    void treeRowsAreRepairlogTree_data();
    void treeRowsAreRepairlogTree();
    void filterKeepsMatchingRows_data();
    void filterKeepsMatchingRows();
    void comparisonMarksDiff_data();
    void comparisonMarksDiff();
    void exportIsRepairlogReg_data();
    void exportIsRepairlogReg();
    void opensLog_data();
    void opensLog();
    void newerOpeningWins();
    void copiesPath_data();
    void copiesPath();

private:
    QString logPath(const QString &name) const;
    std::unique_ptr<LogViewerWindow> windowOn(const QString &name);

    QTemporaryDir dir;
    QStringList dumped;
};

void TestLogViewer::initTestCase()
{
    QVERIFY(dir.isValid());
    dumped = dumpOf(seedTrees);
    const QStringList later = dumpOf([] {
        seedTrees();
        removeRegistryTree(machineRoot + QStringLiteral("\\Studio\\Module"));
        seedRegistryValue(userRoot, QStringLiteral("Player/Volume"), QStringLiteral("90"));
        seedRegistryValue(userRoot, QStringLiteral("Updater/Kanal"), QStringLiteral("beta"));
        seedRegistryValue(machineRoot, QStringLiteral("Plugins/Hall"), QStringLiteral("an"));
    });
    QVERIFY(later.size() > 3 && later != dumped);
    const QStringList emptyKeys = dumpOf([] {
        seedTrees();
        seedRegistryKey(userRoot + QStringLiteral("\\Cache"));
        seedRegistryKey(userRoot + QStringLiteral("\\Player\\Leer"));
    });

    const QList<QByteArray> sealed = sealedLog(dumped).split('\n').mid(0, dumped.size());
    const auto joined = [](const QList<QByteArray> &lines) { return lines.join('\n') + '\n'; };
    // A value listed once, at a tree's top, and one of a value listed three times.
    const int start = dumped.indexOf(QStringLiteral("[%1] + [Start]: 1").arg(userRoot));
    const int volume = dumped.indexOf(QStringLiteral("[%1] + [Player/Volume]: 80").arg(userRoot));
    const int volumeCopy
            = dumped.indexOf(QStringLiteral("[%1\\Player] + [Volume]: 80").arg(userRoot));
    QVERIFY(start > 0 && volume > 0 && volumeCopy > volume);
    QList<QByteArray> lost = sealed, restored = sealed, gap = sealed, swapped = sealed;
    lost[start] = damagedSealedLine(lost.at(start));
    restored[volume] = damagedSealedLine(restored.at(volume));
    gap.removeAt(volumeCopy);
    std::swap(swapped[3], swapped[4]);

    const QList<QPair<QString, QByteArray>> logs = {
        { QStringLiteral("intact"), sealedLog(dumped) },
        { QStringLiteral("later"), sealedLog(later) },
        { QStringLiteral("empty keys"), sealedLog(emptyKeys) },
        { QStringLiteral("cut"), joined(sealed.mid(0, 12)) },
        { QStringLiteral("lost"), joined(lost) },
        { QStringLiteral("restored"), joined(restored) },
        { QStringLiteral("gap"), joined(gap) },
        { QStringLiteral("swapped"), joined(swapped) },
        { QStringLiteral("no log"), QByteArray() },
    };
    for (const auto &log : logs)
        QVERIFY(writeFile(logPath(log.first), log.second));
}

QString TestLogViewer::logPath(const QString &name) const
{
    return dir.filePath(name + QStringLiteral(".kormand_repair"));
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

void TestLogViewer::showsVerdict_data()
{
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("colour");
    // %1 and %2: the lines read and expected, as repairlog check counts them.
    QTest::addColumn<QString>("verdict");
    // The line each finding leads to.
    QTest::addColumn<QList<int>>("targets");

    const QString lost = QStringLiteral("%1 lines read, %2 expected: damaged or incomplete");
    const QString kept
            = QStringLiteral("%1 lines read, %2 expected: damaged, but every value is there");
    const int start = dumped.indexOf(QStringLiteral("[%1] + [Start]: 1").arg(userRoot)) + 1;
    const int volume
            = dumped.indexOf(QStringLiteral("[%1] + [Player/Volume]: 80").arg(userRoot)) + 1;
    const int copy
            = dumped.indexOf(QStringLiteral("[%1\\Player] + [Volume]: 80").arg(userRoot)) + 1;
    QTest::newRow("intact") << "intact"
                            << "green"
                            << "%1 lines, intact and complete" << QList<int>();
    QTest::newRow("cut") << "cut"
                         << "red" << lost << QList<int>{ 12 };
    QTest::newRow("damaged, no copy") << "lost"
                                      << "red" << lost << QList<int>{ start };
    QTest::newRow("line missing") << "gap"
                                  << "red" << lost << QList<int>{ copy - 1 };
    QTest::newRow("damaged, restored") << "restored"
                                       << "amber" << kept << QList<int>{ volume };
    QTest::newRow("swapped") << "swapped"
                             << "amber" << kept << QList<int>{ 4 };
    QTest::newRow("no log") << "no log"
                            << "red"
                            << "Not a support log: the file is empty" << QList<int>();
}

void TestLogViewer::showsVerdict()
{
    QFETCH(QString, log);
    QFETCH(QString, colour);
    QFETCH(QString, verdict);
    QFETCH(QList<int>, targets);

    const ReaderRun check = runReader({ QStringLiteral("check"), logPath(log) });
    QStringList said = linesOf(check.output);
    QVERIFY(!said.isEmpty());
    const QString summary = said.takeLast();
    const QRegularExpressionMatch counts
            = QRegularExpression(QStringLiteral("^(\\d+) lines(?: read, (\\d+) expected)?"))
                      .match(summary);
    if (counts.hasMatch())
        verdict = verdict.arg(counts.captured(1), counts.captured(2));

    const auto window = windowOn(log);
    QVERIFY(window);
    const auto *label = window->findChild<QLabel *>(QStringLiteral("verdictLabel"));
    QCOMPARE(label->text(), verdict);
    QCOMPARE(hueName(label->palette().color(QPalette::Window)), colour);

    auto *findings = window->findChild<QListWidget *>(QStringLiteral("findingsList"));
    QStringList listed;
    for (int i = 0; i < findings->count(); ++i)
        listed.append(findings->item(i)->text());
    QCOMPARE(listed, said);
    QCOMPARE(findings->isVisible(), !said.isEmpty());
    QCOMPARE(findings->count(), targets.size());
    auto *tabs = window->findChild<QTabWidget *>(QStringLiteral("tabs"));
    auto *lines = window->findChild<QTableView *>(QStringLiteral("linesView"));
    for (int i = 0; i < targets.size(); ++i) {
        tabs->setCurrentIndex(0);
        QListWidgetItem *item = findings->item(i);
        QTest::mouseClick(findings->viewport(), Qt::LeftButton, {},
                          findings->visualItemRect(item).center());
        QCOMPARE(tabs->currentWidget(), lines);
        QCOMPARE(lines->currentIndex().data().toInt(), targets.at(i));
    }
}

void TestLogViewer::treeRowsAreRepairlogTree_data()
{
    QTest::addColumn<QString>("log");
    // Values marked, by their path: restored or doubtful.
    QTest::addColumn<QStringList>("marked");

    const QString volume = userRoot + QStringLiteral("\\Player\\Volume");
    QTest::newRow("intact") << "intact" << QStringList();
    QTest::newRow("empty keys") << "empty keys" << QStringList();
    QTest::newRow("cut") << "cut" << QStringList();
    QTest::newRow("damaged, no copy") << "lost" << QStringList();
    QTest::newRow("damaged, restored") << "restored" << QStringList(volume + "=restored");
    QTest::newRow("line missing") << "gap" << QStringList(volume + "=doubtful");
}

void TestLogViewer::treeRowsAreRepairlogTree()
{
    QFETCH(QString, log);
    QFETCH(QStringList, marked);

    const auto window = windowOn(log);
    QVERIFY(window);
    const QAbstractItemModel *model
            = window->findChild<QTreeView *>(QStringLiteral("registryTree"))->model();
    QCOMPARE(describeRows(model, treeEntry).join(QString()),
             runReader({ QStringLiteral("tree"), logPath(log) }).output);

    const QStringList marks = describeRows(model, [](const QModelIndex &value) {
        const int mark = value.data(LogTreeModel::MarkRole).toInt();
        if (mark == LogTreeModel::NoMark)
            return QString();
        // The mark shows as an icon, the notes as its tool tip.
        const QString tip = value.data(Qt::ToolTipRole).toString();
        return value.data(LogTreeModel::PathRole).toString()
                + (mark == LogTreeModel::RestoredMark ? QStringLiteral("=restored")
                                                      : QStringLiteral("=doubtful"))
                + (value.data(Qt::DecorationRole).isNull() ? QStringLiteral(" without icon")
                                                           : QString())
                + (tip == value.data(LogTreeModel::NotesRole).toStringList().join(QLatin1Char('\n'))
                           ? QString()
                           : QStringLiteral(" with tool tip ") + tip);
    });
    QCOMPARE(marks, marked);
}

void TestLogViewer::filterKeepsMatchingRows_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("kept");

    const QString player = userRoot + QStringLiteral("\\Player");
    const QString module = machineRoot + QStringLiteral("\\Studio\\Module");
    QTest::newRow("key name, other case")
            << "DECKS" << QStringList{ userRoot, player, player + "\\Decks" };
    QTest::newRow("value text") << "links"
                                << QStringList{ userRoot, player, player + "\\Decks",
                                                player + "\\Decks\\Name" };
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

    const auto window = windowOn(QStringLiteral("intact"));
    QVERIFY(window);
    const QAbstractItemModel *filtered
            = window->findChild<QTreeView *>(QStringLiteral("registryTree"))->model();
    const QStringList all = pathsOf(filtered);
    QCOMPARE(all.size(), 16);
    auto *edit = window->findChild<QLineEdit *>(QStringLiteral("filterEdit"));
    QTest::keyClicks(edit, typed);
    QTRY_COMPARE(pathsOf(filtered), kept);
    edit->clear();
    QTRY_COMPARE(pathsOf(filtered), all);
}

void TestLogViewer::comparisonMarksDiff_data()
{
    QTest::addColumn<QString>("earlier");
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("counts");

    QTest::newRow("later log") << "intact"
                               << "later"
                               << "2 added, 1 removed, 1 changed";
    QTest::newRow("earlier log") << "later"
                                 << "intact"
                                 << "1 added, 2 removed, 1 changed";
    QTest::newRow("same values") << "restored"
                                 << "intact"
                                 << "0 added, 0 removed, 0 changed";
}

void TestLogViewer::comparisonMarksDiff()
{
    QFETCH(QString, earlier);
    QFETCH(QString, log);
    QFETCH(QString, counts);

    const auto window = windowOn(log);
    QVERIFY(window);
    QSignalSpy compared(window.get(), &LogViewerWindow::comparisonShown);
    ModalAnswerer answerer;
    chooseDirectory(answerer, logPath(earlier));
    window->findChild<QAction *>(QStringLiteral("compareAction"))->trigger();
    QVERIFY(compared.wait(20000));

    QStringList marks = describeRows(
            window->findChild<QTreeView *>(QStringLiteral("registryTree"))->model(),
            [](const QModelIndex &value) {
                const QString name = QStringLiteral("[%1] %2=\"%3\"")
                                             .arg(value.data(LogTreeModel::KeyPathRole).toString(),
                                                  quoted(value), textOf(value));
                switch (value.data(LogTreeModel::ChangeRole).toInt()) {
                case LogTreeModel::Added:
                    return QStringLiteral("added   ") + name;
                case LogTreeModel::Removed:
                    return QStringLiteral("removed ") + name;
                case LogTreeModel::Changed:
                    return QStringLiteral("changed %1, was \"%2\"")
                            .arg(name, value.data(LogTreeModel::EarlierTextRole).toString());
                default:
                    return QString();
                }
            });
    QStringList diff
            = linesOf(runReader({ QStringLiteral("diff"), logPath(earlier), logPath(log) }).output);
    diff.removeAll(QStringLiteral("no values added, removed or changed"));
    // The tree lists them by key, repairlog by key path.
    marks.sort();
    diff.sort();
    QCOMPARE(marks, diff);
    QCOMPARE(window->findChild<QLabel *>(QStringLiteral("comparisonLabel"))->text(),
             QStringLiteral("Since %1.kormand_repair: %2").arg(earlier, counts));
}

void TestLogViewer::exportIsRepairlogReg_data()
{
    QTest::addColumn<QString>("log");
    QTest::newRow("intact") << "intact";
    QTest::newRow("damaged, restored") << "restored";
    QTest::newRow("empty keys") << "empty keys";
}

void TestLogViewer::exportIsRepairlogReg()
{
    QFETCH(QString, log);

    const QString exported = dir.filePath(log + QStringLiteral(" viewer.reg"));
    const QString written = dir.filePath(log + QStringLiteral(" repairlog.reg"));
    QVERIFY(runReader({ QStringLiteral("reg"), logPath(log), QStringLiteral("-o"), written })
                    .exitCode
            >= 0);
    const auto window = windowOn(log);
    QVERIFY(window);
    ModalAnswerer answerer;
    chooseDirectory(answerer, exported);
    window->findChild<QAction *>(QStringLiteral("exportAction"))->trigger();
    QCOMPARE(answerer.unexpected(), QStringList());
    QCOMPARE(answerer.pendingAnswers(), 0);
    const QByteArray bytes = readFile(exported);
    QVERIFY(!bytes.isEmpty());
    QCOMPARE(bytes, readFile(written));

    // Where nothing can be written, the window says so and keeps no part of the file.
    const QString nowhere = dir.filePath(QStringLiteral("no folder/kormand.reg"));
    answerer.pressButton(QMessageBox::Ok);
    QVERIFY(!window->exportRegFile(nowhere));
    const QString box = onlyBox(answerer);
    QVERIFY2(box.startsWith(QStringLiteral("critical: Cannot write %1")
                                    .arg(QDir::toNativeSeparators(nowhere))),
             qPrintable(box));
    QVERIFY(!QFile::exists(nowhere));
}

void TestLogViewer::opensLog_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("File, Open") << "dialog";
    QTest::newRow("dropped on the window") << "drop";
    QTest::newRow("File, Open Recent") << "recent";
}

void TestLogViewer::opensLog()
{
    QFETCH(QString, how);

    const auto window = windowOn(QStringLiteral("cut"));
    QVERIFY(window);
    const QString path = logPath(QStringLiteral("swapped"));
    QSignalSpy shown(window.get(), &LogViewerWindow::logShown);
    ModalAnswerer answerer;
    if (how == QLatin1String("dialog")) {
        chooseDirectory(answerer, path);
        window->findChild<QAction *>(QStringLiteral("openAction"))->trigger();
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
    } else {
        // Opened once before, by another window: the list outlives it.
        QVERIFY(windowOn(QStringLiteral("swapped")));
        QVERIFY(windowOn(QStringLiteral("cut")));
        const QStringList recent = recentLogs(window.get());
        QCOMPARE(recent.mid(0, 2), QStringList({ logPath(QStringLiteral("cut")), path }));
        window->findChild<QMenu *>(QStringLiteral("recentMenu"))->actions().at(1)->trigger();
    }
    QVERIFY(shown.wait(20000));
    QCOMPARE(window->windowTitle(),
             QStringLiteral("swapped.kormand_repair \u2013 Kormand Log Viewer"));
    QCOMPARE(window->findChild<QTableView *>(QStringLiteral("linesView"))->model()->rowCount(),
             dumped.size());
    QCOMPARE(answerer.unexpected(), QStringList());

    // A file that cannot be read leaves the log shown as it was, and the recent list.
    answerer.pressButton(QMessageBox::Ok);
    const QString missing = logPath(QStringLiteral("missing"));
    window->openLog(missing);
    QVERIFY(shown.wait(20000));
    const QString box = onlyBox(answerer);
    QVERIFY2(box.startsWith(QStringLiteral("warning: Cannot read %1:\n")
                                    .arg(QDir::toNativeSeparators(missing))),
             qPrintable(box));
    QVERIFY(window->windowTitle().startsWith(QLatin1String("swapped.")));
    QCOMPARE(recentLogs(window.get()).value(0), path);
}

void TestLogViewer::newerOpeningWins()
{
    const auto window = windowOn(QStringLiteral("intact"));
    QVERIFY(window);
    QSignalSpy shown(window.get(), &LogViewerWindow::logShown);
    window->openLog(logPath(QStringLiteral("gap")));
    window->openLog(logPath(QStringLiteral("cut")));
    QVERIFY(shown.wait(20000));
    // The first reading ends too, but what it read is never shown.
    QTest::qWait(500);
    QCOMPARE(shown.size(), 1);
    QVERIFY(window->windowTitle().startsWith(QLatin1String("cut.")));
    QCOMPARE(window->findChild<QTableView *>(QStringLiteral("linesView"))->model()->rowCount(), 12);
}

void TestLogViewer::copiesPath_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("copied");
    QTest::newRow("key") << "Player" << userRoot + "\\Player";
    QTest::newRow("value") << "Volume" << userRoot + "\\Player\\Volume";
    QTest::newRow("default value") << "(Default)" << userRoot + "\\Updater\\(Default)";
}

void TestLogViewer::copiesPath()
{
    QFETCH(QString, row);
    QFETCH(QString, copied);

    const auto window = windowOn(QStringLiteral("intact"));
    QVERIFY(window);
    auto *tree = window->findChild<QTreeView *>(QStringLiteral("registryTree"));
    const QModelIndexList found
            = tree->model()->match(tree->model()->index(0, 0), Qt::DisplayRole, row, 1,
                                   Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(found.size(), 1);
    tree->setCurrentIndex(found.first());
    QGuiApplication::clipboard()->clear();
    window->findChild<QAction *>(QStringLiteral("copyPathAction"))->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);
}

QTEST_MAIN(TestLogViewer)
#include "tst_logviewer.moc"
