#ifndef REPAIRLOGTOOL_H
#define REPAIRLOGTOOL_H

#include <QString>
#include <QStringList>

class QIODevice;

// The support side's command-line reader of support logs: opens or checks a log file line by
// line, or seals text lines into a log, with the tool's own key.
class RepairLogTool
{
public:
    enum ExitCode { ExitOk = 0, ExitDamagedLines = 1, ExitUnusable = 2 };

    RepairLogTool(QIODevice *input, QIODevice *output, QIODevice *errors);

    // arguments as QCoreApplication::arguments() gives them, the program first.
    int run(const QStringList &arguments);

private:
    int readLog(const QString &path, bool printLines);
    int sealLog();
    int usageError(const QString &message);

    QIODevice *input;
    QIODevice *output;
    QIODevice *errors;
};

#endif // REPAIRLOGTOOL_H
