#include "platform/standin/standinhivefile.h"

#include "platform/registry/registrypath.h"
#include "platform/standin/regfileformat.h"
#include "platform/standin/standinroot.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#endif

StandInHiveFile::StandInHiveFile(const QString &hive)
    : path(standInRoot() + QLatin1String("/registry/")
           + QString(hive).replace(QLatin1Char('\\'), QLatin1Char('/')) + QLatin1String(".reg"))
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

bool StandInHiveFile::Stamp::operator==(const Stamp &other) const
{
    return known == other.known && device == other.device && inode == other.inode
            && size == other.size && modified == other.modified && changed == other.changed;
}

bool StandInHiveFile::CachedFile::stampIsConclusive() const
{
    // Writes within one step of the file system's clock can leave the same times behind. A write
    // after the stamp was taken shows a later change time only if it came more than a step (and
    // a kernel clock tick, up to 10 ms) after the change the stamp shows. A fraction of a second
    // shows a file system that keeps hundredths or finer; whole seconds may come from one that
    // keeps whole or even two seconds (FAT, HFS+, ext3).
    const qint64 second = 1000000000;
    const qint64 settle = stamp.changed % second != 0 ? second / 10 : 3 * second;
    return stamp.known && checkedAt * 1000000 - stamp.changed > settle;
}

QList<StandInHiveFile::CachedFile> &StandInHiveFile::cache()
{
    static QList<CachedFile> files;
    return files;
}

StandInHiveFile::CachedFile *StandInHiveFile::cached(const QString &path)
{
    QList<CachedFile> &files = cache();
    for (CachedFile &file : files) {
        if (file.path == path)
            return &file;
    }
    return nullptr;
}

void StandInHiveFile::remember(const CachedFile &file)
{
    QList<CachedFile> &files = cache();
    for (int i = 0; i < files.size(); ++i) {
        if (files.at(i).path == file.path)
            files.removeAt(i--);
    }
    files.prepend(file);
    while (files.size() > 4)
        files.removeLast();
}

StandInHiveFile::Stamp StandInHiveFile::stampOf(const QString &path)
{
    Stamp stamp;
#ifdef Q_OS_LINUX
    // Not QFileInfo: it gives ms only, as local time, and each conversion makes the C library
    // read the time zone file again, at several times the cost of the stat.
    struct stat status;
    if (stat(QFile::encodeName(path).constData(), &status) == 0) {
        stamp.known = true;
        stamp.device = status.st_dev;
        stamp.inode = status.st_ino;
        stamp.size = status.st_size;
        stamp.modified = status.st_mtim.tv_sec * qint64(1000000000) + status.st_mtim.tv_nsec;
        stamp.changed = status.st_ctim.tv_sec * qint64(1000000000) + status.st_ctim.tv_nsec;
    }
#else
    Q_UNUSED(path)
#endif
    return stamp;
}

// Reading and comparing the whole file costs as much as the hive is large, and one step opens
// the hive for every key: a conclusive stamp of an unchanged file spares both.
void StandInHiveFile::load()
{
    const qint64 checkedAt = QDateTime::currentMSecsSinceEpoch();
    const Stamp stamp = stampOf(path);
    CachedFile *entry = cached(path);
    if (entry && entry->stamp == stamp && entry->stampIsConclusive()) {
        contents = entry->contents;
        return;
    }
    if (!QFileInfo::exists(path))
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(0, file.errorString());
        warn();
        return;
    }
    const QByteArray bytes = file.readAll();
    if (entry && entry->bytes == bytes) {
        contents = entry->contents;
        // Read later than before, the stamp may have become conclusive.
        entry->stamp = stamp;
        entry->checkedAt = checkedAt;
        return;
    }
    parse(bytes);
    warn();
    remember({ path, bytes, contents, stamp, checkedAt });
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
    const qint64 writtenAt = QDateTime::currentMSecsSinceEpoch();
    QSaveFile file(path);
    const bool written = QDir().mkpath(QFileInfo(path).absolutePath())
            && file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
            && file.write(bytes) == bytes.size() && file.commit();
    if (!written) {
        qWarning("%s: not written: %s", qUtf8Printable(QDir::toNativeSeparators(path)),
                 qUtf8Printable(file.errorString()));
        return false;
    }
    // Stamped after the write, so another program's write in between cannot pass for this
    // one: the stamp stays inconclusive until the next opening has compared the bytes.
    remember({ path, bytes, contents, stampOf(path), writtenAt });
    return true;
}

bool splitStandInPath(const QString &path, QString *hive, QStringList *keyPath)
{
    if (!splitRegistryPath(path, hive, keyPath))
        return false;
    if (*hive == QLatin1String("HKEY_USERS") && !keyPath->isEmpty())
        *hive += QLatin1Char('\\') + keyPath->takeFirst();
    return true;
}
