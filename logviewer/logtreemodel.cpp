#include "logviewer/logtreemodel.h"

#include "logviewer/viewerlog.h"
#include "platform/registry/registrypath.h"
#include "repairlog/logtreeformat.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QStyle>

#include <algorithm>

struct LogTreeModel::Node
{
    Node *parent = nullptr;
    int row = 0;
    Kind kind = KeyRow;
    // As the Registry Editor names it.
    QString name;
    // As the log names it: values are sorted by it.
    QString logName;
    QString text;
    QString keyPath;
    int line = 0;
    QStringList notes;
    Mark mark = NoMark;
    Change change = Unchanged;
    QString earlierText;
    std::vector<Node *> children;

    bool isValue() const { return kind == ValueRow; }
    QString path() const
    {
        if (!isValue())
            return keyPath;
        return keyPath + QLatin1Char('\\') + (name.isEmpty() ? QStringLiteral("(Default)") : name);
    }
};

namespace {

QString quotedName(const QString &valueName)
{
    return valueName.isEmpty() ? QStringLiteral("@")
                               : QLatin1Char('"') + valueName + QLatin1Char('"');
}

LogTreeModel::Mark markOf(const LogCheck &check, const LogValue *value)
{
    if (!check.valueNotes.contains(value))
        return LogTreeModel::NoMark;
    return check.doubtfulValues.contains(value) ? LogTreeModel::DoubtfulMark
                                                : LogTreeModel::RestoredMark;
}

const QColor addedColor(0xd5, 0xf2, 0xd5);
const QColor removedColor(0xf7, 0xd4, 0xd4);
const QColor changedColor(0xfc, 0xe8, 0xb6);

} // namespace

class LogTreeModel::Builder
{
public:
    explicit Builder(std::vector<std::unique_ptr<Node>> &nodes)
        : nodes(nodes)
    { }

    void build(const ViewerLog &log)
    {
        // Depth first by a list of pending keys, whose rows are placed when they are made.
        std::vector<std::pair<const LogKey *, Node *>> pending;
        for (const auto &root : log.trees.roots)
            pending.emplace_back(root.get(), addKey(nodes.front().get(), *root));
        while (!pending.empty()) {
            const LogKey *key = pending.back().first;
            Node *node = pending.back().second;
            pending.pop_back();
            QVector<const LogValue *> values;
            for (const LogValue &value : key->values)
                values.append(&value);
            std::sort(values.begin(), values.end(),
                      [](const LogValue *a, const LogValue *b) { return a->name < b->name; });
            for (const LogValue *value : qAsConst(values))
                addValue(node, *value, log.check);
            for (const auto &child : key->children)
                pending.emplace_back(child.get(), addKey(node, *child));
        }
    }

    // Marks the values that differ from the earlier log; the removed ones join the tree.
    void compare(const ViewerLog &earlier, int *counts)
    {
        for (const LogValueChange &change : earlier.changesToLater) {
            Node *node = nullptr;
            if (change.kind == LogValueChange::Removed) {
                node = addRemovedValue(change);
            } else {
                node = values.value({ change.keyPath, change.quotedName });
                node->change = change.kind == LogValueChange::Added ? Added : Changed;
            }
            node->earlierText = change.before;
            ++counts[node->change];
        }
    }

    void numberRows()
    {
        for (const auto &node : nodes) {
            for (int row = 0; row < int(node->children.size()); ++row)
                node->children.at(row)->row = row;
        }
    }

private:
    Node *make(Node *parent, Kind kind)
    {
        nodes.push_back(std::make_unique<Node>());
        Node *node = nodes.back().get();
        node->parent = parent;
        node->kind = kind;
        return node;
    }

    Node *addKey(Node *parent, const LogKey &key)
    {
        Node *node = make(parent, key.named ? KeyRow : UnnamedKeyRow);
        node->keyPath = key.path();
        node->name = !key.parent ? key.name
                : key.named      ? settingsName(key.name)
                                 : QStringLiteral("?");
        node->logName = key.name;
        node->line = key.line;
        parent->children.push_back(node);
        if (key.named)
            keys.insert(node->keyPath, node);
        return node;
    }

    void addValue(Node *key, const LogValue &value, const LogCheck &check)
    {
        Node *node = make(key, ValueRow);
        node->keyPath = key->keyPath;
        node->name = value.name;
        node->logName = value.name;
        node->text = value.text;
        node->line = value.line;
        node->notes = check.valueNotes.value(&value);
        node->mark = markOf(check, &value);
        key->children.push_back(node);
        values.insert({ node->keyPath, quotedName(node->name) }, node);
    }

    // The key of a path, made with the keys above it where the later log has none.
    Node *keyFor(const QString &path)
    {
        QStringList missing;
        Node *parent = nullptr;
        for (QString at = path; !(parent = keys.value(at));) {
            const int cut = at.lastIndexOf(QLatin1Char('\\'));
            if (cut < 0) {
                parent = nodes.front().get();
                missing.prepend(at);
                break;
            }
            missing.prepend(at.mid(cut + 1));
            at.truncate(cut);
        }
        for (const QString &name : qAsConst(missing)) {
            Node *key = make(parent, KeyRow);
            key->keyPath
                    = parent->keyPath.isEmpty() ? name : parent->keyPath + QLatin1Char('\\') + name;
            key->name = name;
            key->logName = settingsName(name);
            const auto at = std::find_if(
                    parent->children.begin(), parent->children.end(), [&](const Node *child) {
                        return !child->isValue() && child->logName > key->logName;
                    });
            parent->children.insert(at, key);
            keys.insert(key->keyPath, key);
            parent = key;
        }
        return parent;
    }

