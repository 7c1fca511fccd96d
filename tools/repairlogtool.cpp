#include "repairlogtool.h"

#include "supportlog/repaircipher.h"
#include "supportlog/supportlogkey.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

namespace {

// Lines of a log or of standard input: LF or CR LF ends, and a last line without an end counts.
QList<QByteArray> splitLines(const QByteArray &content)
{
    QList<QByteArray> lines = content.split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

bool isBase64(const QByteArray &line)
{
    static const QRegularExpression base64(QStringLiteral("^[A-Za-z0-9+/]+={0,2}$"));
    return line.size() % 4 == 0 && base64.match(QString::fromLatin1(line)).hasMatch();
}

// Opens one line of a log; on failure, says why in words.
QString openLine(RepairCipher &cipher, const QByteArray &line, QString *reason)
{
    if (!isBase64(line)) {
        *reason = QStringLiteral("not Base64");
        return QString();
    }
    const QByteArray record = QByteArray::fromBase64(line);
    const QString text = cipher.decryptBytesToText(record);
    switch (cipher.lastStatus()) {
    case RepairCipher::CipherOk:
        return text;
    case RepairCipher::CipherBadHeader:
        *reason = QStringLiteral("bad header");
        return QString();
    default:
        break;
    }
    // A record whose check holds when its compressed flag is taken away is intact but for the
    // compressed data.
    QByteArray uncompressed = record;
    uncompressed[1] = char(uncompressed.at(1) & ~RepairCipher::FlagCompressed);
    const bool compressed = uncompressed != record;
    cipher.decryptBytes(uncompressed);
    *reason = compressed && cipher.lastStatus() == RepairCipher::CipherOk
            ? QStringLiteral("corrupt compressed data")
            : QStringLiteral("integrity mismatch");
    return QString();
}

void print(QIODevice *device, const QString &text)
{
    device->write(text.toUtf8());
}

QString lineCount(int count)
{
    return count == 1 ? QStringLiteral("1 line") : QStringLiteral("%1 lines").arg(count);
}

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
            "RepairTool send.\n\n"
            "Commands:\n"
            "  open FILE   print the text of every line of the log, one per line (UTF-8)\n"
            "  check FILE  print only how many lines there are and which do not open\n"
            "  seal        read UTF-8 text lines from standard input and write them to\n"
            "              standard output as a log, as the RepairTool does\n\n"
            "Exit codes: 0 all lines open, 1 some lines do not open (reported on standard\n"
            "error), 2 the file cannot be read or the command line is wrong."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("open, check or seal"));
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

    const QStringList positional = parser.positionalArguments();
    const QString command = positional.value(0);
    if ((command == QLatin1String("open") || command == QLatin1String("check"))
        && positional.size() == 2)
        return readLog(positional.at(1), command == QLatin1String("open"));
    if (command == QLatin1String("seal") && positional.size() == 1)
        return sealLog();
    if (command.isEmpty())
        return usageError(QStringLiteral("No command given."));
    return usageError(QStringLiteral("Unknown command or wrong arguments: %1")
                              .arg(positional.join(QLatin1Char(' '))));
}

int RepairLogTool::readLog(const QString &path, bool printLines)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        print(errors,
              QStringLiteral("repairlog: cannot read %1: %2\n").arg(path, file.errorString()));
        return ExitUnusable;
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        print(errors,
              QStringLiteral("repairlog: cannot read %1: %2\n").arg(path, file.errorString()));
        return ExitUnusable;
    }

    RepairCipher cipher(SupportLogKey);
    const QList<QByteArray> lines = splitLines(content);
    QStringList failing;
    for (int i = 0; i < lines.size(); ++i) {
        QString reason;
        const QString text = openLine(cipher, lines.at(i).trimmed(), &reason);
        if (!reason.isEmpty()) {
            failing.append(QString::number(i + 1));
            if (printLines)
                print(errors, QStringLiteral("line %1: %2\n").arg(i + 1).arg(reason));
        } else if (printLines) {
            print(output, text + QLatin1Char('\n'));
        }
    }

    if (!printLines) {
        print(output,
              failing.isEmpty()
                      ? QStringLiteral("%1, all intact\n").arg(lineCount(lines.size()))
                      : QStringLiteral("%1, failing: %2\n")
                                .arg(lineCount(lines.size()), failing.join(QStringLiteral(", "))));
    }
    return failing.isEmpty() ? ExitOk : ExitDamagedLines;
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
