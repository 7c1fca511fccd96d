#include "logviewer/logviewerwindow.h"

#include "logviewer/logfiltermodel.h"
#include "logviewer/loglinesmodel.h"
#include "logviewer/logloader.h"
#include "logviewer/logtreemodel.h"
#include "repairlog/logtreeformat.h"
#include "repairlog/visibletext.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QSaveFile>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>
#include <QtEndian>

namespace {

const QString title = QStringLiteral("Kormand Log Viewer");
const QString logFilter = QStringLiteral("Support logs (*.kormand_repair);;All files (*)");
const int recentCount = 10;
// A little after the last key pressed, so that typing does not filter at every letter.
const int filterDelayMs = 150;
const int wholeTreeRows = 500;
const int mostFindingRows = 6;
// The box after an export names at most this many keys and values left out, each cut to this
// many characters.
const int mostLeftOutNames = 20;
const int longestLeftOutName = 300;

// The viewer's settings: not below the maker's key, which the RepairTool empties and logs.
QSettings viewerSettings()
{
    return QSettings(QStringLiteral("KormandSupport"), QStringLiteral("KormandLogViewer"));
}

struct VerdictColors
{
    QColor background;
    QColor text;
};

VerdictColors colorsOf(LogVerdict::Severity severity)
{
    switch (severity) {
    case LogVerdict::Intact:
        return { QColor(0x2e, 0x7d, 0x32), Qt::white };
    case LogVerdict::Restored:
        return { QColor(0xf2, 0xa9, 0x00), Qt::black };
    case LogVerdict::Damaged:
        break;
    }
    return { QColor(0xc6, 0x28, 0x28), Qt::white };
}

// A file as support tells two logs of one ticket apart: its name, its folder and its date.
QString describeFile(const QString &path)
{
    const QFileInfo file(path);
    return QStringLiteral("%1 in %2, %3")
            .arg(file.fileName(), file.absoluteDir().dirName(),
                 file.lastModified().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}

QString counted(int count, const QString &what, int uncertain)
{
    QString text = QStringLiteral("%1 %2").arg(count).arg(what);
    if (uncertain > 0)
        text += QStringLiteral(" (%1 of them uncertain)").arg(uncertain);
    return text;
}

// What a mark or status colour is called in the legend, and what it means in its tool tip.
template<typename Kind>
struct LegendEntry
{
    Kind what;
    QString word;
    QString meaning;
};

// Text as UTF-16LE, the encoding of a Registry Editor file.
QByteArray utf16le(const QString &text)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    for (int i = 0; i < text.size(); ++i)
        qToLittleEndian<quint16>(text.at(i).unicode(), bytes.data() + 2 * i);
    return bytes;
}

} // namespace

LogViewerWindow::LogViewerWindow(QWidget *parent)
    : QMainWindow(parent)
    , loader(new LogLoader(this))
    , earlierLoader(new LogLoader(this))
    , treeModel(new LogTreeModel(this))
    , filterModel(new LogFilterModel(this))
    , linesModel(new LogLinesModel(this))
{
    setWindowTitle(title);
    setAcceptDrops(true);
    filterModel->setSourceModel(treeModel);

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    verdictLabel = new QLabel(
            QStringLiteral("Open a support log: File \u2192 Open, or drop it here."), central);
    verdictLabel->setObjectName(QStringLiteral("verdictLabel"));
    verdictLabel->setAutoFillBackground(true);
    verdictLabel->setMargin(6);
    verdictLabel->setWordWrap(true);
    verdictLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = verdictLabel->font();
    bold.setBold(true);
    verdictLabel->setFont(bold);
    layout->addWidget(verdictLabel);

    findingsList = new QListWidget(central);
    findingsList->setObjectName(QStringLiteral("findingsList"));
    findingsList->setToolTip(QStringLiteral("Click a finding to see its line and value"));
    findingsList->hide();
    connect(findingsList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { showFinding(findingsList->row(item)); });
    connect(findingsList, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *item) { showFinding(findingsList->row(item)); });
    layout->addWidget(findingsList);

    tabs = new QTabWidget(central);
    tabs->setObjectName(QStringLiteral("tabs"));
    tabs->addTab(buildRegistryTab(), QStringLiteral("&Registry"));
    tabs->addTab(buildLinesTab(), QStringLiteral("&Lines"));
    layout->addWidget(tabs, 1);
    setCentralWidget(central);

    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setRange(0, 1000);
    progressBar->setMaximumWidth(200);
    progressBar->hide();
    statusBar()->addPermanentWidget(progressBar);

    buildMenus();
    connect(loader, &LogLoader::progressed, this, &LogViewerWindow::showProgress);
    connect(earlierLoader, &LogLoader::progressed, this, &LogViewerWindow::showProgress);
    connect(loader, &LogLoader::loaded, this, &LogViewerWindow::showLog);
    connect(earlierLoader, &LogLoader::loaded, this, &LogViewerWindow::showComparison);
    filterTimer.setSingleShot(true);
    filterTimer.setInterval(filterDelayMs);
    connect(&filterTimer, &QTimer::timeout, this, &LogViewerWindow::applyFilter);
    fitToScreen();
}

