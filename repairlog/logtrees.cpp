#include "repairlog/logtrees.h"

#include "repairlog/loglimits.h"
#include "supportlog/dumpnames.h"
#include "supportlog/registrydump.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <map>

LogKey::~LogKey()
{
    std::vector<std::unique_ptr<LogKey>> doomed = std::move(children);
    while (!doomed.empty()) {
        std::unique_ptr<LogKey> key = std::move(doomed.back());
        doomed.pop_back();
        for (auto &child : key->children)
            doomed.push_back(std::move(child));
        key->children.clear();
    }
}

QString LogKey::path() const
{
    QStringList names;
    for (const LogKey *key = this; key; key = key->parent)
        names.prepend(key->named ? key->name : QStringLiteral("?"));
    return names.join(QLatin1Char('\\'));
}

LogKey *LogKey::child(const QString &childName) const
{
    for (const auto &c : children) {
        if (c->named && c->name == childName)
            return c.get();
    }
    return nullptr;
}

const LogValue *LogKey::value(const QString &valueName) const
{
    for (const LogValue &v : values) {
        if (v.name == valueName)
            return &v;
    }
    return nullptr;
}

bool parseKeyLine(const QString &line, QString *path, QString *key, QString *text)
{
    return splitDumpKeyLine(line, path, key, text);
}

namespace {

enum class Kind { Blank, Separator, Header, GroupPath, KeyLine, Damaged, Other, End };

class Rebuilder
{
public:
    explicit Rebuilder(const QVector<LogLine> &lines)
        : lines(lines)
        , rootPaths(dumpRootPaths())
    {
        for (const QString &rootPath : rootPaths) {
            trees.roots.push_back(std::make_unique<LogKey>());
            trees.roots.back()->name = rootPath;
            rootNames.append(rootPath.split(QLatin1Char('\\')));
        }
    }

    LogTrees rebuild()
    {
        for (const LogLine &line : lines)
            classify(line);
        for (const auto &root : trees.roots)
            sortChildren(root.get());
        placeUnnamedKeys();
        insertUnnamedKeys();
        return std::move(trees);
    }

private:
    // The tree a written path lies in and the names below its root; -1 outside both trees.
    int rootOf(const QString &path, QStringList *below) const
    {
        QStringList names;
        if (!readDumpPath(path, &names))
            return -1;
        for (int i = 0; i < rootNames.size(); ++i) {
            const QStringList &root = rootNames.at(i);
            if (names.size() >= root.size() && names.mid(0, root.size()) == root) {
                *below = names.mid(root.size());
                return i;
            }
        }
        return -1;
    }

    // The key below node at names, made with the keys on the way; null once the full paths of
    // all keys made would pass a whole log's ceiling, which a genuine log, naming each in its
    // lines, cannot.
    LogKey *make(LogKey *node, const QStringList &names, int line)
    {
        for (const QString &name : names) {
            const auto at = qMakePair<const LogKey *, QString>(node, name);
            LogKey *next = childIndex.value(at);
            if (!next) {
                const qint64 pathSize = pathSizes.value(node, node->name.size()) + 1 + name.size();
                pathsSize += pathSize;
                if (trees.tooLargeAt > 0 || pathsSize > LogLimits::MaxLogBytes) {
                    if (trees.tooLargeAt == 0)
                        trees.tooLargeAt = line;
                    return nullptr;
                }
                node->children.push_back(std::make_unique<LogKey>());
                next = node->children.back().get();
                next->name = name;
                next->line = line;
                next->parent = node;
                childIndex.insert(at, next);
                pathSizes.insert(next, pathSize);
            }
            node = next;
        }
        return node;
    }

