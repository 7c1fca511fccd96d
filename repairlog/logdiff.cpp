#include "repairlog/logdiff.h"

#include "repairlog/logtreeformat.h"

QVector<LogValueChange> diffLogTrees(const LogTrees &earlier, const LogTrees &later)
{
    const auto old = logValuesByName(earlier);
    const auto now = logValuesByName(later);
    QVector<LogValueChange> changes;
    // Both maps are sorted by name: one walk through both.
    for (auto before = old.cbegin(), after = now.cbegin();
         before != old.cend() || after != now.cend();) {
        const bool inOld
                = before != old.cend() && (after == now.cend() || !(after.key() < before.key()));
        const bool inNew
                = after != now.cend() && (before == old.cend() || !(before.key() < after.key()));
        LogValueChange change;
        change.keyPath = inOld ? before.key().first : after.key().first;
        change.quotedName = inOld ? before.key().second : after.key().second;
        change.earlierValue = inOld ? *before++ : nullptr;
        change.laterValue = inNew ? *after++ : nullptr;
        if (!change.laterValue)
            change.kind = LogValueChange::Removed;
        else if (!change.earlierValue)
            change.kind = LogValueChange::Added;
        else if (change.earlierValue->text == change.laterValue->text)
            continue;
        change.before = change.earlierValue ? change.earlierValue->text : QString();
        change.after = change.laterValue ? change.laterValue->text : QString();
        changes.append(change);
    }
    return changes;
}

QStringList uncertaintyOf(const LogValueChange &change, const LogCheck &earlier,
                          const LogCheck &later)
{
    const LogValue *values[2] = { change.earlierValue, change.laterValue };
    const LogCheck *checks[2] = { &earlier, &later };
    const QString sides[2] = { QStringLiteral("the log before"), QStringLiteral("the log after") };
    QStringList notes;
    for (int i = 0; i < 2; ++i) {
        if (!values[i] && !checks[i]->intactAndComplete())
            notes << QStringLiteral("%1 is damaged or incomplete: the value may be among its "
                                    "lost lines")
                             .arg(sides[i]);
        for (const QString &note : checks[i]->valueNotes.value(values[i]))
            notes << sides[i] + QStringLiteral(": ") + note;
    }
    return notes;
}