void LogViewerWindow::fitToScreen()
{
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    // Room for the frame and title bar, which the window does not have yet.
    const QRect available = screen->availableGeometry().adjusted(0, 0, -16, -48);
    resize(QSize(1000, 700).boundedTo(available.size()));
    move(available.center() - rect().center());
}

LogViewerWindow::~LogViewerWindow()
{
    // The lines model points into the log, which goes before the window's children do.
    linesModel->setLog(nullptr);
}

void LogViewerWindow::buildMenus()
{
    const auto named = [](QAction *action, const char *name) {
        action->setObjectName(QLatin1String(name));
        return action;
    };
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    named(file->addAction(QStringLiteral("&Open\u2026"), this, &LogViewerWindow::chooseLog,
                          QKeySequence::Open),
          "openAction");
    recentMenu = file->addMenu(QStringLiteral("Open &Recent"));
    recentMenu->setObjectName(QStringLiteral("recentMenu"));
    // Filled as it opens: another window may have opened a log since.
    connect(recentMenu, &QMenu::aboutToShow, this, &LogViewerWindow::fillRecentMenu);
    compareAction = named(file->addAction(QStringLiteral("&Compare with Earlier Log\u2026"), this,
                                          &LogViewerWindow::chooseEarlierLog,
                                          QKeySequence(Qt::CTRL + Qt::SHIFT + Qt::Key_O)),
                          "compareAction");
    exportAction = named(file->addAction(QStringLiteral("&Export as .reg File\u2026"), this,
                                         &LogViewerWindow::chooseExportFile,
                                         QKeySequence(Qt::CTRL + Qt::Key_E)),
                         "exportAction");
    file->addSeparator();
    file->addAction(QStringLiteral("&Quit"), this, &QWidget::close, QKeySequence::Quit);

    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    QAction *copyAction = named(edit->addAction(QStringLiteral("&Copy"), this,
                                                &LogViewerWindow::copy, QKeySequence::Copy),
                                "copyAction");
    QAction *copyValueAction = named(
            edit->addAction(QStringLiteral("Copy &Value"), this, &LogViewerWindow::copyValue,
                            QKeySequence(Qt::CTRL + Qt::SHIFT + Qt::Key_C)),
            "copyValueAction");
    QAction *copyPathAction
            = named(edit->addAction(QStringLiteral("Copy &Path"), this, &LogViewerWindow::copyPath,
                                    QKeySequence(Qt::CTRL + Qt::ALT + Qt::Key_C)),
                    "copyPathAction");
    QAction *copyLineAction
            = named(edit->addAction(QStringLiteral("Copy &Line"), this, &LogViewerWindow::copyLine,
                                    QKeySequence(Qt::CTRL + Qt::SHIFT + Qt::Key_L)),
                    "copyLineAction");
    edit->addSeparator();
    edit->addAction(
            QStringLiteral("&Find"), this,
            [this] {
                QLineEdit *edit = tabs->currentWidget() == linesView->parentWidget() ? linesSearch
                                                                                     : filterEdit;
                if (edit == filterEdit)
                    tabs->setCurrentIndex(0);
                edit->setFocus();
                edit->selectAll();
            },
            QKeySequence::Find);
    edit->addAction(QStringLiteral("Find &Next Line"), this, &LogViewerWindow::findInLines,
                    QKeySequence::FindNext);

    QMenu *go = menuBar()->addMenu(QStringLiteral("&Go"));
    QAction *nextAction = named(go->addAction(
                                        QStringLiteral("&Next Change or Problem"), this,
                                        [this] { showNextMark(false); }, Qt::Key_F8),
                                "nextMarkAction");
    QAction *previousAction = named(go->addAction(
                                            QStringLiteral("&Previous Change or Problem"), this,
                                            [this] { showNextMark(true); }, Qt::SHIFT + Qt::Key_F8),
                                    "previousMarkAction");
    go->addSeparator();
    QAction *showLineAction = named(go->addAction(
                                            QStringLiteral("Show &Line"), this,
                                            [this] {
                                                if (const int line = currentLine())
                                                    showLine(line);
                                            },
                                            QKeySequence(Qt::CTRL + Qt::Key_L)),
                                    "showLineAction");
    QAction *showInTreeAction = named(go->addAction(
                                              QStringLiteral("Show in &Tree"), this,
                                              [this] { showTreeRow(currentTreeRow()); },
                                              QKeySequence(Qt::CTRL + Qt::Key_T)),
                                      "showInTreeAction");
    go->addSeparator();
    QAction *nextTab = go->addAction(QStringLiteral("Next T&ab"), this, [this] {
        tabs->setCurrentIndex((tabs->currentIndex() + 1) % tabs->count());
    });
    nextTab->setShortcuts(QKeySequence::NextChild);
    QAction *previousTab = go->addAction(QStringLiteral("Previous Ta&b"), this, [this] {
        tabs->setCurrentIndex((tabs->currentIndex() + tabs->count() - 1) % tabs->count());
    });
    previousTab->setShortcuts(QKeySequence::PreviousChild);

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&About"), this, [this] {
        QMessageBox::about(
                this, title,
                QStringLiteral("<b>%1 %2</b><p>Reads the support logs (velto.kormand_repair) that "
                               "users of the Velto Studio RepairTool send, with the tool's own "
                               "key, and checks them as repairlog does.</p>")
                        .arg(title, QCoreApplication::applicationVersion()));
    });

    logActions
            = { compareAction,  exportAction, copyAction,     copyValueAction, copyPathAction,
                copyLineAction, nextAction,   previousAction, showLineAction,  showInTreeAction };
    for (QAction *action : qAsConst(logActions))
        action->setEnabled(false);
    treeView->addActions({ copyValueAction, copyPathAction, copyLineAction, showLineAction });
    linesView->addActions({ copyLineAction, copyValueAction, copyPathAction, showInTreeAction });
}

