#include "hostilelogs.h"

#include "sealedlog.h"
#include "supportlog/dumpnames.h"
#include "supportlog/registrydump.h"
#include "supportlog/repaircipher.h"
#include "supportlog/supportlogkey.h"

#include <QMap>
#include <QtEndian>

namespace HostileLogs {

namespace {

// The names of the keys on the way from the root to a value that deep below the hive, which
// lies two keys above the root.
QStringList keysDownTo(int depth, int nameLength = 1)
{
    QStringList keys;
    for (int level = 2; level < depth; ++level)
        keys << QString(nameLength, QLatin1Char('k'));
    return keys;
}

const QString userRoot = QStringLiteral("HKEY_CURRENT_USER\\Software\\Kormand");
const QString deepName = QStringLiteral("Tief");

} // namespace

QStringList userOpening()
{
    return { dumpBlankLine(), dumpSeparator(), dumpRootHeader(userRoot) };
}

QStringList machineTree()
{
    return { dumpBlankLine(), dumpSeparator(), dumpRootHeader(dumpRootPaths().at(1)) };
}

QStringList ordinaryLog(int values)
{
    QStringList lines = userOpening();
    for (int i = 0; i < values; ++i)
        lines << dumpKeyLine(
                userRoot,
                dumpRelativeKey({}, QStringLiteral("Wert%1").arg(i, 8, 10, QLatin1Char('0'))),
                QString(40, QLatin1Char('a' + i % 26)));
    return lines + machineTree();
}

QByteArray ordinaryLogOfSize(qint64 bytes)
{
    const int lineSize = sealedLog({ longValueLine(40) }).size();
    return sealedLog(ordinaryLog(int(bytes / lineSize) + 1));
}

QString deepValueLine(int depth, int nameLength)
{
    return dumpKeyLine(userRoot, dumpRelativeKey(keysDownTo(depth, nameLength), deepName),
                       QStringLiteral("1"));
}

QStringList deepValueLog(int depth)
{
    const QStringList keys = keysDownTo(depth);
    QStringList lines = userOpening() << deepValueLine(depth);
    QString path = userRoot;
    for (int level = 1; level <= keys.size(); ++level) {
        path += QStringLiteral("\\k");
        if (level == 1)
            lines << dumpSeparator() << path;
        else
            lines << dumpBlankLine() << dumpSeparator();
        lines << dumpKeyLine(path, dumpRelativeKey(keys.mid(level), deepName), QStringLiteral("1"));
    }
    return lines + machineTree();
}

QByteArray sealedPlain(const QString &line)
{
    RepairCipher cipher(SupportLogKey);
    cipher.setCompressionPolicy(RepairCipher::CompressNever);
    return cipher.encryptTextToBase64(line).toLatin1();
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

QStringList namedKeyLines(const QString &name, const QString &valueName)
{
    const QString key = userRoot + QLatin1Char('\\') + dumpPathName(name);
    const QString below = QStringLiteral("Unter");
    const QString evil = QStringLiteral("C:\\Users\\Public\\evil.exe");
    // A block lists every value below its key, sorted as the dump sorts them.
    QMap<QString, QString> rootValues;
    rootValues.insert(dumpRelativeKey({}, valueName), QStringLiteral("x"));
    rootValues.insert(dumpRelativeKey({ name }, QStringLiteral("updater")), evil);
    rootValues.insert(dumpRelativeKey({ name, below }, deepName), QStringLiteral("1"));
    QStringList lines = userOpening();
    for (auto value = rootValues.cbegin(); value != rootValues.cend(); ++value)
        lines << dumpKeyLine(userRoot, value.key(), value.value());
    return lines << dumpSeparator() << key
                 << dumpKeyLine(key, dumpRelativeKey({ below }, deepName), QStringLiteral("1"))
                 << dumpKeyLine(key, dumpRelativeKey({}, QStringLiteral("updater")), evil)
                 << dumpBlankLine() << dumpSeparator()
                 << dumpKeyLine(key + QLatin1Char('\\') + below, dumpRelativeKey({}, deepName),
                                QStringLiteral("1"))
                 << machineTree();
}

QByteArray betweenTrees(const QByteArray &line)
{
    return sealedLog(userOpening()) + line + '\n' + sealedLog(machineTree());
}

QStringList deepestValues()
{
    const QString deepest = deepValueLine(512, 255);
    return { deepest,
             QString(deepest).replace(QStringLiteral("/Tief]"), QStringLiteral("/Tieg]")) };
}

QVector<AttackerLog> attackerLogs()
{
    QVector<AttackerLog> logs;
    // These are compressed from the whole text at once, which a 32-bit process has no room for:
    // there they come from the 64-bit writer (hostilelogwriter) instead.
    if (sizeof(void *) > 4) {
        const QString lineStart = longValueLine(0);
        const QByteArray line256 = compressedLine(lineStart, 256 << 20, 256 << 20);
        logs = {
            { QStringLiteral("line opening to 1 GiB"),
              betweenTrees(compressedLine(lineStart, 1 << 30, 1000)) },
            { QStringLiteral("one line of 256 MiB"), betweenTrees(line256) },
            { QStringLiteral("eight lines of 256 MiB"),
              betweenTrees(QByteArray(line256 + '\n').repeated(7) + line256) },
        };
    }
    for (const int depth : { 100000, 10000 })
        logs.append({ QStringLiteral("value %1 keys deep").arg(depth),
                      sealedLog(userOpening() << deepValueLine(depth) << machineTree()) });
    logs.append({ QStringLiteral("two values 512 keys deep below names of 255 characters"),
                  sealedLog(userOpening() + deepestValues() + machineTree()) });
    logs.append({ QStringLiteral("key name with a line break and the Run key's header"),
                  sealedLog(namedKeyLines(QStringLiteral("x\r\n") + RunKeyHeader)) });
    logs.append({ QStringLiteral("key name with a line break and a header that deletes"),
                  sealedLog(namedKeyLines(
                          QStringLiteral("x\n[-HKEY_CURRENT_USER\\Software\\Wine]"))) });
    logs.append({ QStringLiteral("value name with a line break and a value"),
                  sealedLog(namedKeyLines(QStringLiteral("Player"),
                                          QStringLiteral("Pfad\r\n") + RunKeyHeader
                                                  + QStringLiteral("\r\n\"updater\"=\"evil\""))) });
    return logs;
}

} // namespace HostileLogs