    Node *addRemovedValue(const LogValueChange &change)
    {
        Node *key = keyFor(change.keyPath);
        Node *node = make(key, ValueRow);
        node->keyPath = change.keyPath;
        node->name = change.quotedName == QLatin1String("@")
                ? QString()
                : change.quotedName.mid(1, change.quotedName.size() - 2);
        node->logName = node->name.isEmpty() ? QStringLiteral(".") : settingsName(node->name);
        node->text = change.before;
        node->change = Removed;
        const auto at
                = std::find_if(key->children.begin(), key->children.end(), [&](const Node *child) {
                      return !child->isValue() || child->logName > node->logName;
                  });
        key->children.insert(at, node);
        return node;
    }

    std::vector<std::unique_ptr<Node>> &nodes;
    QHash<QString, Node *> keys;
    QHash<QPair<QString, QString>, Node *> values;
};

LogTreeModel::LogTreeModel(QObject *parent)
    : QAbstractItemModel(parent)
    , restoredIcon(QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation))
    , doubtfulIcon(QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning))
{
    nodes.push_back(std::make_unique<Node>());
}

LogTreeModel::~LogTreeModel() = default;

void LogTreeModel::setLog(const ViewerLog *log, const ViewerLog *earlier)
{
    beginResetModel();
    nodes.erase(nodes.begin() + 1, nodes.end());
    nodes.front()->children.clear();
    std::fill(std::begin(changes), std::end(changes), 0);
    if (log) {
        Builder builder(nodes);
        builder.build(*log);
        if (earlier)
            builder.compare(*earlier, changes);
        builder.numberRows();
    }
    endResetModel();
}

int LogTreeModel::changeCount(Change change) const
{
    return changes[change];
}

LogTreeModel::Node *LogTreeModel::nodeAt(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<Node *>(index.internalPointer()) : nodes.front().get();
}

QModelIndex LogTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    const Node *node = nodeAt(parent);
    if (row < 0 || row >= int(node->children.size()) || column < 0 || column >= ColumnCount)
        return {};
    return createIndex(row, column, node->children.at(row));
}

QModelIndex LogTreeModel::parent(const QModelIndex &child) const
{
    const Node *node = nodeAt(child);
    if (!child.isValid() || node->parent == nodes.front().get())
        return {};
    return createIndex(node->parent->row, 0, node->parent);
}

int LogTreeModel::rowCount(const QModelIndex &parent) const
{
    return parent.column() > 0 ? 0 : int(nodeAt(parent)->children.size());
}

int LogTreeModel::columnCount(const QModelIndex &) const
{
    return ColumnCount;
}

QString LogTreeModel::toolTip(const Node &node) const
{
    QStringList lines = node.notes;
    switch (node.change) {
    case Added:
        lines.append(QStringLiteral("Added since the earlier log"));
        break;
    case Removed:
        lines.append(QStringLiteral("Removed since the earlier log"));
        break;
    case Changed:
        lines.append(
                QStringLiteral("Changed since the earlier log, was \"%1\"").arg(node.earlierText));
        break;
    case Unchanged:
        break;
    }
    if (node.kind == UnnamedKeyRow)
        lines.append(QStringLiteral("An empty key whose name the log does not hold (line %1)")
                             .arg(node.line));
    return lines.join(QLatin1Char('\n'));
}

QVariant LogTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const Node &node = *nodeAt(index);
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == NameColumn)
            return node.isValue() && node.name.isEmpty() ? QStringLiteral("(Default)") : node.name;
        if (index.column() == TextColumn)
            return node.kind == UnnamedKeyRow
                    ? QStringLiteral("(an empty key; the log holds no name)")
                    : node.text;
        return node.line > 0 ? QVariant(node.line) : QVariant();
    case Qt::ToolTipRole: {
        const QString tip = toolTip(node);
        return tip.isEmpty() ? QVariant() : tip;
    }
    case Qt::DecorationRole:
        if (index.column() != NameColumn || node.mark == NoMark)
            return {};
        return node.mark == RestoredMark ? restoredIcon : doubtfulIcon;
    case Qt::BackgroundRole:
        switch (node.change) {
        case Added:
            return addedColor;
        case Removed:
            return removedColor;
        case Changed:
            return changedColor;
        case Unchanged:
            return {};
        }
        return {};
    case Qt::FontRole: {
        QFont font;
        font.setStrikeOut(node.change == Removed);
        font.setItalic(node.kind == UnnamedKeyRow);
        return font.strikeOut() || font.italic() ? QVariant(font) : QVariant();
    }
    case KindRole:
        return node.kind;
    case KeyPathRole:
        return node.keyPath;
    case PathRole:
        return node.path();
    case ValueNameRole:
        return node.isValue() ? QVariant(node.name) : QVariant();
    case LineRole:
        return node.line;
    case NotesRole:
        return node.notes;
    case MarkRole:
        return node.mark;
    case ChangeRole:
        return node.change;
    case EarlierTextRole:
        return node.earlierText;
    default:
        return {};
    }
}

QVariant LogTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn:
        return QStringLiteral("Name");
    case TextColumn:
        return QStringLiteral("Text");
    case LineColumn:
        return QStringLiteral("Line");
    default:
        return {};
    }
}
