#ifndef STANDINHIVEFILE_H
#define STANDINHIVEFILE_H

#include "registrynode.h"

#include <QString>

// One hive of the stand-in registry: <standInRoot()>/registry/<hive>.reg in the Registry
// Editor's export format, UTF-16LE with byte-order mark or UTF-8. A missing file is an empty
// hive. A file that cannot be read is reported once per load on stderr with its line, reads as
// empty and is never written.
class StandInHiveFile
{
public:
    explicit StandInHiveFile(const QString &hive);

    QString fileName() const { return path; }
    bool isReadable() const { return readable; }
    RegistryNode &root() { return tree; }
    const RegistryNode &root() const { return tree; }

    // Replaces the file whole and atomically, in the encoding and line ends it was read with.
    bool save();

private:
    enum class Encoding { Utf8, Utf8WithBom, Utf16LeWithBom };

    bool load();
    bool decode(const QByteArray &bytes, QString *text);
    bool fail(int line, const QString &why);

    QString path;
    RegistryNode tree;
    bool readable = true;
    Encoding encoding = Encoding::Utf8;
    QString lineEnd = QStringLiteral("\r\n");
};

#endif // STANDINHIVEFILE_H
