#include "platform/files/folderremoval.h"

#include "platform/files/heldfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <vector>

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

// Walks the tree with a stack in memory, so that depth costs heap and never call stack. A folder
// being emptied is a frame. Only the frames nearest the top and a few evenly spaced ones further
// up hold their folders open; the others are closed and opened again when the walk comes back to
// them: by name, one level at a time from the nearest folder still held, never following a link,
// and only if each is still the folder it was. The spaced ones keep that way short however deep
// the tree goes.
class TreeRemover
{
public:
    explicit TreeRemover(const FileIdentity &keep)
        : keep(keep)
    { }

    // Removes the entry of base (found at basePath) with everything in it.
    Result remove(HeldFolder base, const QString &basePath, const HeldFolder::Entry &entry);
    Result leave(const QString &path, int error);

    FolderRemoval result;
    int lastError = 0;

private:
    struct Frame
    {
        HeldFolder::Name name;
        FileIdentity identity;
        HeldFolder folder;
        QVector<HeldFolder::Entry> entries;
        int next = 0;
        bool emptied = true;
        int attempt = 0;
    };

    // What one attempt on an entry came to; Entered when its folder is now the top frame.
    enum class Step { Settled, Entered };

    Step attempt(const HeldFolder::Name &name, bool mayBeFolder, int attempt, Result *settled);
    bool conclude(const Outcome &outcome, const HeldFolder::Name &name, Result *settled);
    void enter(const HeldFolder::Name &name, HeldFolder child, int attempt);
    void finishTop();
    void settle(Result result);
    bool hold(int index);
    void release(int index);
    QString pathOf(int depth, const HeldFolder::Name &name) const;
    void noteFailure(const QString &path, int error);

    // Folders held open at once besides the one the walk started from: those of the frames
    // nearest the top, and at most as many more at every spacing-th level.
    static const int Nearest = 64;
    static const int Spaced = 64;

