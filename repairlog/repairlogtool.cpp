#include "repairlog/repairlogtool.h"

#include "repairlog/logcheck.h"
#include "repairlog/logdiff.h"
#include "repairlog/loglimits.h"
#include "repairlog/loglines.h"
#include "repairlog/logtreeformat.h"
#include "repairlog/logtrees.h"
#include "repairlog/visibletext.h"
#include "supportlog/repaircipher.h"
#include "supportlog/supportlogkey.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <algorithm>

struct LoadedLog
{
    QVector<LogLine> lines;
    LogTrees trees;
    LogCheck check;
};

namespace {

void print(QIODevice *device, const QString &text)
{
    device->write(text.toUtf8());
}

// The files each command takes, by name for the message when one is missing.
QStringList fileArguments(const QString &command)
{
    if (command == QLatin1String("seal"))
        return {};
    if (command == QLatin1String("diff"))
        return { QStringLiteral("FILE1 (the log before)"),
                 QStringLiteral("FILE2 (the log after)") };
    return { QStringLiteral("FILE") };
}

// The device's bytes up to just past a whole log's ceiling, past which nothing is opened; read
// piece by piece, since reading the ceiling at once would reserve all of it.
QByteArray readLogBytes(QIODevice *device)
{
    const qint64 most = LogLimits::MaxLogBytes + 1;
    QByteArray content;
    while (content.size() < most) {
        const QByteArray piece = device->read(qMin<qint64>(1 << 20, most - content.size()));
        if (piece.isEmpty())
            break;
        content += piece;
    }
    return content;
}

const QStringList commands
        = { QStringLiteral("open"), QStringLiteral("check"), QStringLiteral("tree"),
            QStringLiteral("reg"),  QStringLiteral("diff"),  QStringLiteral("seal") };

} // namespace

RepairLogTool::RepairLogTool(QIODevice *input, QIODevice *output, QIODevice *errors)
    : input(input)
    , output(output)
    , errors(errors)
{ }

int RepairLogTool::run(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
            "Opens the support logs (velto.kormand_repair) that users of the Velto Studio "
            "RepairTool send. FILE may be - for standard input.\n\n"
            "Commands:\n"
            "  open FILE        print the text of every line of the log, one per line (UTF-8);\n"
            "                   a damaged line is printed as a marked placeholder\n"
            "  check FILE       check every line's seal and the log's structure: missing,\n"
            "                   damaged, reordered and cut-off lines\n"
            "  tree FILE        print the registry trees behind the log, each value once\n"
            "  reg FILE         write the trees as a Registry Editor file (UTF-16LE)\n"
            "  diff FILE1 FILE2 print the values added, removed and changed from FILE1 to FILE2\n"
            "  seal             read UTF-8 text lines from standard input and write them to\n"
            "                   standard output as a log, as the RepairTool does\n\n"
            "A control character in a log's text (a line break, an escape), a line or\n"
            "paragraph separator and a format character that reorders or hides text (U+202E,\n"
            "U+200B) are shown by their code, as <U+000A>.\n\n"
            "Exit codes: 0 the log is intact and complete, 1 it is damaged, incomplete or no\n"
            "support log (reported on standard error, by check on standard output), 2 the file\n"
            "cannot be read or the command line is wrong."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption skipOption(
            QStringLiteral("skip-damaged"),
            QStringLiteral("open: leave damaged lines out instead of marking them"));
    const QCommandLineOption hiveOption(
            QStringLiteral("hive"),
            QStringLiteral("reg: only the tree of this hive (HKEY_CURRENT_USER or "
                           "HKEY_LOCAL_MACHINE), as a stand-in hive file"),
            QStringLiteral("hive"));
    const QCommandLineOption outputOption(
            { QStringLiteral("o"), QStringLiteral("output") },
            QStringLiteral("reg: write into this file instead of standard output (which on "
                           "Windows is no place for UTF-16: it turns every line feed byte into "
                           "CR LF)"),
            QStringLiteral("file"));
    parser.addOptions({ skipOption, hiveOption, outputOption });
    parser.addPositionalArgument(QStringLiteral("command"), commands.join(QStringLiteral(", ")));
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("the log file"),
                                 QStringLiteral("[FILE]"));

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    // Newer toolkits add --help-all to the help option; the toolkit's own options do not apply.
    if (parser.isSet(helpOption) || parser.optionNames().contains(QStringLiteral("help-all"))) {
        print(output, parser.helpText());
        return ExitOk;
    }
    if (parser.isSet(versionOption)) {
        print(output,
              QStringLiteral("%1 %2\n")
                      .arg(QCoreApplication::applicationName())
                      .arg(QCoreApplication::applicationVersion()));
        return ExitOk;
    }

    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return usageError(QStringLiteral("No command given."));
    const QString command = positional.takeFirst();
    if (!commands.contains(command))
        return usageError(QStringLiteral("Unknown command: %1").arg(command));
    const QStringList wanted = fileArguments(command);
    if (positional.size() < wanted.size())
        return usageError(QStringLiteral("%1: the argument %2 is missing")
                                  .arg(command, wanted.at(positional.size())));
    if (positional.size() > wanted.size())
        return usageError(
                QStringLiteral("%1: too many arguments: %2")
                        .arg(command, positional.mid(wanted.size()).join(QLatin1Char(' '))));
    if (command == QLatin1String("diff") && positional.at(0) == QLatin1String("-")
        && positional.at(1) == QLatin1String("-"))
        return usageError(
                QStringLiteral("diff: only one of the logs can come from standard input"));
    const bool regOptions = parser.isSet(hiveOption) || parser.isSet(outputOption);
    if ((parser.isSet(skipOption) && command != QLatin1String("open"))
        || (regOptions && command != QLatin1String("reg")))
        return usageError(QStringLiteral("%1: option not for this command").arg(command));
    return runCommand(command, positional, parser);
}

