#ifndef LOGTREEMODEL_H
#define LOGTREEMODEL_H

#include <QAbstractItemModel>
#include <QColor>
#include <QHash>
#include <QIcon>

#include <memory>
#include <vector>

struct LogValue;
struct ViewerLog;

// The registry trees rebuilt from a log: each key with its values (sorted by name) and then its
// subkeys, as repairlog's tree lists them. Values whose lines the check found damaged are marked
// restored or doubtful, trees the log cannot vouch for (values may be lost there) lacking;
// compared with an earlier log, the values added, removed and changed since then carry that status
// in a column of its own, uncertain where either log cannot tell, and each key counts what its
// rows below carry.
class LogTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Column { NameColumn, TextColumn, EarlierColumn, StatusColumn, LineColumn, ColumnCount };
    enum Role {
        KindRole = Qt::UserRole + 1,
        // The registry path of the row's key; for a value, of the key that holds it.
        KeyPathRole,
        // A key's path, or a value's key path and name: what "Copy Path" copies.
        PathRole,
        // A value's registry name, empty for the default value.
        ValueNameRole,
        // The line of the file that holds the value or names the key; 0 where it has none.
        LineRole,
        // What the check says about the lines of a value, or why the log cannot vouch for a tree.
        NotesRole,
        MarkRole,
        ChangeRole,
        // A changed or removed value's text in the earlier log.
        EarlierTextRole,
        // Why the comparison cannot vouch for a change, in repairlog diff's words.
        UncertaintyRole,
        // What the row, and the rows below it, carry: changes, uncertain changes, problems (Flag).
        FlagsRole,
        // What the row itself carries.
        OwnFlagsRole,
        // The value's text as the log holds it.
        RawTextRole,
    };
    enum Kind { KeyRow, UnnamedKeyRow, ValueRow };
    enum Mark { NoMark, RestoredMark, DoubtfulMark, LackingMark };
    enum Change { Unchanged, Added, Removed, Changed };
    enum Flag { ChangeFlag = 1, UncertainFlag = 2, ProblemFlag = 4 };

    explicit LogTreeModel(QObject *parent = nullptr);
    ~LogTreeModel() override;

    // Shows the trees of log; with earlier, read to compare with log, marks what changed since
    // that log. Null shows nothing.
    void setLog(const ViewerLog *log, const ViewerLog *earlier = nullptr);
    bool isComparing() const { return comparing; }
    // The number of values added, removed and changed since the earlier log; uncertain: of
    // them, the ones either log cannot vouch for.
    int changeCount(Change change, bool uncertain = false) const;
    // The values marked doubtful.
    int doubtfulCount() const { return doubtful; }
    // Every key and value row, shown or not.
    int totalRows() const { return int(nodes.size()) - 1; }
    // The row after (or before) from, in the order the tree lists them, that carries any of
    // flags itself; invalid where none follows. From invalid: the first (or last) one.
    QModelIndex nextFlagged(const QModelIndex &from, int flags, bool backwards) const;
    // The row of the value or key that line stands for, or a copy of it.
    QModelIndex indexOfLine(int line) const;
    QModelIndex indexOfValue(const LogValue *value) const;

    // How the status column shows a change, and the name column a mark.
    static QColor statusColor(Change change, bool uncertain);
    QIcon markIcon(Mark mark) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Node;
    class Builder;

    Node *nodeAt(const QModelIndex &index) const;
    QModelIndex indexOf(const Node *node) const;
    QString toolTip(const Node &node) const;
    QString status(const Node &node) const;

    // Every node, so that none is freed by recursion; the first is the invisible root.
    std::vector<std::unique_ptr<Node>> nodes;
    // The rows in the order the tree lists them.
    std::vector<Node *> listed;
    const ViewerLog *shown = nullptr;
    // The row of each value and named key, and, made when first asked, of each line.
    QHash<const void *, Node *> rowsOf;
    mutable QHash<int, Node *> lineRows;
    int changes[4] = {};
    int uncertainChanges[4] = {};
    int doubtful = 0;
    bool comparing = false;
    QIcon restoredIcon;
    QIcon doubtfulIcon;
    QIcon lackingIcon;
};

#endif // LOGTREEMODEL_H
