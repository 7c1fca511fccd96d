#ifndef HELDENTRY_H
#define HELDENTRY_H

#include "platform/files/heldfolder.h"

#include <QString>

// An entry reached through held folders: the folder that holds it, held open, and its name there.
struct HeldEntry
{
    HeldFolder folder;
    HeldFolder::Name name;
    // How reaching the folder went: NotAFolder where a link or file stands on the way.
    HeldFolder::Outcome outcome;
};

// The entry at path, reached from the folder levels names above it (a known folder, opened by its
// path) one plain name at a time through held folders, never following a link on the way.
HeldEntry reachEntry(const QString &path, int levels);

#endif // HELDENTRY_H
