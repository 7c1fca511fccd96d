#include "logviewer/viewerlog.h"

#include "repairlog/loglimits.h"

#include <QFile>

#include <algorithm>

namespace {

// The file is read and its lines opened in blocks of this many bytes, so that the progress shows
// and a cancel is heard in time.
const qint64 blockSize = 256 * 1024;
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        log->readError = file.errorString();
        return log;
    }
    // One opener for the whole file, so that the whole log's ceiling holds across the blocks;
    // no more of the file is read than repairlog reads, and a block's last line, cut, waits for
    // the rest of it.
    const qint64 most = LogLimits::MaxLogBytes + 1;
    const qint64 expected = qBound<qint64>(1, file.size(), most);
    LogLineOpener opener;
    QByteArray pending;
    for (qint64 read = 0; !opener.full();) {
        if (cancelled && cancelled())
            return nullptr;
        const QByteArray block = file.read(qMin(blockSize, most - read));
        if (file.error() != QFileDevice::NoError) {
            log->readError = file.errorString();
            log->lines.clear();
            return log;
        }
        read += block.size();
        pending += block;
        const bool last = block.isEmpty() || read >= most;
        // Only the new block is searched: a line longer than many blocks is not searched again.
        const int lastEnd = block.lastIndexOf('\n');
        const int end = last  ? pending.size()
                : lastEnd < 0 ? 0
                              : pending.size() - block.size() + lastEnd + 1;
        log->lines += opener.open(QByteArray::fromRawData(pending.constData(), end));
        pending.remove(0, end);
        report(int(qMin(read, expected) * openedShare / expected));
        if (last)
            break;
    }
    file.close();
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
