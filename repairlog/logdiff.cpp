#include "repairlog/logdiff.h"

#include "repairlog/logtreeformat.h"

QVector<LogValueChange> diffLogTrees(const LogTrees &earlier, const LogTrees &later)
{
    const QMap<QPair<QString, QString>, QString> old = logValues(earlier);
    const QMap<QPair<QString, QString>, QString> now = logValues(later);
    QMap<QPair<QString, QString>, QString> both = old;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        both.insert(it.key(), it.value());
    QVector<LogValueChange> changes;
    for (auto it = both.cbegin(); it != both.cend(); ++it) {
        const auto was = old.constFind(it.key());
        const auto is = now.constFind(it.key());
        LogValueChange change;
        if (is == now.cend())
            change.kind = LogValueChange::Removed;
        else if (was == old.cend())
            change.kind = LogValueChange::Added;
        else if (was.value() == is.value())
            continue;
        change.keyPath = it.key().first;
        change.quotedName = it.key().second;
        change.before = was == old.cend() ? QString() : was.value();
        change.after = is == now.cend() ? QString() : is.value();
        changes.append(change);
    }
    return changes;
}
