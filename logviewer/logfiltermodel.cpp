#include "logviewer/logfiltermodel.h"

#include "logviewer/logtreemodel.h"

LogFilterModel::LogFilterModel(QObject *parent)
    : QSortFilterProxyModel(parent)
{
    setRecursiveFilteringEnabled(true);
}

void LogFilterModel::setPattern(const QString &pattern)
{
    if (pattern == wanted)
        return;
    wanted = pattern;
    invalidateFilter();
}

bool LogFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (wanted.isEmpty())
        return true;
    for (const int column : { LogTreeModel::NameColumn, LogTreeModel::TextColumn }) {
        const QModelIndex index = sourceModel()->index(sourceRow, column, sourceParent);
        if (index.data().toString().contains(wanted, Qt::CaseInsensitive))
            return true;
    }
    return false;
}
