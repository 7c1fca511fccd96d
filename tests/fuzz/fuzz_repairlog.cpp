#include "fuzzinput.h"
#include "repairlog/logdiff.h"
#include "repairlog/loglines.h"
#include "repairlog/logtreeformat.h"
#include "repairlog/logtrees.h"
#include "repairlog/repairlogtool.h"
#include "supportlog/repaircipher.h"
#include "supportlog/supportlogkey.h"

#include <QBuffer>
#include <QByteArray>
#include <QStringList>
#include <QtEndian>

#include <cstdlib>

// Support's reader on logs sealed from mutated plaintexts, as an attacker seals them with the
// shipped key. Each input line is one log line: its first byte chooses how it is sealed, and
// marker bytes in it stand for what a forged log holds: names with line breaks and section
// headers, the dump's markers, depth, long runs. Every command runs in process; the .reg file
// must hold no section outside the maker's trees and none that deletes.

namespace {

const QByteArray userRoot = "HKEY_CURRENT_USER\\Software\\Kormand";
const QByteArray machineRoot = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand";

QByteArray expanded(const QByteArray &line)
{
    QByteArray text;
    for (const char c : line) {
        switch (c) {
        case '\x01':
            text += "\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]";
            break;
        case '\x02':
            text += "] + [";
            break;
        case '\x03':
            text += QByteArray("k/").repeated(300);
            break;
        case '\x04':
            text += "\n[-HKEY_CURRENT_USER\\Software]";
            break;
        case '\x05':
            text += QByteArray(1 << 16, 'A');
            break;
        case '\x06':
            text += userRoot;
            break;
        case '\x07':
            text += machineRoot;
            break;
        case '\x0e':
            text += "Mein Entry: ";
            break;
        case '\x0f':
            text += "====================================";
            break;
        default:
            text += c;
        }
    }
    return text;
}

// One file line from one input line: sealed as the tool seals it, compressed under a size
// prefix of the input's choice, with its zlib stream cut, or left as it is.
QByteArray fileLine(RepairCipher &cipher, const QByteArray &line)
{
    if (line.isEmpty())
        return line;
    const quint8 mode = quint8(line.at(0));
    // A lying size prefix takes the four bytes after the mode.
    const bool prefixed = mode % 4 == 1 && line.size() >= 5;
    QByteArray text = expanded(line.mid(prefixed ? 5 : 1));
    switch (mode % 4) {
    case 0:
        return cipher.encryptBytesToBase64(text).toLatin1();
    case 1:
    case 2: {
        QByteArray payload = qCompress(text, 9);
        if (prefixed)
            qToBigEndian(qFromBigEndian<quint32>(line.constData() + 1), payload.data());
        else if (mode % 4 == 2)
            payload.truncate(4 + (payload.size() - 4) * (mode >> 2) / 64);
        RepairCipher plain(SupportLogKey);
        plain.setCompressionPolicy(RepairCipher::CompressNever);
        QByteArray record = plain.encryptBytes(payload);
        record[1] = char(record.at(1) | RepairCipher::FlagCompressed);
        return record.toBase64();
    }
    default:
        return text;
    }
}

QByteArray run(const QStringList &arguments, const QByteArray &log)
{
    QByteArray input = log;
    QBuffer in(&input), out, errors;
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    errors.open(QIODevice::WriteOnly);
    RepairLogTool(&in, &out, &errors).run(QStringList(QStringLiteral("repairlog")) + arguments);
    return out.data();
}

void checkRegFile(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    const QString text = QString::fromUtf16(reinterpret_cast<const ushort *>(bytes.constData() + 2),
                                            (bytes.size() - 2) / 2);
    for (const QString &line : text.split(QStringLiteral("\r\n"))) {
        if (!line.startsWith(QLatin1Char('[')))
            continue;
        const QString path = line.mid(1, line.size() - 2);
        const bool inTrees = path.startsWith(QString::fromLatin1(userRoot), Qt::CaseInsensitive)
                || path.startsWith(QString::fromLatin1(machineRoot), Qt::CaseInsensitive);
        if (!inTrees || !line.endsWith(QLatin1Char(']')))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    dropQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzzInput(data, size);
    RepairCipher cipher(SupportLogKey);
    QByteArray log;
    for (const QByteArray &line : input.split('\n'))
        log += fileLine(cipher, line) + '\n';

    for (const char *command : { "open", "check", "tree" })
        run({ QString::fromLatin1(command), QStringLiteral("-") }, log);
    checkRegFile(run({ QStringLiteral("reg"), QStringLiteral("-") }, log));

    const LogTrees trees = rebuildTrees(openLogLines(log));
    // A log compared with itself has no changes.
    if (!diffLogTrees(trees, trees).isEmpty())
        std::abort();
    return 0;
}