QWidget *LogViewerWindow::buildRegistryTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *row = new QHBoxLayout;
    filterEdit = new QLineEdit(page);
    filterEdit->setObjectName(QStringLiteral("filterEdit"));
    filterEdit->setPlaceholderText(
            QStringLiteral("Filter keys and values by path (as Copy Path writes it) or text"));
    filterEdit->setClearButtonEnabled(true);
    // A file dropped on the window opens, wherever it lands.
    filterEdit->setAcceptDrops(false);
    connect(filterEdit, &QLineEdit::textChanged, &filterTimer, QOverload<>::of(&QTimer::start));
    auto *clearFilter = new QAction(filterEdit);
    clearFilter->setShortcut(Qt::Key_Escape);
    clearFilter->setShortcutContext(Qt::WidgetShortcut);
    connect(clearFilter, &QAction::triggered, filterEdit, &QLineEdit::clear);
    filterEdit->addAction(clearFilter);
    row->addWidget(filterEdit, 1);
    statusFilter = new QComboBox(page);
    statusFilter->setObjectName(QStringLiteral("statusFilter"));
    statusFilter->addItem(QStringLiteral("All rows"), int(LogFilterModel::AnyStatus));
    statusFilter->addItem(QStringLiteral("Changes and problems"),
                          LogTreeModel::ChangeFlag | LogTreeModel::ProblemFlag);
    statusFilter->addItem(QStringLiteral("Changes"), int(LogTreeModel::ChangeFlag));
    statusFilter->addItem(QStringLiteral("Uncertain changes"), int(LogTreeModel::UncertainFlag));
    statusFilter->addItem(QStringLiteral("Problems"), int(LogTreeModel::ProblemFlag));
    connect(statusFilter, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &LogViewerWindow::applyFilter);
    row->addWidget(statusFilter);
    layout->addLayout(row);
    comparisonLabel = new QLabel(page);
    comparisonLabel->setObjectName(QStringLiteral("comparisonLabel"));
    comparisonLabel->setWordWrap(true);
    comparisonLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    comparisonLabel->hide();
    layout->addWidget(comparisonLabel);

    treeView = new QTreeView(page);
    treeView->setObjectName(QStringLiteral("registryTree"));
    treeView->setModel(filterModel);
    treeView->setUniformRowHeights(true);
    treeView->setAllColumnsShowFocus(true);
    treeView->setContextMenuPolicy(Qt::ActionsContextMenu);
    treeView->header()->setStretchLastSection(false);
    treeView->header()->resizeSection(LogTreeModel::NameColumn, 300);
    treeView->header()->setSectionResizeMode(LogTreeModel::TextColumn, QHeaderView::Stretch);
    treeView->header()->resizeSection(LogTreeModel::EarlierColumn, 150);
    treeView->header()->resizeSection(LogTreeModel::StatusColumn, 170);
    treeView->header()->resizeSection(LogTreeModel::LineColumn, 60);
    treeView->setColumnHidden(LogTreeModel::EarlierColumn, true);
    connect(treeView, &QTreeView::activated, this, [this](const QModelIndex &index) {
        if (const int line = index.data(LogTreeModel::LineRole).toInt())
            showLine(line);
    });
    layout->addWidget(treeView, 1);
    noMatchLabel = new QLabel(page);
    noMatchLabel->setWordWrap(true);
    noMatchLabel->setObjectName(QStringLiteral("noMatchLabel"));
    noMatchLabel->hide();
    layout->addWidget(noMatchLabel);
    layout->addWidget(buildLegend());
    return page;
}

