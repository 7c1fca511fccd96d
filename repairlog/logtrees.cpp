#include "repairlog/logtrees.h"

#include "supportlog/registrydump.h"

#include <algorithm>

QString LogKey::path() const
{
    const QString own = named ? name : QStringLiteral("?");
    return parent ? parent->path() + QLatin1Char('\\') + own : own;
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
    if (!line.startsWith(QLatin1Char('[')))
        return false;
    const QLatin1String pathEnd("] + [");
    const int keyStart = line.indexOf(pathEnd);
    const int keyEnd = keyStart < 0 ? -1 : line.indexOf(QLatin1String("]: "), keyStart + 5);
    if (keyEnd < 0)
        return false;
    *path = line.mid(1, keyStart - 1);
    *key = line.mid(keyStart + 5, keyEnd - keyStart - 5);
    *text = line.mid(keyEnd + 3);
    return true;
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
        }
    }

    LogTrees rebuild()
    {
        for (const LogLine &line : lines)
            classify(line);
        for (const auto &root : trees.roots)
            sortChildren(root.get());
        placeUnnamedKeys();
        return std::move(trees);
    }

private:
    // The tree a path lies in and the names below its root; -1 outside both trees.
    int rootOf(const QString &path, QStringList *below) const
    {
        for (int i = 0; i < rootPaths.size(); ++i) {
            const QString &root = rootPaths.at(i);
            if (path == root) {
                below->clear();
                return i;
            }
            if (path.startsWith(root + QLatin1Char('\\'))) {
                *below = path.mid(root.size() + 1).split(QLatin1Char('\\'));
                return below->contains(QString()) ? -1 : i;
            }
        }
        return -1;
    }

    static LogKey *make(LogKey *node, const QStringList &names, int line)
    {
        for (const QString &name : names) {
            LogKey *next = node->child(name);
            if (!next) {
                node->children.push_back(std::make_unique<LogKey>());
                next = node->children.back().get();
                next->name = name;
                next->line = line;
                next->parent = node;
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
            const int root = rootOf(path, &below);
            QStringList names = name.split(QLatin1Char('/'));
            if (root >= 0 && !names.contains(QString())) {
                kind = Kind::KeyLine;
                key = make(trees.roots.at(root).get(), below, line.number);
                const QString valueName = names.takeLast();
                LogKey *holder = make(key, names, line.number);
                if (!holder->value(valueName))
                    holder->values.append({ valueName, text, line.number });
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
                kind = Kind::GroupPath;
                key = make(trees.roots.at(root).get(), below, line.number);
            }
        }
        kinds.append(kind);
        blockKeys.append(key);
    }

    static void sortChildren(LogKey *key)
    {
        std::sort(key->children.begin(), key->children.end(),
                  [](const std::unique_ptr<LogKey> &a, const std::unique_ptr<LogKey> &b) {
                      return a->name < b->name;
                  });
        for (const auto &child : key->children)
            sortChildren(child.get());
    }

    Kind kindAt(int i) const { return i < kinds.size() ? kinds.at(i) : Kind::End; }

    static void listInOrder(LogKey *key, QVector<LogKey *> *order)
    {
        order->append(key);
        for (const auto &child : key->children)
            listInOrder(child.get(), order);
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
                    const int at = order.indexOf(current) + 1;
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

    static void insertBefore(LogKey *parent, const LogKey *sibling, std::unique_ptr<LogKey> key)
    {
        auto &children = parent->children;
        const auto at = std::find_if(
                children.begin(), children.end(),
                [&](const std::unique_ptr<LogKey> &c) { return c.get() == sibling; });
        key->parent = parent;
        children.insert(at, std::move(key));
    }

    // Places the pending unnamed keys between the blocks of previous and next, so that the
    // dump of the trees writes their blocks where the log has them.
    void place(LogKey *previous, LogKey *next)
    {
        if (pending.isEmpty())
            return;
        const bool beforeNext = next && next->parent && next->parent->parent
                && rootOfKey(next) == rootOfKey(previous);
        LogKey *after = previous;
        for (const int line : qAsConst(pending)) {
            auto key = std::make_unique<LogKey>();
            key->named = false;
            key->line = line;
            LogKey *placed = key.get();
            if (beforeNext) {
                insertBefore(next->parent, next, std::move(key));
            } else if (after && after->parent && !after->parent->parent && after == previous) {
                // Below a key of the first level, after its other subkeys.
                key->parent = after;
                after->children.push_back(std::move(key));
            } else if (after && after->parent) {
                LogKey *parent = after->parent;
                const auto at = std::find_if(
                        parent->children.begin(), parent->children.end(),
                        [&](const std::unique_ptr<LogKey> &c) { return c.get() == after; });
                insertBefore(parent, at + 1 == parent->children.end() ? nullptr : (at + 1)->get(),
                             std::move(key));
            } else {
                // No key to place it by: the log is too damaged here, and the check says so.
                continue;
            }
            after = placed;
        }
        pending.clear();
    }

    const QVector<LogLine> &lines;
    const QStringList rootPaths;
    LogTrees trees;
    QVector<Kind> kinds;
    QVector<LogKey *> blockKeys;
    QVector<int> pending;
};

} // namespace

LogTrees rebuildTrees(const QVector<LogLine> &lines)
{
    return Rebuilder(lines).rebuild();
}
