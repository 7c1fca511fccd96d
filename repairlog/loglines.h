#ifndef LOGLINES_H
#define LOGLINES_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVector>

#include <memory>

// One line of a support log file, opened with the tool's key.
struct LogLine
{
    // 1-based line number in the file.
    int number = 0;
    bool intact = false;
    // The opened text of an intact line.
    QString text;
    // Why a damaged line does not open, in words.
    QString damage;
};

// Lines of a log or of standard input: LF or CR LF ends, and a last line without an end counts.
QList<QByteArray> splitLines(const QByteArray &content);

// Opens the lines of a log, in one piece or part after part (each part whole lines), within what
// a genuine log can hold (repairlog/loglimits.h): a line beyond it is damaged, "too long for a
// support log" or "deeper than the registry allows"; once the whole log passes its ceiling, the
// line that passes it is the last one opened.
class LogLineOpener
{
public:
    LogLineOpener();
    ~LogLineOpener();

    // The part's lines, numbered on from the parts before.
    QVector<LogLine> open(const QByteArray &part);
    // True once the log has passed its ceiling: the rest is not opened.
    bool full() const;

private:
    Q_DISABLE_COPY(LogLineOpener)
    struct State;
    std::unique_ptr<State> state;
};

// Every line of the file content, opened.
QVector<LogLine> openLogLines(const QByteArray &content);
// Empty unless the content is no support log at all (no line opens); then says why.
QString notASupportLog(const QVector<LogLine> &lines);

#endif // LOGLINES_H
