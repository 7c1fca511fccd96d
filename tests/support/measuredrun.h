#ifndef MEASUREDRUN_H
#define MEASUREDRUN_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// A program run to its end as a process of its own (POSIX), with how it ended and the most
// memory it held, as the system counts it for the finished process.
struct MeasuredRun
{
    // Killed by a signal (a crash, an abort), or not started.
    bool crashed = true;
    int exitCode = -1;
    qint64 peakBytes = 0;
    QByteArray output;
    QByteArray errors;
};

MeasuredRun runMeasured(const QString &program, const QStringList &arguments);

#endif // MEASUREDRUN_H
