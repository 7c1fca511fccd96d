#ifndef LOGFILTERMODEL_H
#define LOGFILTERMODEL_H

#include <QSet>
#include <QSortFilterProxyModel>

// Narrows the trees to the rows whose path (as Copy Path writes it) or text holds a pattern,
// whatever its case, and that carry the status asked for, with the keys above them. A key that
// matches keeps its contents, since their paths hold its own. The rows are walked once per change
// of pattern or status, with a list of pending rows rather than the call stack.
class LogFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    // Which rows a status filter keeps: every row, or those carrying these flags
    // (LogTreeModel::Flag).
    enum Status { AnyStatus = 0 };

    explicit LogFilterModel(QObject *parent = nullptr);

    void setPattern(const QString &pattern);
    QString pattern() const { return wanted; }
    void setStatus(int flags);
    int status() const { return flags; }
    bool isFiltering() const { return !wanted.isEmpty() || flags != AnyStatus; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    void refilter();
    bool matches(const QModelIndex &index) const;

    QString wanted;
    int flags = AnyStatus;
    QSet<const void *> kept;
};

#endif // LOGFILTERMODEL_H
