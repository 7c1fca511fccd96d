#ifndef REGISTRYSNAPSHOT_H
#define REGISTRYSNAPSHOT_H

#include "platform/registry/registrynode.h"
#include "platform/registry/registryreader.h"

#include <QHash>

#include <map>
#include <vector>

// The registry trees below some full paths, each read once, in one pass, when the snapshot is
// made. Every query on those paths and below answers as the registry held it then, however it
// changes afterwards: keys and values under the names the registry holds, each value's text as
// the settings layer reads it, allKeys as RegistryKey lists it. An absent or unreadable tree
// reads as empty, as do paths outside the trees. A tree below HKEY_CURRENT_USER is read from the
// hive of the account whose profile the per-user parts act on, and answers under the path it was
// given.
class RegistrySnapshot : public RegistryReader
{
public:
    explicit RegistrySnapshot(const QStringList &rootPaths);

    QStringList allKeys(const QString &path) const override;
    QStringList childGroups(const QString &path) const override;
    QVector<Value> values(const QString &path) const override;

private:
    struct Tree
    {
        QString hive;
        QStringList keyPath;
        RegistryNode root;
    };

    // What allKeys and values give for a key, made once from its subkeys' values.
    struct Listing
    {
        QStringList keys;
        QVector<Value> values;
    };

    // The key that RegistryKey would open for path, if the snapshot holds it.
    const RegistryNode *find(const QString &path) const;
    const Listing &listing(const RegistryNode &node) const;

    std::vector<Tree> trees;
    // The subkeys that childGroups listed, by their full path: found again without a search.
    mutable QHash<QString, const RegistryNode *> listed;
    // By key; a map, so that a listing stays where it is while others are added.
    mutable std::map<const RegistryNode *, Listing> listings;
};

#endif // REGISTRYSNAPSHOT_H
