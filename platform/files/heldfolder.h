#ifndef HELDFOLDER_H
#define HELDFOLDER_H

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QtGlobal>

// Which file an open handle or descriptor stands for, however its path is spelled: the volume
// (device) and the file's number on it.
struct FileIdentity
{
    bool valid = false;
    quint64 volume = 0;
    quint64 file = 0;

    bool operator==(const FileIdentity &other) const
    {
        return valid && other.valid && volume == other.volume && file == other.file;
    }
};

// A folder held open (a handle on Windows, a descriptor elsewhere). Everything inside it is
// reached relative to what is held and one name at a time, never by a path looked up again, so
// renaming or replacing a folder above or beside it cannot lead the caller somewhere else. No
// call follows a link (symbolic link, junction, any other reparse point) inside the folder.
class HeldFolder
{
public:
    // An entry's name as the system spells it: the bytes on Linux, UTF-16 on Windows.
#ifdef Q_OS_WIN
    using Name = QString;
#else
    using Name = QByteArray;
#endif

    // How a call went. error is the system's error code (errno, or a Windows error code).
    struct Outcome
    {
        enum Kind {
            Done,
            Gone,       // no such entry (any more), or its deletion is already pending
            NotAFolder, // a file, a link or anything else that is not to be entered
            IsAFolder,  // a plain folder where none was expected
            Busy,       // in use or not empty just now: worth another try
            Failed
        };
        Kind kind = Done;
        int error = 0;
    };

    struct Entry
    {
        Name name;
        // Listed as a folder that is no link, or listed without its kind: to be opened as a
        // folder first. Opening it checks again.
        bool mayBeFolder;
    };

    HeldFolder() = default;
    HeldFolder(HeldFolder &&other) noexcept;
    HeldFolder &operator=(HeldFolder &&other) noexcept;
    ~HeldFolder();

    // Opens the folder at path, links on the way to it and in its own place followed: a known
    // folder may be a link that its owner set. Below it, nothing is followed.
    static HeldFolder open(const QString &path, Outcome *outcome);
    // The identity of the folder at path, links followed; not valid where it cannot be read.
    static FileIdentity identityOf(const QString &path);
    static Name nameOf(const QString &name);
    static QString displayName(const Name &name);
    // Whether two names name the same entry of a folder, as the system compares them.
    static bool isSameName(const Name &one, const Name &other);

    bool isValid() const;
    FileIdentity identity() const;
    // True when this folder is the one with the given identity or lies anywhere below it.
    bool isWithin(const FileIdentity &folder) const;

    // Opens the folder called name in this one: NotAFolder for a link or anything but a plain
    // folder; Failed for a name that is not one plain name ("..", one with a separator, ...).
    HeldFolder openFolder(const Name &name, Outcome *outcome) const;
    // What this folder holds, "." and ".." left out; read afresh on every call.
    QVector<Entry> entries(Outcome *outcome) const;
    // Removes the entry called name, which is no plain folder (IsAFolder): a file, a link as
    // itself (never what it points to), anything else. Read-only entries go too, and so do those
    // of a folder that its owner (the caller) made read-only.
    Outcome removeEntry(const Name &name) const;
    // Removes child, an emptied folder opened from this one as name, and closes it.
    Outcome removeFolder(const Name &name, HeldFolder &child) const;

private:
    Q_DISABLE_COPY(HeldFolder)
    void close();

#ifdef Q_OS_WIN
    void *handle = nullptr;
#else
    int descriptor = -1;
#endif
};

#endif // HELDFOLDER_H
