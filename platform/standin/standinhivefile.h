#ifndef STANDINHIVEFILE_H
#define STANDINHIVEFILE_H

#include "platform/registry/registrynode.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

// One hive of the stand-in registry: <standInRoot()>/registry/<hive>.reg in the Registry
// Editor's export format, UTF-16LE with byte-order mark or UTF-8; an account's hive
// "HKEY_USERS\<account>" is registry/HKEY_USERS/<account>.reg. A missing file is an empty
// hive. A file that cannot be read reads as empty and is never written; stderr names its line
// when it is read and at every refused write.
class StandInHiveFile
{
public:
    explicit StandInHiveFile(const QString &hive);

    QString fileName() const { return path; }
    bool isReadable() const { return contents.errorLine < 0; }
    RegistryNode &root();
    const RegistryNode &root() const { return *contents.tree; }

    // Replaces the file whole and atomically, in the encoding and line ends it was read with.
    bool save();

private:
    enum class Encoding { Utf8, Utf8WithBom, Utf16LeWithBom };

    // What one version of the file reads as. Trees are shared with a small cache of recently read
    // files, since one step opens the same hive for many keys, and copied before a change.
    struct Contents
    {
        std::shared_ptr<RegistryNode> tree;
        Encoding encoding = Encoding::Utf8;
        QString lineEnd = QStringLiteral("\r\n");
        // The line that could not be read (0 for the whole file), -1 when all could.
        int errorLine = -1;
        QString error;
    };

    // What the file system tells about one version of the file without reading it; times in ns
    // since the epoch. Known only where the stand-in is used in earnest (Linux).
    struct Stamp
    {
        bool known = false;
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modified = 0;
        // Set by every write and by replacing the file, and unlike the modification time
        // nobody can set it back.
        qint64 changed = 0;

        bool operator==(const Stamp &other) const;
    };

    struct CachedFile
    {
        QString path;
        QByteArray bytes;
        Contents contents;
        // The file's stamp, taken before bytes were read, and the clock (ms) just before that.
        Stamp stamp;
        qint64 checkedAt = 0;

        // True when a file still showing stamp must still hold bytes.
        bool stampIsConclusive() const;
    };

    static QList<CachedFile> &cache();
    static CachedFile *cached(const QString &path);
    static void remember(const CachedFile &file);
    static Stamp stampOf(const QString &path);

    void load();
    void parse(const QByteArray &bytes);
    bool decode(const QByteArray &bytes, QString *text);
    void fail(int line, const QString &why);
    void warn() const;

    QString path;
    Contents contents;
};

// The stand-in hive that holds the key at a full registry path, and the key's path within it.
// Each account's hive below HKEY_USERS is one of its own, "HKEY_USERS\<account>", as on Windows,
// where it is loaded there while its account is logged on.
bool splitStandInPath(const QString &path, QString *hive, QStringList *keyPath);

#endif // STANDINHIVEFILE_H
