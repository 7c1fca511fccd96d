#include "platform/files/heldfolder.h"

#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// O_NONBLOCK: a FIFO or device in a folder's place must not make the open wait.
const int FolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;

HeldFolder::Outcome outcomeOf(int error)
{
    switch (error) {
    case 0:
        return { HeldFolder::Outcome::Done, 0 };
    case ENOENT:
        return { HeldFolder::Outcome::Gone, error };
    case ENOTDIR:
    case ELOOP:
        return { HeldFolder::Outcome::NotAFolder, error };
    case EISDIR:
        return { HeldFolder::Outcome::IsAFolder, error };
    case ENOTEMPTY:
    case EEXIST:
        return { HeldFolder::Outcome::Busy, error };
    default:
        return { HeldFolder::Outcome::Failed, error };
    }
}

// One name inside a folder: anything else could reach outside it.
bool isPlainName(const QByteArray &name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/')
            && !name.contains('\0');
}

FileIdentity identityOf(const struct stat &status)
{
    FileIdentity identity;
    identity.valid = true;
    identity.volume = quint64(status.st_dev);
    identity.file = quint64(status.st_ino);
    return identity;
}

FileIdentity identityOfDescriptor(int descriptor)
{
    struct stat status;
    return ::fstat(descriptor, &status) == 0 ? identityOf(status) : FileIdentity();
}

// A folder that its owner made read-only keeps its entries even from the owner; the owner may
// make it writable again, through the descriptor.
bool makeWritable(int descriptor)
{
    struct stat status;
    const mode_t needed = S_IWUSR | S_IXUSR;
    if (::fstat(descriptor, &status) != 0 || status.st_uid != ::geteuid()
        || (status.st_mode & needed) == needed)
        return false;
    return ::fchmod(descriptor, (status.st_mode & 07777) | needed) == 0;
}

// unlinkat, once more after making the folder writable where that is what stood in the way.
int unlinkIn(int descriptor, const QByteArray &name, int flags)
{
    if (!isPlainName(name))
        return EINVAL;
    if (::unlinkat(descriptor, name.constData(), flags) == 0)
        return 0;
    int error = errno;
    if ((error == EACCES || error == EPERM) && makeWritable(descriptor))
        error = ::unlinkat(descriptor, name.constData(), flags) == 0 ? 0 : errno;
    return error;
}

} // namespace

HeldFolder::HeldFolder(HeldFolder &&other) noexcept
    : descriptor(other.descriptor)
{
    other.descriptor = -1;
}

HeldFolder &HeldFolder::operator=(HeldFolder &&other) noexcept
{
    if (this != &other) {
        close();
        descriptor = other.descriptor;
        other.descriptor = -1;
    }
    return *this;
}

HeldFolder::~HeldFolder()
{
    close();
}

void HeldFolder::close()
{
    if (descriptor >= 0)
        ::close(descriptor);
    descriptor = -1;
}

HeldFolder HeldFolder::open(const QString &path, Outcome *outcome)
{
    HeldFolder folder;
    folder.descriptor = ::open(QFile::encodeName(path).constData(), FolderFlags & ~O_NOFOLLOW);
    *outcome = outcomeOf(folder.descriptor >= 0 ? 0 : errno);
    return folder;
}

FileIdentity HeldFolder::identityOf(const QString &path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? ::identityOf(status)
                                                                     : FileIdentity();
}

HeldFolder::Name HeldFolder::nameOf(const QString &name)
{
    return QFile::encodeName(name);
}

QString HeldFolder::displayName(const Name &name)
{
    return QFile::decodeName(name);
}

bool HeldFolder::isSameName(const Name &one, const Name &other)
{
    return one == other;
}

bool HeldFolder::isValid() const
{
    return descriptor >= 0;
}

FileIdentity HeldFolder::identity() const
{
    return identityOfDescriptor(descriptor);
}

bool HeldFolder::isWithin(const FileIdentity &folder) const
{
    if (!folder.valid || descriptor < 0)
        return false;
    // Up through "..", one held folder at a time, until the root is its own parent.
    int current = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    FileIdentity identity = identityOfDescriptor(current);
    bool within = false;
    while (identity.valid && !within) {
        within = identity == folder;
        const int parent = ::openat(current, "..", FolderFlags);
        ::close(current);
        current = parent;
        const FileIdentity parentIdentity = identityOfDescriptor(current);
        identity = parentIdentity == identity ? FileIdentity() : parentIdentity;
    }
    if (current >= 0)
        ::close(current);
    return within;
}

HeldFolder HeldFolder::openFolder(const Name &name, Outcome *outcome) const
{
    HeldFolder folder;
    if (!isPlainName(name)) {
        *outcome = outcomeOf(EINVAL);
        return folder;
    }
    folder.descriptor = ::openat(descriptor, name.constData(), FolderFlags);
    *outcome = outcomeOf(folder.descriptor >= 0 ? 0 : errno);
    return folder;
}

QVector<HeldFolder::Entry> HeldFolder::entries(Outcome *outcome) const
{
    QVector<Entry> entries;
    // The stream takes its own descriptor; both share one position, which rewinddir resets.
    const int copy = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    DIR *stream = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!stream) {
        *outcome = outcomeOf(errno);
        if (copy >= 0)
            ::close(copy);
        return entries;
    }
    ::rewinddir(stream);
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(stream);
        if (!entry) {
            error = errno;
            break;
        }
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        entries.append({ name, entry->d_type == DT_DIR || entry->d_type == DT_UNKNOWN });
    }
    ::closedir(stream);
    *outcome = outcomeOf(error);
    return entries;
}

HeldFolder::Outcome HeldFolder::removeEntry(const Name &name) const
{
    return outcomeOf(unlinkIn(descriptor, name, 0));
}

HeldFolder::Outcome HeldFolder::removeFolder(const Name &name, HeldFolder &child) const
{
    child.close();
    const Outcome outcome = outcomeOf(unlinkIn(descriptor, name, AT_REMOVEDIR));
    // Something else in its place now: another look at the name sorts it out.
    if (outcome.kind == Outcome::NotAFolder)
        return { Outcome::Busy, outcome.error };
    return outcome;
}
