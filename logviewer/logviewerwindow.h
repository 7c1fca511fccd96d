#ifndef LOGVIEWERWINDOW_H
#define LOGVIEWERWINDOW_H

#include "logviewer/viewerlog.h"

#include <QMainWindow>
#include <QTimer>

#include <memory>

class LogFilterModel;
class LogLinesModel;
class LogLoader;
class LogTreeModel;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QTabWidget;
class QTableView;
class QTreeView;

// Support's window on a support log: the verdict of its check on top, each finding a link to its
// line and row; below, the rebuilt registry trees with a filter by text and status, a legend and
// the next change or problem a key away, and the file's lines with a search. Compared with an
// earlier log, both verdicts show and what either log cannot vouch for is marked uncertain. Logs
// open from the command line, the File menu, its recent list or by dropping them on the window,
// and are read on a thread of their own.
class LogViewerWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit LogViewerWindow(QWidget *parent = nullptr);
    ~LogViewerWindow() override;

    // Starts reading a log; the window shows it when it is read.
    void openLog(const QString &path);
    // Starts reading an earlier log of the same machine, to mark what changed since then.
    void compareWith(const QString &path);
    // Writes the log's trees as a Registry Editor file, as repairlog reg does; false after saying
    // why it could not.
    bool exportRegFile(const QString &path);
    // Shows line n of the file in the lines tab.
    void showLine(int line);
    // Shows the row of the file's lines, and the tree's row (a source index) if valid.
    void showFinding(int finding);
    void showTreeRow(const QModelIndex &sourceIndex);

signals:
    // A log was read and is shown, or the reason it could not be read was.
    void logShown();
    // The same for the earlier log to compare with.
    void comparisonShown();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildMenus();
    QWidget *buildRegistryTab();
    QWidget *buildLinesTab();
    QWidget *buildLegend();
    void chooseLog();
    void chooseEarlierLog();
    void chooseExportFile();
    void copy();
    void copyValue();
    void copyPath();
    void copyLine();
    // The tree's row (a source index) and the file's line that the current tab shows.
    QModelIndex currentTreeRow() const;
    int currentLine() const;
    void showNextMark(bool backwards);
    void findInLines();
    void showLog(const std::shared_ptr<const ViewerLog> &read);
    void showComparison(const std::shared_ptr<const ViewerLog> &read);
    // Shows the log, or nothing while the next one is read.
    void display();
    void showVerdict();
    void showProgress(int thousandths);
    void refreshTree();
    void applyFilter();
    bool reportReadError(const ViewerLog &read);
    QStringList recentFiles() const;
    void setRecentFiles(const QStringList &files);
    void fillRecentMenu();
    void fitToScreen();

    std::shared_ptr<const ViewerLog> log;
    std::shared_ptr<const ViewerLog> earlier;
    // Whether the log shown is being replaced by the one read.
    bool reading = false;
    LogLoader *loader;
    LogLoader *earlierLoader;
    LogTreeModel *treeModel;
    LogFilterModel *filterModel;
    LogLinesModel *linesModel;

    QLabel *verdictLabel;
    QListWidget *findingsList;
    QTabWidget *tabs;
    QLineEdit *filterEdit;
    QComboBox *statusFilter;
    QLabel *comparisonLabel;
    QLabel *noMatchLabel;
    QTreeView *treeView;
    QLineEdit *linesSearch;
    QTableView *linesView;
    QProgressBar *progressBar;
    QMenu *recentMenu;
    QAction *compareAction;
    QAction *exportAction;
    QList<QAction *> logActions;
    QTimer filterTimer;
};

#endif // LOGVIEWERWINDOW_H
