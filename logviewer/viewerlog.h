#ifndef VIEWERLOG_H
#define VIEWERLOG_H

#include "repairlog/logcheck.h"
#include "repairlog/logdiff.h"
#include "repairlog/loglines.h"
#include "repairlog/logtrees.h"

#include <QString>
#include <QVector>

#include <functional>
#include <memory>

// A support log as the viewer shows it: its lines, the trees rebuilt from them and their check.
struct ViewerLog
{
    QString path;
    // Why the file cannot be read; empty once it is read.
    QString readError;
    // Why the file is no support log at all; empty for a log.
    QString notALog;
    QVector<LogLine> lines;
    LogTrees trees;
    LogCheck check;
    // For an earlier log read to compare with: the values that differ in the later log.
    QVector<LogValueChange> changesToLater;
};

// Reads, opens, rebuilds and checks a log, and compares it with a later log if given one.
// progress hears the share done in thousandths; cancelled is asked between parts of the work, and
// a cancelled reading gives nothing.
std::shared_ptr<ViewerLog> readViewerLog(const QString &path, const ViewerLog *later = nullptr,
                                         const std::function<void(int)> &progress = {},
                                         const std::function<bool()> &cancelled = {});

// What the verdict bar says about a log, and in which colour.
struct LogVerdict
{
    // Intact: nothing found. Restored: lines damaged, moved or added, but every value is there.
    // Damaged: values may be lost, or the file is no log.
    enum Severity { Intact, Restored, Damaged };

    Severity severity = Intact;
    QString text;
};

LogVerdict verdictOf(const ViewerLog &log);

#endif // VIEWERLOG_H
