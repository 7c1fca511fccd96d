#include "links.h"

#ifdef Q_OS_WIN
#include <QDir>

#include <qt_windows.h>
#else
#include <QFileInfo>
#endif

bool isLink(const QString &path)
{
#ifdef Q_OS_WIN
    // Qt 5.12 sees junctions as plain folders; the reparse-point attribute marks every kind.
    const DWORD attributes = GetFileAttributesW(
            reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()));
    return attributes == INVALID_FILE_ATTRIBUTES
            || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
#else
    return QFileInfo(path).isSymLink();
#endif
}
