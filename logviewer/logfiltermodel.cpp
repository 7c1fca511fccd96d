#include "logviewer/logfiltermodel.h"

#include "logviewer/logtreemodel.h"

#include <vector>

LogFilterModel::LogFilterModel(QObject *parent)
    : QSortFilterProxyModel(parent)
{
    // A new tree brings new rows to keep.
    connect(this, &QAbstractProxyModel::sourceModelChanged, this, [this] {
        connect(sourceModel(), &QAbstractItemModel::modelReset, this, &LogFilterModel::refilter);
    });
}

void LogFilterModel::setPattern(const QString &pattern)
{
    if (pattern == wanted)
        return;
    wanted = pattern;
    refilter();
}

void LogFilterModel::setStatus(int wantedFlags)
{
    if (wantedFlags == flags)
        return;
    flags = wantedFlags;
    refilter();
}

void LogFilterModel::refilter()
{
    kept.clear();
    const QAbstractItemModel *source = sourceModel();
    if (source && isFiltering()) {
        std::vector<QModelIndex> pending{ QModelIndex() };
        while (!pending.empty()) {
            const QModelIndex parent = pending.back();
            pending.pop_back();
            for (int row = 0; row < source->rowCount(parent); ++row) {
                const QModelIndex index = source->index(row, 0, parent);
                // Below a row that carries no status asked for, none does.
                if (index.data(LogTreeModel::FlagsRole).toInt() & flags || flags == AnyStatus)
                    pending.push_back(index);
                if (!matches(index))
                    continue;
                for (QModelIndex at = index; at.isValid() && !kept.contains(at.internalPointer());
                     at = at.parent())
                    kept.insert(at.internalPointer());
            }
        }
    }
    invalidateFilter();
}

bool LogFilterModel::matches(const QModelIndex &index) const
{
    if (flags != AnyStatus && !(index.data(LogTreeModel::OwnFlagsRole).toInt() & flags))
        return false;
    return wanted.isEmpty()
            || index.data(LogTreeModel::PathRole).toString().contains(wanted, Qt::CaseInsensitive)
            || index.data(LogTreeModel::RawTextRole)
                       .toString()
                       .contains(wanted, Qt::CaseInsensitive);
}

bool LogFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    return !isFiltering()
            || kept.contains(sourceModel()->index(sourceRow, 0, sourceParent).internalPointer());
}