    void classify(const LogLine &line)
    {
        Kind kind = Kind::Other;
        LogKey *key = nullptr;
        QString path, name, text;
        QStringList below;
        if (!line.intact) {
            kind = Kind::Damaged;
        } else if (line.text == dumpBlankLine()) {
            kind = Kind::Blank;
        } else if (line.text == dumpSeparator()) {
            kind = Kind::Separator;
        } else if (parseKeyLine(line.text, &path, &name, &text)) {
            // A block's key lines share their path.
            if (path != lastPath) {
                lastPath = path;
                lastRoot = rootOf(path, &lastBelow);
            }
            QStringList names;
            QString valueName;
            if (lastRoot >= 0 && readDumpRelativeKey(name, &names, &valueName)) {
                key = make(trees.roots.at(lastRoot).get(), lastBelow, line.number);
                LogKey *holder = key ? make(key, names, line.number) : nullptr;
                if (holder) {
                    kind = Kind::KeyLine;
                    const int known = valueIndex.size();
                    valueIndex.insert(qMakePair(holder, valueName));
                    if (valueIndex.size() > known)
                        holder->values.append({ valueName, text, line.number });
                }
            }
        } else {
            for (int i = 0; i < rootPaths.size() && kind == Kind::Other; ++i) {
                if (line.text == dumpRootHeader(rootPaths.at(i))) {
                    kind = Kind::Header;
                    key = trees.roots.at(i).get();
                    if (key->line == 0)
                        key->line = line.number;
                }
            }
            const int root = kind == Kind::Other ? rootOf(line.text, &below) : -1;
            if (root >= 0 && below.size() == 1) {
                key = make(trees.roots.at(root).get(), below, line.number);
                if (key)
                    kind = Kind::GroupPath;
            }
        }
        kinds.append(kind);
        blockKeys.append(key);
    }

    // In the dump's order: by the names as the log writes them.
    static void sortChildren(LogKey *root)
    {
        walkDepthFirst(*root, [](LogKey &key, int) {
            std::sort(key.children.begin(), key.children.end(),
                      [](const std::unique_ptr<LogKey> &a, const std::unique_ptr<LogKey> &b) {
                          return dumpPathName(a->name) < dumpPathName(b->name);
                      });
            return true;
        });
    }

    Kind kindAt(int i) const { return i < kinds.size() ? kinds.at(i) : Kind::End; }

    static void listInOrder(LogKey *root, QVector<LogKey *> *order)
    {
        walkDepthFirst(*root, [order](LogKey &key, int) {
            order->append(&key);
            return true;
        });
    }

    // A block of a key below the first level opens with a blank line and a separator and holds
    // no path. When no key line follows, it is the block of the next key the values call for,
    // whose lines are lost; or, when that key comes later, an empty key whose name the log does
    // not hold.
    void placeUnnamedKeys()
    {
        QVector<LogKey *> order;
        for (const auto &root : trees.roots)
            listInOrder(root.get(), &order);
        QHash<const LogKey *, int> orderIndex;
        for (int k = 0; k < order.size(); ++k)
            orderIndex.insert(order.at(k), k);
        QVector<LogKey *> nextSeen(kinds.size() + 1, nullptr);
        for (int i = kinds.size() - 1; i >= 0; --i)
            nextSeen[i] = blockKeys.at(i) ? blockKeys.at(i) : nextSeen.at(i + 1);
        LogKey *current = nullptr;
        for (int i = 0; i < kinds.size();) {
            const Kind first = kindAt(i);
            const Kind second = kindAt(i + 1);
            if ((first == Kind::Blank || first == Kind::Damaged)
                && (second == Kind::Separator || second == Kind::Damaged)
                && !(first == Kind::Damaged && second == Kind::Damaged)) {
                const Kind after = kindAt(i + 2);
                const bool opensNext = after == Kind::Blank
                        || (after == Kind::Damaged && kindAt(i + 3) == Kind::Separator);
                if (after == Kind::End || after == Kind::Separator || opensNext) {
                    const int at = orderIndex.value(current, -1) + 1;
                    LogKey *due = at < order.size() ? order.at(at) : nullptr;
                    const bool firstLevel = due && due->parent && !due->parent->parent;
                    // Where nothing named follows, only the last opening can be one whose lines
                    // were cut off.
                    LogKey *seen = nextSeen.at(i + 2);
                    if (due && due != seen && !firstLevel && (seen || after == Kind::End)) {
                        place(current, due);
                        current = due;
                    } else {
                        pending.append(lines.at(i + 1).number);
                    }
                }
                i += 2;
                continue;
            }
            LogKey *key = blockKeys.at(i);
            if (key && key != current) {
                place(current, key);
                current = key;
            }
            ++i;
        }
        place(current, nullptr);
    }