QWidget *LogViewerWindow::buildLegend()
{
    auto *legend = new QWidget;
    legend->setObjectName(QStringLiteral("legend"));
    auto *layout = new QVBoxLayout(legend);
    layout->setContentsMargins(0, 0, 0, 0);
    // Two rows, so that the legend fits a small screen: the marks, then the status colours.
    auto *markRow = new QHBoxLayout;
    auto *statusRow = new QHBoxLayout;
    layout->addLayout(markRow);
    layout->addLayout(statusRow);
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize);
    // Short words on screen, what they mean in their tool tips.
    const LegendEntry<LogTreeModel::Mark> marks[] = {
        { LogTreeModel::RestoredMark, QStringLiteral("restored"),
          QStringLiteral("A damaged line of the value was restored from a copy") },
        { LogTreeModel::DoubtfulMark, QStringLiteral("doubtful"),
          QStringLiteral("Lines of the value are missing or differ from their copies") },
        { LogTreeModel::LackingMark, QStringLiteral("may lack values"),
          QStringLiteral("The log cannot vouch for this tree: lines are missing or cut off") },
    };
    for (const auto &mark : marks) {
        auto *icon = new QLabel(legend);
        icon->setPixmap(treeModel->markIcon(mark.what).pixmap(iconSize));
        icon->setToolTip(mark.meaning);
        markRow->addWidget(icon);
        auto *word = new QLabel(mark.word, legend);
        word->setToolTip(mark.meaning);
        markRow->addWidget(word);
    }
    markRow->addStretch(1);
    const LegendEntry<LogTreeModel::Change> changes[] = {
        { LogTreeModel::Added, QStringLiteral("added"),
          QStringLiteral("Added since the earlier log") },
        { LogTreeModel::Removed, QStringLiteral("removed"),
          QStringLiteral("Removed since the earlier log") },
        { LogTreeModel::Changed, QStringLiteral("changed"),
          QStringLiteral("Changed since the earlier log") },
        { LogTreeModel::Unchanged, QStringLiteral("uncertain"),
          QStringLiteral("A log cannot vouch for the change: the value may be among its lost "
                         "lines, or its lines are damaged") },
    };
    for (const auto &change : changes) {
        auto *swatch = new QLabel(change.word, legend);
        swatch->setToolTip(change.meaning);
        swatch->setAutoFillBackground(true);
        swatch->setMargin(2);
        QPalette palette = swatch->palette();
        palette.setColor(
                QPalette::Window,
                LogTreeModel::statusColor(change.what, change.what == LogTreeModel::Unchanged));
        swatch->setPalette(palette);
        statusRow->addWidget(swatch);
    }
    statusRow->addStretch(1);
    return legend;
}

