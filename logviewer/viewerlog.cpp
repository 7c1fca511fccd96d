#include "logviewer/viewerlog.h"

#include <QFile>

#include <algorithm>

namespace {

// The lines are opened in parts of about this many bytes, so that the progress shows and a
// cancel is heard in time.
const int partSize = 256 * 1024;
// Thousandths of the progress that opening the lines takes; rebuilding and checking the rest.
const int openedShare = 900;
const int rebuiltShare = 950;

} // namespace

std::shared_ptr<ViewerLog> readViewerLog(const QString &path, const ViewerLog *later,
                                         const std::function<void(int)> &progress,
                                         const std::function<bool()> &cancelled)
{
    const auto report = [&](int done) {
        if (progress)
            progress(done);
    };
    auto log = std::make_shared<ViewerLog>();
    log->path = path;
    QByteArray content;
    {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            content = file.readAll();
        if (!file.isOpen() || file.error() != QFileDevice::NoError) {
            log->readError = file.errorString();
            return log;
        }
    }

    // Parts end after a line feed, so each one splits into whole lines as the whole would.
    const int total = content.size();
    for (int start = 0; start < total;) {
        if (cancelled && cancelled())
            return nullptr;
        int end = start + partSize < total ? content.indexOf('\n', start + partSize) : -1;
        end = end < 0 ? total : end + 1;
        const QVector<LogLine> part
                = openLogLines(QByteArray::fromRawData(content.constData() + start, end - start));
        const int offset = log->lines.size();
        for (LogLine line : part) {
            line.number += offset;
            log->lines.append(line);
        }
        start = end;
        report(int(qint64(start) * openedShare / total));
    }
    log->notALog = notASupportLog(log->lines);
    if (!log->notALog.isEmpty())
        return log;
    if (cancelled && cancelled())
        return nullptr;
    log->trees = rebuildTrees(log->lines);
    report(rebuiltShare);
    if (cancelled && cancelled())
        return nullptr;
    log->check = checkLog(log->lines, log->trees);
    if (later)
        log->changesToLater = diffLogTrees(log->trees, later->trees);
    report(1000);
    return log;
}

LogVerdict verdictOf(const ViewerLog &log)
{
    if (!log.notALog.isEmpty())
        return { LogVerdict::Damaged, log.notALog.left(1).toUpper() + log.notALog.mid(1) };
    const LogCheck &check = log.check;
    if (check.intactAndComplete())
        return { LogVerdict::Intact,
                 check.linesRead == 1
                         ? QStringLiteral("1 line, intact and complete")
                         : QStringLiteral("%1 lines, intact and complete").arg(check.linesRead) };
    const bool lost = std::any_of(check.findings.cbegin(), check.findings.cend(),
                                  [](const LogFinding &finding) { return finding.losesValues; });
    const QString counts = QStringLiteral("%1 lines read, %2 expected: ")
                                   .arg(check.linesRead)
                                   .arg(check.linesExpected);
    // The values affected, rather than the lines: one doubtful value among many readable ones.
    const int doubtful = check.doubtfulValues.size();
    const QString affected = doubtful == 0 ? QString()
            : doubtful == 1                ? QStringLiteral("; 1 value doubtful")
                                           : QStringLiteral("; %1 values doubtful").arg(doubtful);
    if (lost)
        return { LogVerdict::Damaged, counts + QStringLiteral("damaged or incomplete") + affected };
    return { LogVerdict::Restored,
             counts + QStringLiteral("damaged, but every value is there") + affected };
}
