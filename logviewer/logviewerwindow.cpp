#include "logviewer/logviewerwindow.h"

#include "logviewer/logfiltermodel.h"
#include "logviewer/loglinesmodel.h"
#include "logviewer/logloader.h"
#include "logviewer/logtreemodel.h"
#include "repairlog/logtreeformat.h"

#include <QApplication>
#include <QClipboard>
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
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

const QString title = QStringLiteral("Kormand Log Viewer");
const QString logFilter = QStringLiteral("Support logs (*.kormand_repair);;All files (*)");
const int recentCount = 10;
// A little after the last key pressed, so that typing does not filter at every letter.
const int filterDelayMs = 150;
const int wholeTreeRows = 500;
const int mostFindingRows = 6;

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
    verdictLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = verdictLabel->font();
    bold.setBold(true);
    verdictLabel->setFont(bold);
    layout->addWidget(verdictLabel);

    findingsList = new QListWidget(central);
    findingsList->setObjectName(QStringLiteral("findingsList"));
    findingsList->setToolTip(QStringLiteral("Click a finding to see its line"));
    findingsList->hide();
    connect(findingsList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { showLine(item->data(Qt::UserRole).toInt()); });
    connect(findingsList, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *item) { showLine(item->data(Qt::UserRole).toInt()); });
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
    resize(1000, 700);
}

LogViewerWindow::~LogViewerWindow()
{
    // The lines model points into the log, which goes before the window's children do.
    linesModel->setLog(nullptr);
}

void LogViewerWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Open\u2026"), this, &LogViewerWindow::chooseLog,
                    QKeySequence::Open)
            ->setObjectName(QStringLiteral("openAction"));
    recentMenu = file->addMenu(QStringLiteral("Open &Recent"));
    recentMenu->setObjectName(QStringLiteral("recentMenu"));
    // Filled as it opens: another window may have opened a log since.
    connect(recentMenu, &QMenu::aboutToShow, this, &LogViewerWindow::fillRecentMenu);
    compareAction = file->addAction(QStringLiteral("&Compare with Earlier Log\u2026"), this,
                                    &LogViewerWindow::chooseEarlierLog);
    compareAction->setObjectName(QStringLiteral("compareAction"));
    exportAction = file->addAction(QStringLiteral("&Export as .reg File\u2026"), this,
                                   &LogViewerWindow::chooseExportFile);
    exportAction->setObjectName(QStringLiteral("exportAction"));
    file->addSeparator();
    file->addAction(QStringLiteral("&Quit"), this, &QWidget::close, QKeySequence::Quit);

    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    copyPathAction = edit->addAction(QStringLiteral("&Copy Path"), this, &LogViewerWindow::copyPath,
                                     QKeySequence::Copy);
    copyPathAction->setObjectName(QStringLiteral("copyPathAction"));
    edit->addAction(
            QStringLiteral("&Find"), this,
            [this] {
                tabs->setCurrentIndex(0);
                filterEdit->setFocus();
                filterEdit->selectAll();
            },
            QKeySequence::Find);

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&About"), this, [this] {
        QMessageBox::about(
                this, title,
                QStringLiteral("<b>%1 %2</b><p>Reads the support logs (velto.kormand_repair) that "
                               "users of the Velto Studio RepairTool send, with the tool's own "
                               "key, and checks them as repairlog does.</p>")
                        .arg(title, QCoreApplication::applicationVersion()));
    });

    for (QAction *action : { compareAction, exportAction, copyPathAction })
        action->setEnabled(false);
}

QWidget *LogViewerWindow::buildRegistryTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *row = new QHBoxLayout;
    filterEdit = new QLineEdit(page);
    filterEdit->setObjectName(QStringLiteral("filterEdit"));
    filterEdit->setPlaceholderText(QStringLiteral("Filter keys and values by name or text"));
    filterEdit->setClearButtonEnabled(true);
    // A file dropped on the window opens, wherever it lands.
    filterEdit->setAcceptDrops(false);
    connect(filterEdit, &QLineEdit::textChanged, &filterTimer, QOverload<>::of(&QTimer::start));
    row->addWidget(filterEdit, 1);
    comparisonLabel = new QLabel(page);
    comparisonLabel->setObjectName(QStringLiteral("comparisonLabel"));
    comparisonLabel->hide();
    row->addWidget(comparisonLabel);
    layout->addLayout(row);

    treeView = new QTreeView(page);
    treeView->setObjectName(QStringLiteral("registryTree"));
    treeView->setModel(filterModel);
    treeView->setUniformRowHeights(true);
    treeView->setAllColumnsShowFocus(true);
    treeView->setContextMenuPolicy(Qt::ActionsContextMenu);
    treeView->header()->setStretchLastSection(false);
    treeView->header()->resizeSection(LogTreeModel::NameColumn, 320);
    treeView->header()->setSectionResizeMode(LogTreeModel::TextColumn, QHeaderView::Stretch);
    treeView->header()->resizeSection(LogTreeModel::LineColumn, 70);
    connect(treeView, &QTreeView::activated, this, [this](const QModelIndex &index) {
        if (const int line = index.data(LogTreeModel::LineRole).toInt())
            showLine(line);
    });
    layout->addWidget(treeView, 1);
    return page;
}