QWidget *LogViewerWindow::buildLinesTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    linesSearch = new QLineEdit(page);
    linesSearch->setObjectName(QStringLiteral("linesSearch"));
    linesSearch->setPlaceholderText(QStringLiteral("Find a line (Enter, F3: the next one)"));
    linesSearch->setClearButtonEnabled(true);
    linesSearch->setAcceptDrops(false);
    connect(linesSearch, &QLineEdit::returnPressed, this, &LogViewerWindow::findInLines);
    layout->addWidget(linesSearch);

    linesView = new QTableView(page);
    linesView->setObjectName(QStringLiteral("linesView"));
    linesView->setModel(linesModel);
    linesView->verticalHeader()->hide();
    linesView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    linesView->verticalHeader()->setDefaultSectionSize(linesView->fontMetrics().height() + 4);
    linesView->horizontalHeader()->setStretchLastSection(true);
    linesView->setSelectionBehavior(QAbstractItemView::SelectRows);
    linesView->setSelectionMode(QAbstractItemView::SingleSelection);
    linesView->setWordWrap(false);
    linesView->setShowGrid(false);
    linesView->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(linesView, &QTableView::activated, this, [this] { showTreeRow(currentTreeRow()); });
    layout->addWidget(linesView, 1);
    return page;
}

void LogViewerWindow::openLog(const QString &path)
{
    earlierLoader->cancel();
    // Absolute, so that the recent list still finds it from elsewhere.
    loader->load(QFileInfo(path).absoluteFilePath());
    const QString reading = QStringLiteral("Reading %1\u2026").arg(QDir::toNativeSeparators(path));
    statusBar()->showMessage(reading);
    // Nothing of the log before stays on screen to be taken for this one's.
    this->reading = true;
    display();
    verdictLabel->setText(reading);
    showProgress(0);
}

void LogViewerWindow::compareWith(const QString &path)
{
    earlierLoader->load(path, log);
    statusBar()->showMessage(
            QStringLiteral("Reading %1\u2026").arg(QDir::toNativeSeparators(path)));
    showProgress(0);
}

void LogViewerWindow::showProgress(int thousandths)
{
    progressBar->setValue(thousandths);
    progressBar->setVisible(loader->isLoading() || earlierLoader->isLoading());
}

bool LogViewerWindow::reportReadError(const ViewerLog &read)
{
    statusBar()->clearMessage();
    showProgress(0);
    if (read.readError.isEmpty())
        return false;
    QMessageBox::warning(this, title,
                         QStringLiteral("Cannot read %1:\n%2")
                                 .arg(QDir::toNativeSeparators(read.path), read.readError));
    return true;
}

void LogViewerWindow::showLog(const std::shared_ptr<const ViewerLog> &read)
{
    reading = false;
    QStringList recent = recentFiles();
    recent.removeAll(read->path);
    if (reportReadError(*read)) {
        setRecentFiles(recent);
        // The log before shows again.
        display();
        emit logShown();
        return;
    }
    setRecentFiles(QStringList(read->path) + recent);
    // The models point into the log they show: let go of the old log only after them.
    earlier.reset();
    linesModel->setLog(nullptr);
    treeModel->setLog(nullptr);
    log = read;
    display();
    emit logShown();
}

void LogViewerWindow::display()
{
    const ViewerLog *shown = reading ? nullptr : log.get();
    linesModel->setLog(shown);
    refreshTree();
    for (QAction *action : qAsConst(logActions))
        action->setEnabled(shown && shown->notALog.isEmpty());
    if (!shown) {
        setWindowTitle(title);
        verdictLabel->setPalette(palette());
        verdictLabel->clear();
        findingsList->clear();
        findingsList->hide();
        return;
    }
    setWindowTitle(QStringLiteral("%1 \u2013 %2").arg(describeFile(shown->path), title));
    showVerdict();
    const int numberWidth = linesView->fontMetrics().horizontalAdvance(
            QString::number(shown->lines.size()) + QStringLiteral("00"));
    linesView->horizontalHeader()->resizeSection(LogLinesModel::LineColumn, numberWidth);
}

void LogViewerWindow::showComparison(const std::shared_ptr<const ViewerLog> &read)
{
    if (!reportReadError(*read)) {
        if (!read->notALog.isEmpty())
            QMessageBox::warning(this, title,
                                 QStringLiteral("%1 cannot be compared: %2")
                                         .arg(QDir::toNativeSeparators(read->path), read->notALog));
        else
            earlier = read;
        refreshTree();
    }
    emit comparisonShown();
}