int RepairLogTool::runCommand(const QString &command, const QStringList &files,
                              const QCommandLineParser &parser)
{
    if (command == QLatin1String("open"))
        return openLog(files.at(0), parser.isSet(QStringLiteral("skip-damaged")));
    if (command == QLatin1String("check"))
        return checkLog(files.at(0));
    if (command == QLatin1String("tree"))
        return showTrees(files.at(0));
    if (command == QLatin1String("reg")) {
        const QString hive = parser.value(QStringLiteral("hive"));
        if (!hive.isEmpty() && hive != QLatin1String("HKEY_CURRENT_USER")
            && hive != QLatin1String("HKEY_LOCAL_MACHINE"))
            return usageError(QStringLiteral("reg: unknown hive %1").arg(hive));
        return writeRegFile(files.at(0), hive, parser.value(QStringLiteral("output")));
    }
    if (command == QLatin1String("diff"))
        return diffLogs(files.at(0), files.at(1));
    return sealLog();
}

bool RepairLogTool::read(const QString &path, QByteArray *content)
{
    if (path == QLatin1String("-")) {
        *content = readLogBytes(input);
        return true;
    }
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        *content = readLogBytes(&file);
        if (file.error() == QFileDevice::NoError)
            return true;
    }
    print(errors, QStringLiteral("repairlog: cannot read %1: %2\n").arg(path, file.errorString()));
    return false;
}

int RepairLogTool::openLines(const QString &path, QVector<LogLine> *lines, QIODevice *verdict,
                             const QString &prefix)
{
    QByteArray content;
    if (!read(path, &content))
        return ExitUnusable;
    *lines = openLogLines(content);
    const QString notALog = notASupportLog(*lines);
    if (notALog.isEmpty())
        return ExitOk;
    print(verdict, prefix + notALog + QLatin1Char('\n'));
    return ExitDamagedLines;
}

int RepairLogTool::load(const QString &path, LoadedLog *log)
{
    if (const int failed = openLines(path, &log->lines, errors, path + QStringLiteral(": ")))
        return failed;
    log->trees = rebuildTrees(log->lines);
    log->check = ::checkLog(log->lines, log->trees);
    return ExitOk;
}

int RepairLogTool::openLog(const QString &path, bool skipDamaged)
{
    QVector<LogLine> lines;
    if (const int failed = openLines(path, &lines, errors, path + QStringLiteral(": ")))
        return failed;
    bool damaged = false;
    for (const LogLine &line : qAsConst(lines)) {
        if (line.intact) {
            // Escaped, so that a line break in a value keeps output line n at file line n.
            print(output, visibleText(line.text) + QLatin1Char('\n'));
            continue;
        }
        damaged = true;
        print(errors, QStringLiteral("line %1: %2\n").arg(line.number).arg(line.damage));
        // A placeholder keeps output line n at file line n.
        if (!skipDamaged)
            print(output,
                  QStringLiteral("<<< line %1 damaged: %2 >>>\n")
                          .arg(line.number)
                          .arg(line.damage));
    }
    return damaged ? ExitDamagedLines : ExitOk;
}

