#ifndef LOGDIFF_H
#define LOGDIFF_H

#include "repairlog/logcheck.h"
#include "repairlog/logtrees.h"

#include <QString>
#include <QVector>

// One value that differs from one log to the next, named as logValues names it: its key's
// registry path and its quoted name.
struct LogValueChange
{
    enum Kind { Added, Removed, Changed };

    Kind kind = Changed;
    QString keyPath;
    QString quotedName;
    // The text in the earlier log; empty for an added value.
    QString before;
    // The text in the later log; empty for a removed value.
    QString after;
    // The values themselves, while both trees live; null where the value is absent.
    const LogValue *earlierValue = nullptr;
    const LogValue *laterValue = nullptr;
};

// The values added, removed and changed from the earlier log's trees to the later one's, ordered
// by key path and name.
QVector<LogValueChange> diffLogTrees(const LogTrees &earlier, const LogTrees &later);

// What either log cannot tell about a change, in diff's words: a side that lacks the value while
// its log is damaged or incomplete, and what the check says of the value on each side. Empty for
// a change both logs vouch for.
QStringList uncertaintyOf(const LogValueChange &change, const LogCheck &earlier,
                          const LogCheck &later);

#endif // LOGDIFF_H