void LogViewerWindow::showVerdict()
{
    const LogVerdict verdict = verdictOf(*log);
    const VerdictColors colors = colorsOf(verdict.severity);
    verdictLabel->setText(verdict.text);
    QPalette palette = verdictLabel->palette();
    palette.setColor(QPalette::Window, colors.background);
    palette.setColor(QPalette::WindowText, colors.text);
    verdictLabel->setPalette(palette);

    findingsList->clear();
    const QIcon lossIcon = style()->standardIcon(QStyle::SP_MessageBoxCritical);
    const QIcon otherIcon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (const LogFinding &finding : log->check.findings)
        new QListWidgetItem(finding.losesValues ? lossIcon : otherIcon, finding.text, findingsList);
    findingsList->setVisible(findingsList->count() > 0);
    const int rows = qMin(findingsList->count(), mostFindingRows);
    findingsList->setFixedHeight(rows * findingsList->sizeHintForRow(0)
                                 + 2 * findingsList->frameWidth());
}

void LogViewerWindow::refreshTree()
{
    const bool comparing = earlier && log && !reading;
    treeModel->setLog(reading ? nullptr : log.get(), comparing ? earlier.get() : nullptr);
    if (comparing) {
        const auto count = [this](LogTreeModel::Change change, const QString &what) {
            return counted(treeModel->changeCount(change), what,
                           treeModel->changeCount(change, true));
        };
        comparisonLabel->setText(
                QStringLiteral("Since %1 (%2): %3, %4, %5")
                        .arg(describeFile(earlier->path), verdictOf(*earlier).text,
                             count(LogTreeModel::Added, QStringLiteral("added")),
                             count(LogTreeModel::Removed, QStringLiteral("removed")),
                             count(LogTreeModel::Changed, QStringLiteral("changed"))));
    }
    comparisonLabel->setVisible(comparing);
    treeView->setColumnHidden(LogTreeModel::EarlierColumn, !comparing);
    applyFilter();
}

void LogViewerWindow::applyFilter()
{
    filterTimer.stop();
    filterModel->setPattern(filterEdit->text());
    filterModel->setStatus(statusFilter->currentData().toInt());
    // A small tree opens whole; a large one down to the keys below the roots, where its
    // values start to be many.
    if (filterModel->isFiltering() || treeModel->totalRows() <= wholeTreeRows)
        treeView->expandAll();
    else
        treeView->expandToDepth(1);
    const bool nothing = filterModel->isFiltering() && treeModel->totalRows() > 0
            && filterModel->rowCount() == 0;
    noMatchLabel->setText(
            filterModel->pattern().isEmpty()
                    ? QStringLiteral("No row has the status \u201c%1\u201d.")
                              .arg(statusFilter->currentText())
                    : QStringLiteral("Nothing matches \u201c%1\u201d%2. Esc "
                                     "clears the filter.")
                              .arg(filterModel->pattern(),
                                   filterModel->status() ? QStringLiteral(" among ")
                                                   + statusFilter->currentText().toLower()
                                                         : QString()));
    noMatchLabel->setVisible(nothing);
}