int RepairLogTool::checkLog(const QString &path)
{
    QVector<LogLine> lines;
    if (const int failed = openLines(path, &lines, output, QString()))
        return failed;
    const LogCheck check = ::checkLog(lines, rebuildTrees(lines));
    print(output, check.report());
    return check.intactAndComplete() ? ExitOk : ExitDamagedLines;
}

int RepairLogTool::showTrees(const QString &path)
{
    LoadedLog log;
    if (const int failed = load(path, &log))
        return failed;
    print(output, formatLogTrees(log.trees, log.check.valueNotes));
    if (log.check.intactAndComplete())
        return ExitOk;
    print(errors, log.check.report());
    return ExitDamagedLines;
}

int RepairLogTool::writeRegFile(const QString &path, const QString &hive, const QString &outputPath)
{
    LoadedLog log;
    if (const int failed = load(path, &log))
        return failed;
    QStringList leftOut;
    const QByteArray regFile = logTreesToRegFile(log.trees, hive, &leftOut);
    for (const QString &name : qAsConst(leftOut))
        print(errors,
              QStringLiteral("repairlog: left out of the .reg file with everything below it, "
                             "since a .reg file cannot hold its name: %1\n")
                      .arg(name));
    if (regFile.isEmpty()) {
        print(errors,
              QStringLiteral("repairlog: the .reg file does not read back as the keys and values "
                             "of the log's trees; nothing written\n"));
        return ExitUnusable;
    }
    if (outputPath.isEmpty()) {
        output->write(regFile);
    } else {
        QSaveFile file(outputPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(regFile) != regFile.size()
            || !file.commit()) {
            print(errors,
                  QStringLiteral("repairlog: cannot write %1: %2\n")
                          .arg(outputPath, file.errorString()));
            return ExitUnusable;
        }
    }
    if (!log.check.intactAndComplete())
        print(errors, log.check.report());
    return log.check.intactAndComplete() && leftOut.isEmpty() ? ExitOk : ExitDamagedLines;
}

int RepairLogTool::diffLogs(const QString &before, const QString &after)
{
    LoadedLog logs[2];
    const QString paths[2] = { before, after };
    for (int i = 0; i < 2; ++i) {
        if (const int failed = load(paths[i], &logs[i]))
            return failed;
    }
    QString differences;
    for (const LogValueChange &change : diffLogTrees(logs[0].trees, logs[1].trees)) {
        const QString name
                = visibleText(QStringLiteral("[%1] %2").arg(change.keyPath, change.quotedName));
        QString line;
        if (change.kind == LogValueChange::Removed)
            line = QStringLiteral("removed %1=\"%2\"").arg(name, visibleText(change.before));
        else if (change.kind == LogValueChange::Added)
            line = QStringLiteral("added   %1=\"%2\"").arg(name, visibleText(change.after));
        else
            line = QStringLiteral("changed %1=\"%2\", was \"%3\"")
                           .arg(name, visibleText(change.after), visibleText(change.before));
        const QStringList notes = uncertaintyOf(change, logs[0].check, logs[1].check);
        if (!notes.isEmpty())
            line += QStringLiteral(" ; ") + notes.join(QStringLiteral("; "));
        differences += line + QLatin1Char('\n');
    }
    print(output,
          differences.isEmpty() ? QStringLiteral("no values added, removed or changed\n")
                                : differences);
    int exitCode = ExitOk;
    for (int i = 0; i < 2; ++i) {
        if (!logs[i].check.intactAndComplete()) {
            print(errors, QStringLiteral("%1:\n%2").arg(paths[i], logs[i].check.report()));
            exitCode = ExitDamagedLines;
        }
    }
    return exitCode;
}

int RepairLogTool::sealLog()
{
    RepairCipher cipher(SupportLogKey);
    for (const QByteArray &line : splitLines(input->readAll()))
        print(output,
              cipher.encryptTextToBase64(QString::fromUtf8(line.constData(), line.size()))
                      + QLatin1Char('\n'));
    return ExitOk;
}

int RepairLogTool::usageError(const QString &message)
{
    print(errors,
          QStringLiteral("repairlog: %1\nTry 'repairlog --help' for more information.\n")
                  .arg(message));
    return ExitUnusable;
}
