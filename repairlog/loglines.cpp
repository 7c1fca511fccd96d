#include "repairlog/loglines.h"

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

QVector<LogLine> openLogLines(const QByteArray &content)
{
    RepairCipher cipher(SupportLogKey);
    const QList<QByteArray> raw = splitLines(content);
    QVector<LogLine> lines;
    lines.reserve(raw.size());
    for (const QByteArray &line : raw) {
        LogLine opened;
        opened.number = lines.size() + 1;
        opened.text = openLine(cipher, line.trimmed(), &opened.damage);
        opened.intact = opened.damage.isEmpty();
        lines.append(opened);
    }
    return lines;
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