QWidget *LogViewerWindow::buildLinesTab()
{
    linesView = new QTableView;
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
    return linesView;
}

void LogViewerWindow::openLog(const QString &path)
{
    earlierLoader->cancel();
    // Absolute, so that the recent list still finds it from elsewhere.
    loader->load(QFileInfo(path).absoluteFilePath());
    statusBar()->showMessage(
            QStringLiteral("Reading %1\u2026").arg(QDir::toNativeSeparators(path)));
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
    QStringList recent = recentFiles();
    recent.removeAll(read->path);
    if (reportReadError(*read)) {
        setRecentFiles(recent);
        emit logShown();
        return;
    }
    setRecentFiles(QStringList(read->path) + recent);
    // The lines model points into the log it shows: let go of the old log only after it.
    linesModel->setLog(read.get());
    log = read;
    earlier.reset();
    setWindowTitle(QStringLiteral("%1 \u2013 %2").arg(QFileInfo(read->path).fileName(), title));
    showVerdict();
    refreshTree();
    const int numberWidth = linesView->fontMetrics().horizontalAdvance(
            QString::number(log->lines.size()) + QStringLiteral("00"));
    linesView->horizontalHeader()->resizeSection(LogLinesModel::LineColumn, numberWidth);
    const bool hasTrees = log->notALog.isEmpty();
    exportAction->setEnabled(hasTrees);
    compareAction->setEnabled(hasTrees);
    copyPathAction->setEnabled(hasTrees);
    emit logShown();
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
    for (const LogFinding &finding : log->check.findings) {
        auto *item = new QListWidgetItem(finding.losesValues ? lossIcon : otherIcon, finding.text,
                                         findingsList);
        item->setData(Qt::UserRole, finding.line);
    }
    findingsList->setVisible(findingsList->count() > 0);
    const int rows = qMin(findingsList->count(), mostFindingRows);
    findingsList->setFixedHeight(rows * findingsList->sizeHintForRow(0)
                                 + 2 * findingsList->frameWidth());
}

void LogViewerWindow::refreshTree()
{
    treeModel->setLog(log.get(), earlier.get());
    if (earlier) {
        comparisonLabel->setText(QStringLiteral("Since %1: %2 added, %3 removed, %4 changed")
                                         .arg(QFileInfo(earlier->path).fileName())
                                         .arg(treeModel->changeCount(LogTreeModel::Added))
                                         .arg(treeModel->changeCount(LogTreeModel::Removed))
                                         .arg(treeModel->changeCount(LogTreeModel::Changed)));
    }
    comparisonLabel->setVisible(bool(earlier));
    applyFilter();
}

void LogViewerWindow::applyFilter()
{
    filterTimer.stop();
    filterModel->setPattern(filterEdit->text());
    // A small tree opens whole; a large one down to the keys below the roots, where its
    // values start to be many.
    if (!filterModel->pattern().isEmpty() || treeModel->totalRows() <= wholeTreeRows)
        treeView->expandAll();
    else
        treeView->expandToDepth(1);
}

void LogViewerWindow::showLine(int line)
{
    tabs->setCurrentWidget(linesView);
    const int rows = linesModel->rowCount();
    if (rows == 0)
        return;
    const QModelIndex index = linesModel->index(qBound(0, line - 1, rows - 1), 0);
    linesView->setCurrentIndex(index);
    linesView->scrollTo(index, QAbstractItemView::PositionAtCenter);
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
    const QByteArray content = logTreesToRegFile(log->trees);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()
        || !file.commit()) {
        QMessageBox::critical(this, title,
                              QStringLiteral("Cannot write %1:\n%2")
                                      .arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    statusBar()->showMessage(QStringLiteral("Exported to %1").arg(QDir::toNativeSeparators(path)));
    return true;
}

void LogViewerWindow::copyPath()
{
    const QModelIndex index = treeView->currentIndex();
    if (index.isValid())
        QGuiApplication::clipboard()->setText(index.data(LogTreeModel::PathRole).toString());
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
