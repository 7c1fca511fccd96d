#ifndef LOGTREEMODEL_H
#define LOGTREEMODEL_H

#include <QAbstractItemModel>
#include <QIcon>

#include <memory>
#include <vector>

struct ViewerLog;

// The registry trees rebuilt from a log: each key with its values (sorted by name) and then its
// subkeys, as repairlog's tree lists them. Values whose lines the check found damaged are marked
// restored or doubtful; compared with an earlier log, the values added, removed and changed since
// then are marked too, the removed ones where they were.
class LogTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Column { NameColumn, TextColumn, LineColumn, ColumnCount };
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
        // What the check says about the lines of a value.
        NotesRole,
        MarkRole,
        ChangeRole,
        // A changed or removed value's text in the earlier log.
        EarlierTextRole,
    };
    enum Kind { KeyRow, UnnamedKeyRow, ValueRow };
    enum Mark { NoMark, RestoredMark, DoubtfulMark };
    enum Change { Unchanged, Added, Removed, Changed };

    explicit LogTreeModel(QObject *parent = nullptr);
    ~LogTreeModel() override;

    // Shows the trees of log; with earlier, read to compare with log, marks what changed since
    // that log. Null shows nothing.
    void setLog(const ViewerLog *log, const ViewerLog *earlier = nullptr);
    // The number of values added, removed and changed since the earlier log.
    int changeCount(Change change) const;
    // Every key and value row, shown or not.
    int totalRows() const { return int(nodes.size()) - 1; }

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
    QString toolTip(const Node &node) const;

    // Every node, so that none is freed by recursion; the first is the invisible root.
    std::vector<std::unique_ptr<Node>> nodes;
    int changes[4] = {};
    QIcon restoredIcon;
    QIcon doubtfulIcon;
};

#endif // LOGTREEMODEL_H
