#include "junction.h"

#ifdef Q_OS_WIN
#include <QDir>

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <vector>

namespace {

// The mount-point form of REPARSE_DATA_BUFFER, which the system headers leave to drivers.
struct MountPointReparseBuffer
{
    DWORD reparseTag;
    WORD reparseDataLength;
    WORD reserved;
    WORD substituteNameOffset;
    WORD substituteNameLength;
    WORD printNameOffset;
    WORD printNameLength;
    WCHAR pathBuffer[1];
};

const wchar_t *wide(const QString &text)
{
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

} // namespace

bool makeJunction(const QString &link, const QString &target, QString *why)
{
    const QString nativeLink = QDir::toNativeSeparators(QDir(link).absolutePath());
    const QString printName = QDir::toNativeSeparators(QDir(target).absolutePath());
    const QString substituteName = QStringLiteral("\\??\\") + printName;
    if (!CreateDirectoryW(wide(nativeLink), nullptr)) {
        *why = QStringLiteral("cannot make the folder %1 (error %2)")
                       .arg(nativeLink)
                       .arg(GetLastError());
        return false;
    }

    // The names follow each other in the path buffer, each with its terminating null.
    const int substituteBytes = substituteName.size() * 2;
    const int printBytes = printName.size() * 2;
    const int dataLength = 4 * sizeof(WORD) + substituteBytes + 2 + printBytes + 2;
    std::vector<char> buffer(offsetof(MountPointReparseBuffer, substituteNameOffset) + dataLength);
    auto *reparse = reinterpret_cast<MountPointReparseBuffer *>(buffer.data());
    reparse->reparseTag = IO_REPARSE_TAG_MOUNT_POINT;
    reparse->reparseDataLength = WORD(dataLength);
    reparse->substituteNameOffset = 0;
    reparse->substituteNameLength = WORD(substituteBytes);
    reparse->printNameOffset = WORD(substituteBytes + 2);
    reparse->printNameLength = WORD(printBytes);
    char *names = reinterpret_cast<char *>(reparse->pathBuffer);
    std::memcpy(names, substituteName.utf16(), substituteBytes);
    std::memcpy(names + substituteBytes + 2, printName.utf16(), printBytes);

    const HANDLE handle
            = CreateFileW(wide(nativeLink), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    DWORD error = GetLastError();
    bool made = false;
    if (handle != INVALID_HANDLE_VALUE) {
        DWORD returned = 0;
        made = DeviceIoControl(handle, FSCTL_SET_REPARSE_POINT, buffer.data(), DWORD(buffer.size()),
                               nullptr, 0, &returned, nullptr);
        error = GetLastError();
        CloseHandle(handle);
    }
    if (!made) {
        RemoveDirectoryW(wide(nativeLink));
        *why = QStringLiteral("the file system takes no junction here (error %1)").arg(error);
    }
    return made;
}

#else

bool makeJunction(const QString &, const QString &, QString *why)
{
    *why = QStringLiteral("junctions exist only on Windows");
    return false;
}

#endif
