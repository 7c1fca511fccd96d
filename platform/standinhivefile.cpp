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
    tree.name = hive;
    readable = load();
    if (!readable) {
        tree = RegistryNode();
        tree.name = hive;
    }
}

bool StandInHiveFile::load()
{
    if (!QFileInfo::exists(path))
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(0, file.errorString());
    QString text;
    if (!decode(file.readAll(), &text))
        return false;
    if (text.contains(QLatin1String("\r\n")) || !text.contains(QLatin1Char('\n')))
        lineEnd = QStringLiteral("\r\n");
    else
        lineEnd = QStringLiteral("\n");
    int line = 0;
    QString why;
    return parseRegFile(text, &tree, &line, &why) || fail(line, why);
}

bool StandInHiveFile::decode(const QByteArray &bytes, QString *text)
{
    if (bytes.startsWith("\xff\xfe")) {
        encoding = Encoding::Utf16LeWithBom;
        *text = fromUtf16Le(bytes.mid(2));
        if (bytes.size() % 2)
            return fail(text->count(QLatin1Char('\n')) + 1,
                        QStringLiteral("odd number of bytes for UTF-16"));
        return true;
    }
    if (bytes.startsWith("\xfe\xff"))
        return fail(1, QStringLiteral("UTF-16 big endian is not supported"));
    encoding = bytes.startsWith("\xef\xbb\xbf") ? Encoding::Utf8WithBom : Encoding::Utf8;
    const QByteArray body = encoding == Encoding::Utf8WithBom ? bytes.mid(3) : bytes;
    // Lines are checked one by one so that a broken sequence can be named by its line.
    const QList<QByteArray> lines = body.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        if (QString::fromUtf8(lines.at(i)).toUtf8() != lines.at(i))
            return fail(i + 1, QStringLiteral("neither UTF-16LE with byte-order mark nor UTF-8"));
    }
    *text = QString::fromUtf8(body);
    return true;
}

bool StandInHiveFile::fail(int line, const QString &why)
{
    qWarning("%s:%d: %s; the hive is not read and will not be written",
             qUtf8Printable(QDir::toNativeSeparators(path)), line, qUtf8Printable(why));
    return false;
}

bool StandInHiveFile::save()
{
    if (!readable) {
        qWarning("%s: not written, the file could not be read",
                 qUtf8Printable(QDir::toNativeSeparators(path)));
        return false;
    }
    const QString text = formatRegFile(tree, lineEnd);
    QByteArray bytes;
    switch (encoding) {
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
    QSaveFile file(path);
    const bool written = QDir().mkpath(QFileInfo(path).absolutePath())
            && file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()
            && file.commit();
    if (!written)
        qWarning("%s: not written: %s", qUtf8Printable(QDir::toNativeSeparators(path)),
                 qUtf8Printable(file.errorString()));
    return written;
}
