#include "platform/files/folderremoval.h"

#include "platform/files/heldfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

namespace {

using Outcome = HeldFolder::Outcome;

// Bounded: whatever else writes in the tree meanwhile may keep a folder from ever being empty.
const int Attempts = 3;

enum class Result {
    Gone,
    Left,
    // Listed as no folder but found to be one: to be listed again before it is entered.
    Changed
};

// The folder that holds path, held open, and path's own entry as that folder lists it.
struct Place
{
    QString folderPath;
    HeldFolder folder;
    Outcome outcome;
    bool listed = false;
    HeldFolder::Entry entry;
};

Place lookUp(const QString &path)
{
    Place place;
    const QFileInfo info(QDir::cleanPath(path));
    place.folderPath = info.absolutePath();
    const HeldFolder::Name name = HeldFolder::nameOf(info.fileName());
    place.folder = HeldFolder::open(place.folderPath, &place.outcome);
    if (place.outcome.kind != Outcome::Done)
        return place;
    // Found by listing rather than by opening the name: the listing tells a link from a folder
    // even where opening would follow it.
    for (const HeldFolder::Entry &entry : place.folder.entries(&place.outcome)) {
        if (HeldFolder::isSameName(entry.name, name)) {
            place.entry = entry;
            place.listed = true;
        }
    }
    return place;
}

class TreeRemover
{
public:
    explicit TreeRemover(const FileIdentity &keep)
        : keep(keep)
    { }

    // Removes the entry called name in folder, found at folderPath.
    Result remove(const HeldFolder &folder, const HeldFolder::Name &name, bool mayBeFolder,
                  const QString &folderPath);
    Result leave(const QString &path, int error);

    FolderRemoval result;
    int lastError = 0;

private:
    bool empty(const HeldFolder &folder, const QString &path);
    void noteFailure(const QString &path, int error);

    const FileIdentity keep;
};

void TreeRemover::noteFailure(const QString &path, int error)
{
    if (result.failedEntry.isEmpty()) {
        result.failedEntry = path;
        result.systemError = error;
    }
}

Result TreeRemover::leave(const QString &path, int error)
{
    ++result.left;
    noteFailure(path, error);
    return Result::Left;
}

Result TreeRemover::remove(const HeldFolder &folder, const HeldFolder::Name &name, bool mayBeFolder,
                           const QString &folderPath)
{
    const auto entryPath
            = [&]() { return folderPath + QLatin1Char('/') + HeldFolder::displayName(name); };
    Outcome outcome;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        if (attempt > 0)
            QThread::msleep(5 * attempt);
        if (mayBeFolder) {
            HeldFolder child = folder.openFolder(name, &outcome);
            if (outcome.kind == Outcome::Done) {
                if (child.identity() == keep) {
                    ++result.left;
                    return Result::Left;
                }
                if (!empty(child, entryPath())) {
                    ++result.left;
                    return Result::Left;
                }
                outcome = folder.removeFolder(name, child);
            } else if (outcome.kind == Outcome::NotAFolder) {
                // A link or file after all, or one put in the folder's place since the listing.
                mayBeFolder = false;
                outcome = folder.removeEntry(name);
            }
        } else {
            outcome = folder.removeEntry(name);
        }
        lastError = outcome.error;
        switch (outcome.kind) {
        case Outcome::Done:
            ++result.removed;
            return Result::Gone;
        case Outcome::Gone:
            return Result::Gone;
        case Outcome::IsAFolder:
            return Result::Changed;
        case Outcome::NotAFolder:
        case Outcome::Busy:
            break;
        case Outcome::Failed:
            return leave(entryPath(), outcome.error);
        }
    }
    return leave(entryPath(), outcome.error);
}

bool TreeRemover::empty(const HeldFolder &folder, const QString &path)
{
    Outcome outcome;
    const QVector<HeldFolder::Entry> entries = folder.entries(&outcome);
    if (outcome.kind != Outcome::Done) {
        noteFailure(path, outcome.error);
        return false;
    }
    // A changed entry does not count as left: the folder is then not empty, and its next
    // attempt lists it again.
    bool emptied = true;
    for (const HeldFolder::Entry &entry : entries) {
        if (remove(folder, entry.name, entry.mayBeFolder, path) == Result::Left)
            emptied = false;
    }
    return emptied;
}

} // namespace

FolderRemoval removeFolder(const QString &path, const QString &keep)
{
    const FileIdentity kept = HeldFolder::identityOf(keep);
    TreeRemover remover(kept);
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        const Place place = lookUp(path);
        if (place.outcome.kind == Outcome::Gone
            || (place.outcome.kind == Outcome::Done && !place.listed))
            break;
        if (place.outcome.kind != Outcome::Done) {
            remover.leave(place.folderPath, place.outcome.error);
            break;
        }
        if (place.folder.isWithin(kept))
            break;
        if (remover.remove(place.folder, place.entry.name, place.entry.mayBeFolder,
                           place.folderPath)
            != Result::Changed)
            break;
        if (attempt == Attempts - 1)
            remover.leave(path, remover.lastError);
    }
    return remover.result;
}

bool entryExists(const QString &path)
{
    const Place place = lookUp(path);
    if (place.outcome.kind == Outcome::Gone)
        return false;
    return place.outcome.kind != Outcome::Done || place.listed;
}
