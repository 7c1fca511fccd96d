#include "links.h"

#include <QFileInfo>

#ifdef Q_OS_WIN
#include <QDir>

#include <qt_windows.h>
#endif

bool isLink(const QString &path)
{
#ifdef Q_OS_WIN
    // The \\?\ form reaches past MAX_PATH, as the toolkit's own file calls do.
    QString native = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    native = native.startsWith(QLatin1String("\\\\"))
            ? QLatin1String("\\\\?\\UNC\\") + native.mid(2)
            : QLatin1String("\\\\?\\") + native;
    // Qt 5.12 sees junctions as plain folders; the reparse-point attribute marks every kind.
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<const wchar_t *>(native.utf16()));
    return attributes == INVALID_FILE_ATTRIBUTES
            || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
#else
    return QFileInfo(path).isSymLink();
#endif
}