void LogViewerWindow::showLine(int line)
{
    const int row = linesModel->rowOfLine(line);
    tabs->setCurrentWidget(linesView->parentWidget());
    if (row < 0)
        return;
    const QModelIndex index = linesModel->index(row, 0);
    linesView->setCurrentIndex(index);
    linesView->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void LogViewerWindow::showFinding(int finding)
{
    const LogFinding &found = log->check.findings.at(finding);
    // The value the finding speaks of, or the tree it leaves without vouching for.
    QModelIndex row;
    for (auto note = log->check.valueNotes.cbegin(); note != log->check.valueNotes.cend(); ++note) {
        const QModelIndex value = treeModel->indexOfValue(note.key());
        if (note.value().contains(found.text) && (!row.isValid() || value < row))
            row = value;
    }
    for (int top = 0; !row.isValid() && top < treeModel->rowCount(); ++top) {
        const QModelIndex tree = treeModel->index(top, 0);
        if (tree.data(LogTreeModel::NotesRole).toStringList().contains(found.text))
            row = tree;
    }
    if (row.isValid())
        showTreeRow(row);
    tabs->setCurrentWidget(linesView->parentWidget());
    const QModelIndex index = linesModel->index(qMax(0, linesModel->rowOfFinding(finding)), 0);
    linesView->setCurrentIndex(index);
    linesView->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void LogViewerWindow::showTreeRow(const QModelIndex &sourceIndex)
{
    if (!sourceIndex.isValid()) {
        statusBar()->showMessage(QStringLiteral("The line stands for no row of the trees"), 5000);
        return;
    }
    QModelIndex index = filterModel->mapFromSource(sourceIndex);
    if (!index.isValid()) {
        // Hidden by the filter: the whole tree shows it.
        filterEdit->clear();
        statusFilter->setCurrentIndex(0);
        applyFilter();
        index = filterModel->mapFromSource(sourceIndex);
    }
    tabs->setCurrentIndex(0);
    treeView->setCurrentIndex(index);
    treeView->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

QModelIndex LogViewerWindow::currentTreeRow() const
{
    if (tabs->currentIndex() == 0)
        return filterModel->mapToSource(treeView->currentIndex());
    return treeModel->indexOfLine(
            linesView->currentIndex().data(LogLinesModel::LineNumberRole).toInt());
}

int LogViewerWindow::currentLine() const
{
    if (tabs->currentIndex() == 0)
        return treeView->currentIndex().data(LogTreeModel::LineRole).toInt();
    return linesView->currentIndex().data(LogLinesModel::LineNumberRole).toInt();
}

void LogViewerWindow::showNextMark(bool backwards)
{
    tabs->setCurrentIndex(0);
    QModelIndex at = filterModel->mapToSource(treeView->currentIndex());
    do {
        at = treeModel->nextFlagged(at, LogTreeModel::ChangeFlag | LogTreeModel::ProblemFlag,
                                    backwards);
    } while (at.isValid() && !filterModel->mapFromSource(at).isValid());
    if (!at.isValid()) {
        statusBar()->showMessage(backwards ? QStringLiteral("No change or problem before this row")
                                           : QStringLiteral("No change or problem after this row"),
                                 5000);
        return;
    }
    showTreeRow(at);
}

void LogViewerWindow::findInLines()
{
    const QString wanted = linesSearch->text();
    const int rows = linesModel->rowCount();
    if (wanted.isEmpty() || rows == 0)
        return;
    const int from = linesView->currentIndex().row();
    for (int step = 1; step <= rows; ++step) {
        const QModelIndex index
                = linesModel->index((from + step) % rows, LogLinesModel::TextColumn);
        if (index.data().toString().contains(wanted, Qt::CaseInsensitive)) {
            tabs->setCurrentWidget(linesView->parentWidget());
            linesView->setCurrentIndex(index.sibling(index.row(), 0));
            linesView->scrollTo(index, QAbstractItemView::PositionAtCenter);
            return;
        }
    }
    statusBar()->showMessage(QStringLiteral("No line holds \u201c%1\u201d").arg(wanted), 5000);
}

void LogViewerWindow::chooseLog()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open Support Log"),
                                                      QString(), logFilter);
    if (!path.isEmpty())
        openLog(path);
}

void LogViewerWindow::chooseEarlierLog()
{
    const QString path
            = QFileDialog::getOpenFileName(this, QStringLiteral("Compare with Earlier Log"),
                                           QFileInfo(log->path).absolutePath(), logFilter);
    if (!path.isEmpty())
        compareWith(path);
}

void LogViewerWindow::chooseExportFile()
{
    if (!log->check.intactAndComplete()
        && QMessageBox::question(
                   this, title,
                   QStringLiteral("%1 is damaged or incomplete (%2).\n\nThe .reg file will hold "
                                  "only what the log holds, and say so in its first lines. "
                                  "Export anyway?")
                           .arg(QFileInfo(log->path).fileName(), verdictOf(*log).text),
                   QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
                != QMessageBox::Yes)
        return;
    const QFileInfo shown(log->path);
    const QString path = QFileDialog::getSaveFileName(
            this, QStringLiteral("Export as .reg File"),
            shown.absoluteDir().filePath(shown.completeBaseName() + QStringLiteral(".reg")),
            QStringLiteral("Registry files (*.reg)"));
    if (!path.isEmpty())
        exportRegFile(path);
}

bool LogViewerWindow::exportRegFile(const QString &path)
{
    QStringList leftOut;
    QByteArray content = logTreesToRegFile(log->trees, QString(), &leftOut);
    if (content.isEmpty()) {
        QMessageBox::critical(this, title,
                              QStringLiteral("%1 was not written: the .reg file does not read "
                                             "back as the keys and values of the log's trees.")
                                      .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    if (!log->check.intactAndComplete()) {
        // Comment lines after the header line say what the file may lack.
        QString comment = QStringLiteral("; %1 is damaged or incomplete: %2\r\n")
                                  .arg(visibleText(QDir::toNativeSeparators(log->path)),
                                       verdictOf(*log).text);
        for (const LogFinding &finding : log->check.findings)
            comment += QStringLiteral("; ") + visibleText(finding.text) + QStringLiteral("\r\n");
        const QByteArray lineEnd = utf16le(QStringLiteral("\r\n"));
        for (int at = content.indexOf(lineEnd); at >= 0; at = content.indexOf(lineEnd, at + 1)) {
            if (at % 2 == 0) {
                content.insert(at + lineEnd.size(), utf16le(comment));
                break;
            }
        }
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()
        || !file.commit()) {
        QMessageBox::critical(this, title,
                              QStringLiteral("Cannot write %1:\n%2")
                                      .arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    statusBar()->showMessage(QStringLiteral("Exported to %1").arg(QDir::toNativeSeparators(path)));
    if (leftOut.isEmpty())
        return true;
    // A forged log may leave out thousands, and names of thousands of characters.
    QStringList named;
    for (const QString &name : leftOut.mid(0, mostLeftOutNames))
        named.append(name.size() > longestLeftOutName
                             ? name.left(longestLeftOutName) + QChar(0x2026)
                             : name);
    if (leftOut.size() > mostLeftOutNames)
        named.append(QStringLiteral("and %1 more").arg(leftOut.size() - mostLeftOutNames));
    QMessageBox::warning(
            this, title,
            QStringLiteral("Left out of %1 with everything below them, since a .reg "
                           "file cannot hold their names:\n\n%2")
                    .arg(QDir::toNativeSeparators(path), named.join(QLatin1Char('\n'))));
    return true;
}

void LogViewerWindow::copy()
{
    if (findingsList->hasFocus() && findingsList->currentItem())
        QGuiApplication::clipboard()->setText(findingsList->currentItem()->text());
    else if (tabs->currentIndex() == 0)
        copyPath();
    else
        copyLine();
}

void LogViewerWindow::copyValue()
{
    const QModelIndex row = currentTreeRow();
    if (row.data(LogTreeModel::KindRole).toInt() == LogTreeModel::ValueRow)
        QGuiApplication::clipboard()->setText(row.data(LogTreeModel::RawTextRole).toString());
}

void LogViewerWindow::copyPath()
{
    const QModelIndex row = currentTreeRow();
    if (row.isValid())
        QGuiApplication::clipboard()->setText(row.data(LogTreeModel::PathRole).toString());
}

void LogViewerWindow::copyLine()
{
    const int line = currentLine();
    if (line >= 1 && line <= log->lines.size() && log->lines.at(line - 1).intact)
        QGuiApplication::clipboard()->setText(log->lines.at(line - 1).text);
}

void LogViewerWindow::dragEnterEvent(QDragEnterEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.first().isLocalFile())
        event->acceptProposedAction();
}

void LogViewerWindow::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    openLog(urls.first().toLocalFile());
}

QStringList LogViewerWindow::recentFiles() const
{
    return viewerSettings().value(QStringLiteral("recentFiles")).toStringList();
}

void LogViewerWindow::setRecentFiles(const QStringList &files)
{
    viewerSettings().setValue(QStringLiteral("recentFiles"), QVariant(files.mid(0, recentCount)));
}

void LogViewerWindow::fillRecentMenu()
{
    recentMenu->clear();
    const QStringList files = recentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString &path = files.at(i);
        QAction *action = recentMenu->addAction(
                QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)), this,
                [this, path] { openLog(path); });
        action->setData(path);
    }
    if (!files.isEmpty()) {
        recentMenu->addSeparator();
        recentMenu->addAction(QStringLiteral("&Clear List"), this, [this] { setRecentFiles({}); });
    }
    recentMenu->setEnabled(!files.isEmpty());
}
