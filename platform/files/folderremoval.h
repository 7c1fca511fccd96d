#ifndef FOLDERREMOVAL_H
#define FOLDERREMOVAL_H

#include <QString>

// What a removal did. Entries that stay are counted with every folder that holds them.
struct FolderRemoval
{
    int removed = 0;
    int left = 0;
    // The first entry that could not be removed or read, and the system's error code for it
    // (errno, or a Windows error code); empty while nothing failed.
    QString failedEntry;
    int systemError = 0;
};

// Removes the folder at path with everything in it. It holds the folder that contains it open
// and from there reaches every entry relative to the folder it was found in, so that whoever can
// write in the tree cannot lead the removal elsewhere by swapping an entry or a folder above it
// for a link while it runs. A link of any kind (symbolic link, junction, other reparse point) is
// removed as itself and never entered, the folder at path included. The folder keep (the
// executable's own) is recognised by what it is, however it is spelled: it stays with all that
// lies below it and every folder that holds it, and nothing is removed that lies within it.
// Depth costs memory, not call stack, and the folders held open at once stay few.
FolderRemoval removeFolder(const QString &path, const QString &keep);

// Whether there is an entry at path, a link counted as itself and not followed: a link left in
// a removed folder's place still exists. Also true when that cannot be told.
bool entryExists(const QString &path);

#endif // FOLDERREMOVAL_H
