#include "repairlog/loglines.h"

#include "repairlog/boundedinflate.h"
#include "repairlog/loglimits.h"
#include "supportlog/repaircipher.h"
#include "supportlog/supportlogkey.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

bool isBase64(const QByteArray &line)
{
    static const QRegularExpression base64(QStringLiteral("^[A-Za-z0-9+/]+={0,2}$"));
    // Every byte counts: a NUL does not end the line.
    return line.size() % 4 == 0
            && base64.match(QString::fromLatin1(line.constData(), line.size())).hasMatch();
}

// Opens one line of a log; on failure, says why in words. The reader inflates a compressed
// payload itself, within the line's ceiling, whatever its size prefix claims.
QString openLine(RepairCipher &cipher, const QByteArray &line, QString *reason)
{
    // Base64 holds three bytes in four characters; a record carries at most 23 besides its data.
    if (line.size() > qint64(LogLimits::MaxLineBytes) / 3 * 4 + 32) {
        *reason = tooLong();
        return QString();
    }
    if (!isBase64(line)) {
        *reason = QStringLiteral("not Base64");
        return QString();
    }
    QByteArray record = QByteArray::fromBase64(line);
    // The flags lie outside the integrity block: without the compressed flag the record opens
    // to its payload as stored.
    const bool compressed = record.size() > 1 && (record.at(1) & RepairCipher::FlagCompressed);
    if (compressed)
        record[1] = char(record.at(1) & ~RepairCipher::FlagCompressed);
    QByteArray plaintext = cipher.decryptBytes(record);
    switch (cipher.lastStatus()) {
    case RepairCipher::CipherOk:
        break;
    case RepairCipher::CipherBadHeader:
        *reason = QStringLiteral("bad header");
        return QString();
    default:
        *reason = QStringLiteral("integrity mismatch");
        return QString();
    }
    if (compressed) {
        const BoundedInflate inflated = inflateBounded(plaintext, LogLimits::MaxLineBytes);
        if (inflated.outcome == BoundedInflate::TooLong) {
            *reason = tooLong();
            return QString();
        }
        if (inflated.outcome == BoundedInflate::Corrupt) {
            *reason = QStringLiteral("corrupt compressed data");
            return QString();
        }
        plaintext = inflated.data;
    } else if (plaintext.size() > LogLimits::MaxLineBytes) {
        *reason = tooLong();
        return QString();
    }
    return QString::fromUtf8(plaintext.constData(), plaintext.size());
}

} // namespace

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

struct LogLineOpener::State
{
    RepairCipher cipher{ SupportLogKey };
    RegistryLimitCheck limits;
    int lines = 0;
    qint64 bytes = 0;
};

LogLineOpener::LogLineOpener()
    : state(std::make_unique<State>())
{ }

LogLineOpener::~LogLineOpener() = default;

bool LogLineOpener::full() const
{
    return state->bytes > LogLimits::MaxLogBytes;
}

QVector<LogLine> LogLineOpener::open(const QByteArray &part)
{
    QVector<LogLine> lines;
    if (full())
        return lines;
    const QList<QByteArray> raw = splitLines(part);
    lines.reserve(raw.size());
    for (const QByteArray &line : raw) {
        LogLine opened;
        opened.number = ++state->lines;
        opened.text = openLine(state->cipher, line.trimmed(), &opened.damage);
        if (opened.damage.isEmpty())
            opened.damage = state->limits.check(opened.text);
        state->bytes += qMax(line.size(), opened.text.size()) + LogLimits::LineOverhead;
        if (full())
            opened.damage = QStringLiteral("too long for a support log: the lines from here on "
                                           "are not read");
        opened.intact = opened.damage.isEmpty();
        if (!opened.intact)
            opened.text.clear();
        lines.append(opened);
        if (full())
            break;
    }
    return lines;
}

QVector<LogLine> openLogLines(const QByteArray &content)
{
    return LogLineOpener().open(content);
}

QString notASupportLog(const QVector<LogLine> &lines)
{
    if (lines.isEmpty())
        return QStringLiteral("not a support log: the file is empty");
    if (std::any_of(lines.cbegin(), lines.cend(), [](const LogLine &line) { return line.intact; }))
        return QString();
    if (lines.size() == 1)
        return QStringLiteral("not a support log: its one line does not open with the tool's key");
    return QStringLiteral("not a support log: none of its %1 lines opens with the tool's key")
            .arg(lines.size());
}
