#ifndef HOSTILELOGS_H
#define HOSTILELOGS_H

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// Support logs as an attacker seals them with the key that ships in every copy of the tool:
// built from the dump's line forms and sealed with the tool's cipher, each an ordinary log but
// for one line.
namespace HostileLogs {

// The lines that open the current user's tree, and the machine's tree with no values, which
// closes a log.
QStringList userOpening();
QStringList machineTree();
// A genuine log of that many values of 40 characters in the current user's root.
QStringList ordinaryLog(int values);
// Such a log, sealed, of at least bytes bytes: an ordinary file of a forged one's size.
QByteArray ordinaryLogOfSize(qint64 bytes);
// A whole log of one value at the given depth below the hive, as the dump writes it: a line for
// it in the block of each key above it.
QStringList deepValueLog(int depth);

// One line sealed uncompressed, however well it would compress.
QByteArray sealedPlain(const QString &line);
// A sealed line flagged as compressed whose payload is qCompress's form of text followed by
// fill bytes 'A', its size prefix replaced by claimed; cut: the zlib stream cut in half.
QByteArray compressedLine(const QString &text, int fill, quint32 claimed, bool cut = false);
// A key line of the current user's tree whose value text is fill bytes long.
QString longValueLine(int fill);
// The key line of a value that many keys below the hive, in the root's block, the keys' names
// nameLength characters long.
QString deepValueLine(int depth, int nameLength = 1);
// A whole log whose key below the root is named name (a line break and a section header, say),
// with a value, and a key below that; a value named valueName beside it.
QStringList namedKeyLines(const QString &name, const QString &valueName = QStringLiteral("Pfad"));
// One sealed line, unterminated, between the current user's opening and the machine's tree.
QByteArray betweenTrees(const QByteArray &line);
// Two values at the registry's depth below keys named with 255 characters, each allowed.
QStringList deepestValues();
const QString RunKeyHeader
        = QStringLiteral("[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]");

// The forged logs that the benchmark measures and the Windows runs open, each a whole file.
struct AttackerLog
{
    QString name;
    QByteArray content;
};
QVector<AttackerLog> attackerLogs();

} // namespace HostileLogs

#endif // HOSTILELOGS_H