    const FileIdentity keep;
    QString basePath;
    std::vector<Frame> stack;
    int spacing = 1;
    Result topResult = Result::Gone;
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

// The path of name in the folder of frame depth, for reports only.
QString TreeRemover::pathOf(int depth, const HeldFolder::Name &name) const
{
    QString path = basePath;
    for (int index = 1; index <= depth; ++index)
        path += QLatin1Char('/') + HeldFolder::displayName(stack[size_t(index)].name);
    return path + QLatin1Char('/') + HeldFolder::displayName(name);
}

Result TreeRemover::remove(HeldFolder base, const QString &path, const HeldFolder::Entry &entry)
{
    basePath = path;
    stack.clear();
    stack.emplace_back();
    stack.back().folder = std::move(base);
    stack.back().entries = { entry };
    spacing = 1;
    topResult = Result::Gone;
    while (!stack.empty()) {
        Frame &top = stack.back();
        if (top.next < top.entries.size()) {
            const HeldFolder::Entry next = top.entries.at(top.next++);
            Result settled;
            if (attempt(next.name, next.mayBeFolder, 0, &settled) == Step::Settled)
                settle(settled);
        } else if (stack.size() > 1) {
            finishTop();
        } else {
            stack.clear();
        }
    }
    return topResult;
}

// Hands an entry's result to the frame whose folder held it.
void TreeRemover::settle(Result settled)
{
    if (stack.size() == 1)
        topResult = settled;
    else if (settled == Result::Left)
        stack.back().emptied = false;
}

TreeRemover::Step TreeRemover::attempt(const HeldFolder::Name &name, bool mayBeFolder, int attempt,
                                       Result *settled)
{
    const int depth = int(stack.size()) - 1;
    Outcome outcome;
    for (; attempt < Attempts; ++attempt) {
        if (attempt > 0)
            QThread::msleep(5 * attempt);
        const HeldFolder &folder = stack.back().folder;
        if (mayBeFolder) {
            HeldFolder child = folder.openFolder(name, &outcome);
            if (outcome.kind == Outcome::Done) {
                if (child.identity() == keep) {
                    ++result.left;
                    *settled = Result::Left;
                    return Step::Settled;
                }
                enter(name, std::move(child), attempt);
                return Step::Entered;
            }
            if (outcome.kind == Outcome::NotAFolder) {
                // A link or file after all, or one put in the folder's place since the listing.
                mayBeFolder = false;
                outcome = folder.removeEntry(name);
            }
        } else {
            outcome = folder.removeEntry(name);
        }
        if (conclude(outcome, name, settled))
            return Step::Settled;
    }
    *settled = leave(pathOf(depth, name), outcome.error);
    return Step::Settled;
}

// Whether outcome settles the entry; false when another attempt is worth it.
bool TreeRemover::conclude(const Outcome &outcome, const HeldFolder::Name &name, Result *settled)
{
    lastError = outcome.error;
    switch (outcome.kind) {
    case Outcome::Done:
        ++result.removed;
        *settled = Result::Gone;
        return true;
    case Outcome::Gone:
        *settled = Result::Gone;
        return true;
    case Outcome::IsAFolder:
        *settled = Result::Changed;
        return true;
    case Outcome::NotAFolder:
    case Outcome::Busy:
        return false;
    case Outcome::Failed:
        *settled = leave(pathOf(int(stack.size()) - 1, name), outcome.error);
        return true;
    }
    return false;
}

void TreeRemover::enter(const HeldFolder::Name &name, HeldFolder child, int attempt)
{
    Frame frame;
    frame.name = name;
    frame.identity = child.identity();
    frame.attempt = attempt;
    Outcome outcome;
    frame.entries = child.entries(&outcome);
    frame.folder = std::move(child);
    if (outcome.kind != Outcome::Done) {
        noteFailure(pathOf(int(stack.size()) - 1, name), outcome.error);
        frame.emptied = false;
    }
    stack.push_back(std::move(frame));
    const int top = int(stack.size()) - 1;
    release(top - Nearest);
    if (top / spacing > Spaced) {
        spacing *= 2;
        for (int index = spacing / 2; index <= top - Nearest; index += spacing)
            release(index);
    }
}

// Closes the folder of frame index unless it is one of the spaced ones.
void TreeRemover::release(int index)
{
    if (index >= 1 && index % spacing != 0)
        stack[size_t(index)].folder = HeldFolder();
}

// Makes sure the folder of frame index is held: opens the folders of the frames from the nearest
// held one down to it again, each by name from the one above it, and keeps the nearest to the top
// held. False, with the frames from there on left unreachable, when one is no longer the folder
// it was.
bool TreeRemover::hold(int index)
{
    int held = index;
    while (!stack[size_t(held)].folder.isValid())
        --held;
    for (int level = held + 1; level <= index; ++level) {
        Frame &frame = stack[size_t(level)];
        Outcome outcome;
        frame.folder = stack[size_t(level - 1)].folder.openFolder(frame.name, &outcome);
        if (level - 1 > held && level - 1 <= index - Nearest)
            release(level - 1);
        if (outcome.kind != Outcome::Done || !(frame.folder.identity() == frame.identity)) {
            noteFailure(pathOf(level - 1, frame.name), outcome.error);
            // What lies below cannot be reached: it stays, frame by frame.
            for (size_t below = size_t(level); below < stack.size(); ++below) {
                stack[below].folder = HeldFolder();
                stack[below].next = stack[below].entries.size();
                stack[below].emptied = false;
            }
            return false;
        }
    }
    return true;
}

// The top frame's folder has been emptied as far as it goes: removes it from its parent, or
// tries it afresh.
void TreeRemover::finishTop()
{
    const int depth = int(stack.size()) - 1;
    // The parent is needed for the removal and for whatever else it holds.
    const bool reachable = hold(depth - 1);
    Frame &top = stack.back();
    if (!top.emptied || !reachable) {
        stack.pop_back();
        ++result.left;
        settle(Result::Left);
        return;
    }
    const HeldFolder::Name name = top.name;
    const int attemptMade = top.attempt;
    const Outcome outcome = stack[size_t(depth - 1)].folder.removeFolder(name, top.folder);
    stack.pop_back();
    Result settled;
    if (conclude(outcome, name, &settled)
        || attempt(name, true, attemptMade + 1, &settled) == Step::Settled)
        settle(settled);
}

} // namespace

FolderRemoval removeFolder(const QString &path, const QString &keep)
{
    const FileIdentity kept = HeldFolder::identityOf(keep);
    TreeRemover remover(kept);
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        Place place = lookUp(path);
        if (place.outcome.kind == Outcome::Gone
            || (place.outcome.kind == Outcome::Done && !place.listed))
            break;
        if (place.outcome.kind != Outcome::Done) {
            remover.leave(place.folderPath, place.outcome.error);
            break;
        }
        if (place.folder.isWithin(kept))
            break;
        if (remover.remove(std::move(place.folder), place.folderPath, place.entry)
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
