#include "measuredrun.h"

#include <QFile>
#include <QTemporaryFile>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

MeasuredRun runMeasured(const QString &program, const QStringList &arguments)
{
    MeasuredRun run;
    QTemporaryFile output, errors;
    if (!output.open() || !errors.open())
        return run;
    std::vector<QByteArray> words{ QFile::encodeName(program) };
    for (const QString &argument : arguments)
        words.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0) {
        dup2(int(output.handle()), STDOUT_FILENO);
        dup2(int(errors.handle()), STDERR_FILENO);
        execv(argv.front(), argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage = {};
    if (child < 0 || wait4(child, &status, 0, &usage) != child)
        return run;
    run.crashed = WIFSIGNALED(status);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    // Linux counts the peak resident set in KiB.
    run.peakBytes = qint64(usage.ru_maxrss) * 1024;
    run.output = output.seek(0) ? output.readAll() : QByteArray();
    run.errors = errors.seek(0) ? errors.readAll() : QByteArray();
    return run;
}
