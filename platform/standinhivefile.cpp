#include "standinhivefile.h"

#include "regfileformat.h"
#include "standinroot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

StandInHiveFile::StandInHiveFile(const QString &hive)
    : path(standInRoot() + QLatin1String("/registry/") + hive + QLatin1String(".reg"))
{
    contents.tree = std::make_shared<RegistryNode>();
    contents.tree->name = hive;
    load();
}

RegistryNode &StandInHiveFile::root()
{
    if (contents.tree.use_count() > 1)
        contents.tree = std::make_shared<RegistryNode>(*contents.tree);
    return *contents.tree;
}

QList<StandInHiveFile::CachedFile> &StandInHiveFile::cache()
{
    static QList<CachedFile> files;
    return files;
}

void StandInHiveFile::remember(const QString &path, const QByteArray &bytes,
                               const Contents &contents)
{
    QList<CachedFile> &files = cache();
    for (int i = 0; i < files.size(); ++i) {
        if (files.at(i).path == path)
            files.removeAt(i--);
    }
    files.prepend({ path, bytes, contents });
    while (files.size() > 4)
        files.removeLast();
}

void StandInHiveFile::load()
{
    if (!QFileInfo::exists(path))
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(0, file.errorString());
        warn();
        return;
    }
    const QByteArray bytes = file.readAll();
    for (const CachedFile &cached : qAsConst(cache())) {
        if (cached.path == path && cached.bytes == bytes) {
            contents = cached.contents;
            return;
        }
    }
    parse(bytes);
    warn();
    remember(path, bytes, contents);
}

void StandInHiveFile::parse(const QByteArray &bytes)
{
    QString text;
    if (!decode(bytes, &text))
        return;
    if (text.contains(QLatin1String("\r\n")) || !text.contains(QLatin1Char('\n')))
        contents.lineEnd = QStringLiteral("\r\n");
    else
        contents.lineEnd = QStringLiteral("\n");
    int line = 0;
    QString why;
    if (!parseRegFile(text, contents.tree.get(), &line, &why))
        fail(line, why);
}

bool StandInHiveFile::decode(const QByteArray &bytes, QString *text)
{
    if (bytes.startsWith("\xff\xfe")) {
        contents.encoding = Encoding::Utf16LeWithBom;
        *text = fromUtf16Le(bytes.mid(2));
        if (bytes.size() % 2 == 0)
            return true;
        fail(text->count(QLatin1Char('\n')) + 1, QStringLiteral("odd number of bytes for UTF-16"));
        return false;
    }
    if (bytes.startsWith("\xfe\xff")) {
        fail(1, QStringLiteral("UTF-16 big endian is not supported"));
        return false;
    }
    contents.encoding = bytes.startsWith("\xef\xbb\xbf") ? Encoding::Utf8WithBom : Encoding::Utf8;
    const QByteArray body = contents.encoding == Encoding::Utf8WithBom ? bytes.mid(3) : bytes;
    // Lines are checked one by one so that a broken sequence can be named by its line.
    const QList<QByteArray> lines = body.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        if (QString::fromUtf8(lines.at(i)).toUtf8() != lines.at(i)) {
            fail(i + 1, QStringLiteral("neither UTF-16LE with byte-order mark nor UTF-8"));
            return false;
        }
    }
    *text = QString::fromUtf8(body);
    return true;
}

void StandInHiveFile::fail(int line, const QString &why)
{
    const QString hive = contents.tree->name;
    contents.tree = std::make_shared<RegistryNode>();
    contents.tree->name = hive;
    contents.errorLine = line;
    contents.error = why;
}

void StandInHiveFile::warn() const
{
    if (isReadable())
        return;
    qWarning("%s:%d: %s; the hive is not read and will not be written",
             qUtf8Printable(QDir::toNativeSeparators(path)), contents.errorLine,
             qUtf8Printable(contents.error));
}

bool StandInHiveFile::save()
{
    if (!isReadable()) {
        qWarning("%s:%d: not written, the file cannot be read",
                 qUtf8Printable(QDir::toNativeSeparators(path)), contents.errorLine);
        return false;
    }
    const QString text = formatRegFile(*contents.tree, contents.lineEnd);
    QByteArray bytes;
    switch (contents.encoding) {
    case Encoding::Utf16LeWithBom:
        bytes = "\xff\xfe" + toUtf16Le(text);
        break;
    case Encoding::Utf8WithBom:
        bytes = "\xef\xbb\xbf" + text.toUtf8();
        break;
    case Encoding::Utf8:
        bytes = text.toUtf8();
        break;
    }
    // Unbuffered, a short write (full disk, size limit) shows in the count; buffered, the
    // toolkit would commit the truncated file as a success.
    QSaveFile file(path);
    const bool written = QDir().mkpath(QFileInfo(path).absolutePath())
            && file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
            && file.write(bytes) == bytes.size() && file.commit();
    if (!written) {
        qWarning("%s: not written: %s", qUtf8Printable(QDir::toNativeSeparators(path)),
                 qUtf8Printable(file.errorString()));
        return false;
    }
    remember(path, bytes, contents);
    return true;
}
