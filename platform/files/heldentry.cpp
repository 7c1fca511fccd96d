#include "platform/files/heldentry.h"

#include <QDir>

#include <algorithm>
#include <utility>

HeldEntry reachEntry(const QString &path, int levels)
{
    // The last levels + 1 names of path, and the folder above them.
    QString rest = QDir::fromNativeSeparators(path);
    QStringList names;
    while (names.size() <= levels) {
        while (rest.endsWith(QLatin1Char('/')))
            rest.chop(1);
        const int cut = rest.lastIndexOf(QLatin1Char('/'));
        names.prepend(rest.mid(cut + 1));
        rest.truncate(std::max(cut, 0));
    }
    // The root, or a drive's own folder, is named with its separator.
    if (rest.isEmpty() || rest.endsWith(QLatin1Char(':')))
        rest += QLatin1Char('/');

    HeldEntry entry;
    entry.folder = HeldFolder::open(rest, &entry.outcome);
    for (int level = 0; level < levels && entry.outcome.kind == HeldFolder::Outcome::Done;
         ++level) {
        HeldFolder inner
                = entry.folder.openFolder(HeldFolder::nameOf(names.at(level)), &entry.outcome);
        entry.folder = std::move(inner);
    }
    entry.name = HeldFolder::nameOf(names.last());
    return entry;
}
