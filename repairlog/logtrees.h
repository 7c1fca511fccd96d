#ifndef LOGTREES_H
#define LOGTREES_H

#include "repairlog/loglines.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>
#include <utility>
#include <vector>

// The registry trees behind a support log, with names as the registry holds them: the log's
// written names read back (supportlog/dumpnames.h), the empty name for a key's default value.

struct LogValue
{
    QString name;
    QString text;
    // The first intact line that holds the value.
    int line = 0;
};

struct LogKey
{
    LogKey() = default;
    // Takes the keys below apart level by level, not on the call stack.
    ~LogKey();
    Q_DISABLE_COPY(LogKey)

    QString name;
    // False for an empty key below the first level: the log shows where it is, not its name.
    bool named = true;
    // The first intact line that names the key; for an unnamed key, the line of its block.
    int line = 0;
    LogKey *parent = nullptr;
    QVector<LogValue> values;
    // Named keys sorted as the settings layer lists them, unnamed ones where the log shows them.
    std::vector<std::unique_ptr<LogKey>> children;

    // The full registry path, "?" for an unnamed key; a tree's root carries the whole root path
    // as its name.
    QString path() const;
    LogKey *child(const QString &childName) const;
    const LogValue *value(const QString &valueName) const;
};

// Both trees, the current user's first, as the dump writes them.
struct LogTrees
{
    std::vector<std::unique_ptr<LogKey>> roots;
    // The line from which on no more keys were made, since the full paths of the keys named up
    // to it passed a whole log's ceiling; 0 while they did not.
    int tooLargeAt = 0;
};

// Visits key and every key below it depth first, children in their order, each with its depth
// below key, keeping the keys still to visit in memory rather than on the call stack; where visit
// returns false, the keys below that one are left out.
template<typename Key, typename Visit>
void walkDepthFirst(Key &key, Visit visit)
{
    std::vector<std::pair<Key *, int>> pending{ { &key, 0 } };
    while (!pending.empty()) {
        const std::pair<Key *, int> next = pending.back();
        pending.pop_back();
        if (!visit(*next.first, next.second))
            continue;
        for (auto child = next.first->children.crbegin(); child != next.first->children.crend();
             ++child)
            pending.emplace_back(child->get(), next.second + 1);
    }
}

// Splits "[path] + [key]: text" into its parts as written; false for any other line.
bool parseKeyLine(const QString &line, QString *path, QString *key, QString *text);

// Rebuilds the trees from the log's intact lines: every value from the first line that holds
// it, whichever of its copies that is, and every key the lines name or show.
LogTrees rebuildTrees(const QVector<LogLine> &lines);

#endif // LOGTREES_H
