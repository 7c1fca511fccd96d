#ifndef REPAIRLOGTOOL_H
#define REPAIRLOGTOOL_H

#include <QString>
#include <QStringList>
#include <QVector>

class QCommandLineParser;
class QIODevice;
struct LoadedLog;
struct LogLine;

// The support side's command-line reader of support logs: opens a log line by line, checks it
// against the trees rebuilt from it, shows those trees or writes them as a Registry Editor file,
// compares two logs, or seals text lines into a log, with the tool's own key.
class RepairLogTool
{
public:
    enum ExitCode { ExitOk = 0, ExitDamagedLines = 1, ExitUnusable = 2 };

    RepairLogTool(QIODevice *input, QIODevice *output, QIODevice *errors);

    // arguments as QCoreApplication::arguments() gives them, the program first.
    int run(const QStringList &arguments);

private:
    int runCommand(const QString &command, const QStringList &files,
                   const QCommandLineParser &parser);
    // Reads a file, or standard input for "-"; false after saying why it cannot be read.
    bool read(const QString &path, QByteArray *content);
    // Reads and opens the lines of a log; the exit code when it cannot be read, or when it is no
    // support log, which it tells verdict after prefix.
    int openLines(const QString &path, QVector<LogLine> *lines, QIODevice *verdict,
                  const QString &prefix);
    // Reads, opens, rebuilds and checks a log; the exit code when it is no log to go on with.
    int load(const QString &path, LoadedLog *log);
    int openLog(const QString &path, bool skipDamaged);
    int checkLog(const QString &path);
    int showTrees(const QString &path);
    int writeRegFile(const QString &path, const QString &hive, const QString &outputPath);
    int diffLogs(const QString &before, const QString &after);
    int sealLog();
    int usageError(const QString &message);

    QIODevice *input;
    QIODevice *output;
    QIODevice *errors;
};

#endif // REPAIRLOGTOOL_H
