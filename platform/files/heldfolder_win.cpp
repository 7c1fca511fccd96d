#include "platform/files/heldfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <qt_windows.h>
#include <winternl.h>

#include <atomic>
#include <vector>

namespace {

// Documented numbers that the tool chain's headers declare only for newer Windows versions than
// the toolkit builds for, or leave to drivers.
constexpr NTSTATUS ntStatus(unsigned long value)
{
    return static_cast<NTSTATUS>(value);
}
constexpr NTSTATUS StatusNotImplemented = ntStatus(0xC0000002);
constexpr NTSTATUS StatusInvalidInfoClass = ntStatus(0xC0000003);
constexpr NTSTATUS StatusInvalidParameter = ntStatus(0xC000000D);
constexpr NTSTATUS StatusObjectNameInvalid = ntStatus(0xC0000033);
constexpr NTSTATUS StatusObjectNameNotFound = ntStatus(0xC0000034);
constexpr NTSTATUS StatusObjectPathNotFound = ntStatus(0xC000003A);
constexpr NTSTATUS StatusSharingViolation = ntStatus(0xC0000043);
constexpr NTSTATUS StatusDeletePending = ntStatus(0xC0000056);
constexpr NTSTATUS StatusFileIsADirectory = ntStatus(0xC00000BA);
constexpr NTSTATUS StatusNotSupported = ntStatus(0xC00000BB);
constexpr NTSTATUS StatusDirectoryNotEmpty = ntStatus(0xC0000101);
constexpr NTSTATUS StatusNotADirectory = ntStatus(0xC0000103);
constexpr NTSTATUS StatusFileDeleted = ntStatus(0xC0000123);

constexpr auto FileDispositionInformationClass = FILE_INFORMATION_CLASS(13);
constexpr auto FileDispositionInformationExClass = FILE_INFORMATION_CLASS(64);

struct DispositionInformation
{
    BOOLEAN deleteFile;
};

struct DispositionInformationEx
{
    ULONG flags;
};
constexpr ULONG DispositionDelete = 0x00000001;
constexpr ULONG DispositionPosixSemantics = 0x00000002;
constexpr ULONG DispositionIgnoreReadOnlyAttribute = 0x00000010;

constexpr ULONG ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr ACCESS_MASK FolderAccess
        = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
// Clearing the read-only attribute needs FILE_WRITE_ATTRIBUTES, deleting DELETE.
constexpr ACCESS_MASK RemovalAccess = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;

const wchar_t *wide(const QString &text)
{
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

// The \\?\ form reaches past MAX_PATH and takes the path as it is.
QString longPath(const QString &path)
{
    const QString native
            = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (native.startsWith(QLatin1String("\\\\?\\")))
        return native;
    return native.startsWith(QLatin1String("\\\\")) ? QLatin1String("\\\\?\\UNC\\") + native.mid(2)
                                                    : QLatin1String("\\\\?\\") + native;
}

HeldFolder::Outcome outcomeOf(NTSTATUS status)
{
    const int error = int(RtlNtStatusToDosError(status));
    if (NT_SUCCESS(status))
        return { HeldFolder::Outcome::Done, 0 };
    switch (status) {
    case StatusObjectNameNotFound:
    case StatusObjectPathNotFound:
    case StatusDeletePending:
    case StatusFileDeleted:
        return { HeldFolder::Outcome::Gone, error };
    case StatusSharingViolation:
    case StatusDirectoryNotEmpty:
        return { HeldFolder::Outcome::Busy, error };
    case StatusNotADirectory:
        return { HeldFolder::Outcome::NotAFolder, error };
    case StatusFileIsADirectory:
        return { HeldFolder::Outcome::IsAFolder, error };
    default:
        return { HeldFolder::Outcome::Failed, error };
    }
}

HeldFolder::Outcome outcomeOfLastError()
{
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return { HeldFolder::Outcome::Gone, int(error) };
    return { HeldFolder::Outcome::Failed, int(error) };
}

// One name inside a folder: anything else could reach outside it or into a stream.
bool isPlainName(const QString &name)
{
    return !name.isEmpty() && name.size() < 32768 && name != QLatin1String(".")
            && name != QLatin1String("..") && !name.contains(QLatin1Char('\\'))
            && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char(':'))
            && !name.contains(QChar(0));
}

// Whether an open handle is a folder that is no reparse point; the listing may be stale.
bool isPlainFolder(HANDLE handle)
{
    FILE_ATTRIBUTE_TAG_INFO tag;
    return GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag)
            && (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            && !(tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Whether a folder just opened is one to hold; closes it when not.
bool isKeptAsFolder(HANDLE opened, HeldFolder::Outcome *outcome)
{
    if (isPlainFolder(opened))
        return true;
    CloseHandle(opened);
    *outcome = { HeldFolder::Outcome::NotAFolder, ERROR_DIRECTORY };
    return false;
}

// Opens name relative to the folder held by parent; a reparse point is opened as itself.
NTSTATUS openRelative(HANDLE parent, const QString &name, ACCESS_MASK access, ULONG options,
                      HANDLE *opened)
{
    *opened = INVALID_HANDLE_VALUE;
    if (!isPlainName(name))
        return StatusObjectNameInvalid;
    UNICODE_STRING objectName;
    objectName.Buffer = const_cast<PWSTR>(wide(name));
    objectName.Length = USHORT(name.size() * sizeof(wchar_t));
    objectName.MaximumLength = objectName.Length;
    // OBJ_DONT_REPARSE stops at any reparse point on the way; systems before Windows 10 1607
    // refuse the flag as an invalid parameter, and then the open goes without it.
    static std::atomic<bool> dontReparseTaken{ true };
    for (;;) {
        const bool dontReparse = dontReparseTaken.load();
        OBJECT_ATTRIBUTES attributes;
        InitializeObjectAttributes(&attributes, &objectName,
                                   OBJ_CASE_INSENSITIVE | (dontReparse ? OBJ_DONT_REPARSE : 0),
                                   parent, nullptr);
        IO_STATUS_BLOCK io;
        HANDLE handle = nullptr;
        const NTSTATUS status
                = NtOpenFile(&handle, access | SYNCHRONIZE, &attributes, &io, ShareAll,
                             options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT
                                     | FILE_OPEN_FOR_BACKUP_INTENT);
        if (status == StatusInvalidParameter && dontReparse) {
            dontReparseTaken = false;
            continue;
        }
        if (NT_SUCCESS(status))
            *opened = handle;
        return status;
    }
}

// Whether the POSIX disposition is not to be had here: before Windows 10 1607 (1809 for the
// read-only flag), on file systems other than NTFS, and on Wine.
bool needsClassicDisposition(NTSTATUS status)
{
    return status == StatusNotImplemented || status == StatusInvalidInfoClass
            || status == StatusInvalidParameter || status == StatusNotSupported;
}

// Marks the entry held by handle for deletion: under POSIX semantics its name goes at once.
NTSTATUS deleteThrough(HANDLE handle)
{
    IO_STATUS_BLOCK io;
    DispositionInformationEx posix{ DispositionDelete | DispositionPosixSemantics
                                    | DispositionIgnoreReadOnlyAttribute };
    NTSTATUS status = NtSetInformationFile(handle, &io, &posix, sizeof posix,
                                           FileDispositionInformationExClass);
    if (!needsClassicDisposition(status))
        return status;

    // The classic disposition refuses read-only entries. The attribute belongs to the file, not
    // to this name of it, so it is only cleared where no other link shares it.
    FILE_BASIC_INFO basic;
    FILE_STANDARD_INFO standard;
    bool cleared = false;
    if (GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic)
        && (basic.FileAttributes & FILE_ATTRIBUTE_READONLY)
        && GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard)
        && standard.NumberOfLinks == 1) {
        FILE_BASIC_INFO writable = {}; // times of zero stay as they are
        writable.FileAttributes = basic.FileAttributes & ~DWORD(FILE_ATTRIBUTE_READONLY);
        if (writable.FileAttributes == 0)
            writable.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        cleared = SetFileInformationByHandle(handle, FileBasicInfo, &writable, sizeof writable);
    }
    DispositionInformation classic{ TRUE };
    status = NtSetInformationFile(handle, &io, &classic, sizeof classic,
                                  FileDispositionInformationClass);
    if (!NT_SUCCESS(status) && cleared) {
        FILE_BASIC_INFO readOnly = {};
        readOnly.FileAttributes = basic.FileAttributes;
        SetFileInformationByHandle(handle, FileBasicInfo, &readOnly, sizeof readOnly);
    }
    return status;
}

FileIdentity identityOfHandle(HANDLE handle)
{
    FileIdentity identity;
    BY_HANDLE_FILE_INFORMATION information;
    if (handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle, &information)) {
        identity.valid = true;
        identity.volume = information.dwVolumeSerialNumber;
        identity.file = (quint64(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    }
    return identity;
}

FileIdentity identityOfNativePath(const QString &nativePath)
{
    const HANDLE handle = CreateFileW(wide(nativePath), FILE_READ_ATTRIBUTES, ShareAll, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const FileIdentity identity = identityOfHandle(handle);
    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
    return identity;
}

} // namespace

HeldFolder::HeldFolder(HeldFolder &&other) noexcept
    : handle(other.handle)
{
    other.handle = nullptr;
}

HeldFolder &HeldFolder::operator=(HeldFolder &&other) noexcept
{
    if (this != &other) {
        close();
        handle = other.handle;
        other.handle = nullptr;
    }
    return *this;
}

HeldFolder::~HeldFolder()
{
    close();
}

void HeldFolder::close()
{
    if (handle)
        CloseHandle(handle);
    handle = nullptr;
}

HeldFolder HeldFolder::open(const QString &path, Outcome *outcome)
{
    HeldFolder folder;
    const HANDLE opened = CreateFileW(wide(longPath(path)), FolderAccess, ShareAll, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        *outcome = outcomeOfLastError();
        return folder;
    }
    *outcome = { Outcome::Done, 0 };
    if (isKeptAsFolder(opened, outcome))
        folder.handle = opened;
    return folder;
}

FileIdentity HeldFolder::identityOf(const QString &path)
{
    return identityOfNativePath(longPath(path));
}

HeldFolder::Name HeldFolder::nameOf(const QString &name)
{
    return name;
}

QString HeldFolder::displayName(const Name &name)
{
    return name;
}

bool HeldFolder::isSameName(const Name &one, const Name &other)
{
    return one.compare(other, Qt::CaseInsensitive) == 0;
}

bool HeldFolder::isValid() const
{
    return handle != nullptr;
}

FileIdentity HeldFolder::identity() const
{
    return handle ? identityOfHandle(handle) : FileIdentity();
}

bool HeldFolder::isWithin(const FileIdentity &folder) const
{
    if (!folder.valid || !handle)
        return false;
    // The folders above, from the system's own name for what is held; no handle reaches "..".
    std::vector<wchar_t> buffer(32768);
    const DWORD length = GetFinalPathNameByHandleW(handle, buffer.data(), DWORD(buffer.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= buffer.size())
        return false;
    QString path = QString::fromWCharArray(buffer.data(), int(length));
    for (;;) {
        if (identityOfNativePath(path) == folder)
            return true;
        const int cut = path.lastIndexOf(QLatin1Char('\\'));
        if (cut < 0 || cut == path.size() - 1)
            return false;
        path.truncate(cut);
        // A drive's own folder is named with its separator ("C:\").
        if (path.endsWith(QLatin1Char(':')))
            path += QLatin1Char('\\');
    }
}

HeldFolder HeldFolder::openFolder(const Name &name, Outcome *outcome) const
{
    HeldFolder folder;
    HANDLE opened;
    const NTSTATUS status = openRelative(handle, name, FolderAccess | RemovalAccess,
                                         FILE_DIRECTORY_FILE, &opened);
    *outcome = outcomeOf(status);
    if (!NT_SUCCESS(status))
        return folder;
    if (isKeptAsFolder(opened, outcome))
        folder.handle = opened;
    return folder;
}

QVector<HeldFolder::Entry> HeldFolder::entries(Outcome *outcome) const
{
    QVector<Entry> entries;
    // 64 KiB of 8-byte-aligned room, as the entries' fields require.
    std::vector<quint64> buffer(8192);
    FILE_INFO_BY_HANDLE_CLASS listing = FileIdBothDirectoryRestartInfo;
    for (;;) {
        if (!GetFileInformationByHandleEx(handle, listing, buffer.data(),
                                          DWORD(buffer.size() * sizeof(quint64)))) {
            const DWORD error = GetLastError();
            *outcome = error == ERROR_NO_MORE_FILES ? Outcome{ Outcome::Done, 0 }
                                                    : Outcome{ Outcome::Failed, int(error) };
            return entries;
        }
        listing = FileIdBothDirectoryInfo;
        const char *position = reinterpret_cast<const char *>(buffer.data());
        for (;;) {
            const auto *info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO *>(position);
            const QString name
                    = QString::fromWCharArray(info->FileName, int(info->FileNameLength / 2));
            if (name != QLatin1String(".") && name != QLatin1String(".."))
                entries.append(
                        { name,
                          (info->FileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                                  && !(info->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) });
            if (info->NextEntryOffset == 0)
                break;
            position += info->NextEntryOffset;
        }
    }
}

HeldFolder::Outcome HeldFolder::removeEntry(const Name &name) const
{
    HANDLE opened;
    NTSTATUS status = openRelative(handle, name, RemovalAccess, 0, &opened);
    if (!NT_SUCCESS(status))
        return outcomeOf(status);
    if (isPlainFolder(opened)) {
        CloseHandle(opened);
        return { Outcome::IsAFolder, ERROR_DIRECTORY };
    }
    status = deleteThrough(opened);
    CloseHandle(opened);
    return outcomeOf(status);
}

HeldFolder::Outcome HeldFolder::removeFolder(const Name &, HeldFolder &child) const
{
    const NTSTATUS status = deleteThrough(child.handle);
    // With the classic disposition the folder goes when this last handle closes.
    child.close();
    return outcomeOf(status);
}
