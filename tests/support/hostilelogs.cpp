#include "hostilelogs.h"

#include "supportlog/dumpnames.h"
#include "supportlog/registrydump.h"
#include "supportlog/repaircipher.h"
#include "supportlog/supportlogkey.h"

#include <QtEndian>

namespace HostileLogs {

namespace {

const QString userRoot = QStringLiteral("HKEY_CURRENT_USER\\Software\\Kormand");

QStringList treeOpening()
{
    return { dumpBlankLine(), dumpSeparator(), dumpRootHeader(userRoot) };
}

} // namespace

QStringList ordinaryLines()
{
    return treeOpening() << dumpKeyLine(
                   userRoot,
                   dumpRelativeKey({ QStringLiteral("Player") }, QStringLiteral("Volume")),
                   QStringLiteral("80"))
                         << dumpSeparator() << userRoot + QStringLiteral("\\Player")
                         << dumpKeyLine(userRoot + QStringLiteral("\\Player"),
                                        dumpRelativeKey({}, QStringLiteral("Volume")),
                                        QStringLiteral("80"));
}

QByteArray sealed(const QStringList &lines)
{
    RepairCipher cipher(SupportLogKey);
    QByteArray content;
    for (const QString &line : lines)
        content += cipher.encryptTextToBase64(line).toLatin1() + '\n';
    return content;
}

QByteArray compressedLine(const QString &text, int fill, quint32 claimed, bool cut)
{
    QByteArray plaintext = text.toUtf8();
    plaintext.append(QByteArray(fill, 'A'));
    QByteArray payload = qCompress(plaintext, 9);
    plaintext.clear();
    qToBigEndian(claimed, payload.data());
    if (cut)
        payload.truncate(4 + (payload.size() - 4) / 2);
    // The integrity block covers the payload as stored; the flags lie outside it.
    RepairCipher cipher(SupportLogKey);
    cipher.setCompressionPolicy(RepairCipher::CompressNever);
    QByteArray record = cipher.encryptBytes(payload);
    record[1] = char(record.at(1) | RepairCipher::FlagCompressed);
    return record.toBase64();
}

QString longValueLine(int fill)
{
    return dumpKeyLine(userRoot, dumpRelativeKey({}, QStringLiteral("Notiz")),
                       QString(fill, QLatin1Char('A')));
}

QString deepValueLine(int depth)
{
    // The root lies two keys below the hive.
    QStringList keys;
    for (int level = 2; level < depth; ++level)
        keys << QStringLiteral("k");
    return dumpKeyLine(userRoot, dumpRelativeKey(keys, QStringLiteral("Tief")),
                       QStringLiteral("1"));
}

QStringList namedKeyLines(const QString &name, const QString &valueName)
{
    const QString key = userRoot + QLatin1Char('\\') + dumpPathName(name);
    const QString below = QStringLiteral("Unter");
    return treeOpening()
            << dumpKeyLine(userRoot, dumpRelativeKey({}, valueName), QStringLiteral("x"))
            << dumpKeyLine(userRoot, dumpRelativeKey({ name }, QStringLiteral("updater")),
                           QStringLiteral("C:\\Users\\Public\\evil.exe"))
            << dumpKeyLine(userRoot, dumpRelativeKey({ name, below }, QStringLiteral("Tief")),
                           QStringLiteral("1"))
            << dumpSeparator() << key
            << dumpKeyLine(key, dumpRelativeKey({}, QStringLiteral("updater")),
                           QStringLiteral("C:\\Users\\Public\\evil.exe"))
            << dumpKeyLine(key, dumpRelativeKey({ below }, QStringLiteral("Tief")),
                           QStringLiteral("1"))
            << dumpBlankLine() << dumpSeparator()
            << dumpKeyLine(key + QLatin1Char('\\') + below,
                           dumpRelativeKey({}, QStringLiteral("Tief")), QStringLiteral("1"));
}

} // namespace HostileLogs