    static LogKey *rootOfKey(LogKey *key)
    {
        while (key && key->parent)
            key = key->parent;
        return key;
    }

    // Where a run of unnamed keys goes among the children of a key.
    struct Placement
    {
        enum Where { Before, After, AtEnd };
        LogKey *parent = nullptr;
        const LogKey *sibling = nullptr;
        Where where = AtEnd;
        std::vector<std::unique_ptr<LogKey>> keys;
    };

    // Places the pending unnamed keys between the blocks of previous and next, so that the
    // dump of the trees writes their blocks where the log has them: before next below the first
    // level, else after previous, below it when it is a key of the first level.
    void place(LogKey *previous, LogKey *next)
    {
        if (pending.isEmpty())
            return;
        Placement placement;
        if (next && next->parent && next->parent->parent
            && rootOfKey(next) == rootOfKey(previous)) {
            placement = { next->parent, next, Placement::Before, {} };
        } else if (previous && previous->parent && !previous->parent->parent) {
            placement = { previous, nullptr, Placement::AtEnd, {} };
        } else if (previous && previous->parent) {
            placement = { previous->parent, previous, Placement::After, {} };
        } else {
            // No key to place them by: the log is too damaged here, and the check says so.
            pending.clear();
            return;
        }
        for (const int line : qAsConst(pending)) {
            placement.keys.push_back(std::make_unique<LogKey>());
            placement.keys.back()->named = false;
            placement.keys.back()->line = line;
            placement.keys.back()->parent = placement.parent;
        }
        placements.push_back(std::move(placement));
        pending.clear();
    }

    // Puts the placed keys in, each parent's children rebuilt once. Of the runs placed before
    // the same key, the later stands nearer to it, as of those placed after it.
    void insertUnnamedKeys()
    {
        std::map<LogKey *, std::vector<Placement *>> byParent;
        for (Placement &placement : placements)
            byParent[placement.parent].push_back(&placement);
        for (auto &entry : byParent) {
            QHash<const LogKey *, std::vector<Placement *>> before, after;
            std::vector<Placement *> atEnd;
            for (Placement *placement : entry.second) {
                if (placement->where == Placement::Before)
                    before[placement->sibling].push_back(placement);
                else if (placement->where == Placement::After)
                    after[placement->sibling].insert(after[placement->sibling].begin(), placement);
                else
                    atEnd.push_back(placement);
            }
            std::vector<std::unique_ptr<LogKey>> children;
            const auto take = [&children](const std::vector<Placement *> &runs) {
                for (Placement *run : runs) {
                    for (auto &key : run->keys)
                        children.push_back(std::move(key));
                }
            };
            for (auto &child : entry.first->children) {
                take(before.value(child.get()));
                const LogKey *sibling = child.get();
                children.push_back(std::move(child));
                take(after.value(sibling));
            }
            take(atEnd);
            entry.first->children = std::move(children);
        }
    }

    const QVector<LogLine> &lines;
    const QStringList rootPaths;
    LogTrees trees;
    QVector<Kind> kinds;
    QVector<LogKey *> blockKeys;
    QVector<int> pending;
    std::vector<Placement> placements;
    QVector<QStringList> rootNames;
    // The keys and values made so far, by their parent and name.
    QHash<QPair<const LogKey *, QString>, LogKey *> childIndex;
    QSet<QPair<const LogKey *, QString>> valueIndex;
    // The length of each key's full path, and of all of them together.
    QHash<const LogKey *, qint64> pathSizes;
    qint64 pathsSize = 0;
    QString lastPath;
    int lastRoot = -1;
    QStringList lastBelow;
};

} // namespace

LogTrees rebuildTrees(const QVector<LogLine> &lines)
{
    return Rebuilder(lines).rebuild();
}
