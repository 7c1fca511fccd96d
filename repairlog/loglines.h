#ifndef LOGLINES_H
#define LOGLINES_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVector>

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
// Every line of the file content, opened.
QVector<LogLine> openLogLines(const QByteArray &content);
// Empty unless the content is no support log at all (no line opens); then says why.
QString notASupportLog(const QVector<LogLine> &lines);

#endif // LOGLINES_H
