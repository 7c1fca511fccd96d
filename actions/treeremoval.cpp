#include "treeremoval.h"

#include "platform/links.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

void removeEntry(const QString &path, const QFileInfo &keep)
{
    if (isLink(path)) {
        // On Windows a link to a folder is a folder entry and goes with rmdir.
        if (!QFile::remove(path))
            QDir().rmdir(path);
        return;
    }
    const QFileInfo info(path);
    if (!info.exists())
        return;
    if (!info.isDir()) {
        // Windows refuses to delete a read-only file.
        if (!QFile::remove(path) && !(info.permissions() & QFile::WriteUser)
            && QFile::setPermissions(path, info.permissions() | QFile::WriteUser))
            QFile::remove(path);
        return;
    }
    if (info == keep)
        return;
    const QStringList names = QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot
                                                   | QDir::Hidden | QDir::System);
    for (const QString &name : names)
        removeEntry(path + QLatin1Char('/') + name, keep);
    QDir().rmdir(path);
}

} // namespace

void removeTree(const QString &path, const QString &keep)
{
    removeEntry(path, QFileInfo(keep));
}
