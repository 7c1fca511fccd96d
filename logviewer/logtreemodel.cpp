#include "logviewer/logtreemodel.h"

#include "logviewer/celltext.h"
#include "logviewer/viewerlog.h"
#include "platform/registry/registrypath.h"
#include "repairlog/logtreeformat.h"
#include "repairlog/visibletext.h"

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
    QStringList uncertainty;
    // What the row itself, and with the rows below it, carries (Flag); how many changes and
    // problems below.
    int ownFlags = 0;
    int flags = 0;
    int changesBelow = 0;
    int uncertainBelow = 0;
    int problemsBelow = 0;
    // Its place in the order the tree lists its rows.
    int listedAt = 0;
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

// Hues the verdict bar does not use (green, amber and red speak of the log's integrity there).
const QColor addedColor(0xcf, 0xe2, 0xfb);
const QColor removedColor(0xe0, 0xe0, 0xe0);
const QColor changedColor(0xe6, 0xd7, 0xf5);
const QColor uncertainColor(0xec, 0xdc, 0xc8);

// The losing findings that a tree, whose header stands at line and the next tree's at nextLine,
// cannot vouch for: the ones within it, and every one if its header is not in the log.
QStringList lackingNotes(const LogCheck &check, int line, int nextLine)
{
    QStringList notes;
    for (const LogFinding &finding : check.findings) {
        const int at = finding.line + (finding.absent ? 1 : 0);
        if (finding.losesValues && (line == 0 || (at >= line && (nextLine == 0 || at < nextLine))))
            notes.append(finding.text);
    }
    return notes;
}

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
        const auto &roots = log.trees.roots;
        for (size_t i = 0; i < roots.size(); ++i) {
            Node *node = addKey(nodes.front().get(), *roots.at(i));
            const int nextLine = i + 1 < roots.size() ? roots.at(i + 1)->line : 0;
            node->notes = lackingNotes(log.check, roots.at(i)->line, nextLine);
            node->mark = node->notes.isEmpty() ? NoMark : LackingMark;
            pending.emplace_back(roots.at(i).get(), node);
        }
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
    void compare(const ViewerLog &log, const ViewerLog &earlier, int *counts, int *uncertain)
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
            node->uncertainty = uncertaintyOf(change, earlier.check, log.check);
            ++counts[node->change];
            if (!node->uncertainty.isEmpty())
                ++uncertain[node->change];
        }
    }

    // Numbers the rows, lists them in the tree's order, and counts on each key what its rows
    // below carry.
    void finish(std::vector<Node *> *listed)
    {
        for (const auto &node : nodes) {
            for (int row = 0; row < int(node->children.size()); ++row)
                node->children.at(row)->row = row;
            node->ownFlags = (node->change != Unchanged ? ChangeFlag : 0)
                    | (node->uncertainty.isEmpty() ? 0 : UncertainFlag)
                    | (node->mark == DoubtfulMark || node->mark == LackingMark ? ProblemFlag : 0);
            node->flags = node->ownFlags;
        }
        // Every parent was made before its children.
        for (auto node = nodes.rbegin(); node != nodes.rend(); ++node) {
            Node *parent = (*node)->parent;
            if (!parent)
                continue;
            parent->flags |= (*node)->flags;
            parent->changesBelow += (*node)->changesBelow + ((*node)->change != Unchanged);
            parent->uncertainBelow += (*node)->uncertainBelow + !(*node)->uncertainty.isEmpty();
            parent->problemsBelow += (*node)->problemsBelow + ((*node)->mark == DoubtfulMark);
        }
        std::vector<Node *> pending(nodes.front()->children.rbegin(),
                                    nodes.front()->children.rend());
        while (!pending.empty()) {
            Node *node = pending.back();
            pending.pop_back();
            node->listedAt = int(listed->size());
            listed->push_back(node);
            pending.insert(pending.end(), node->children.rbegin(), node->children.rend());
        }
    }

    QHash<const void *, Node *> rowsOf;

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
        rowsOf.insert(&key, node);
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
        rowsOf.insert(&value, node);
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
    , lackingIcon(QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical))
{
    nodes.push_back(std::make_unique<Node>());
}

LogTreeModel::~LogTreeModel() = default;

void LogTreeModel::setLog(const ViewerLog *log, const ViewerLog *earlier)
{
    beginResetModel();
    nodes.erase(nodes.begin() + 1, nodes.end());
    nodes.front()->children.clear();
    listed.clear();
    rowsOf.clear();
    lineRows.clear();
    shown = log;
    comparing = log && earlier;
    std::fill(std::begin(changes), std::end(changes), 0);
    std::fill(std::begin(uncertainChanges), std::end(uncertainChanges), 0);
    doubtful = 0;
    if (log) {
        Builder builder(nodes);
        builder.build(*log);
        if (earlier)
            builder.compare(*log, *earlier, changes, uncertainChanges);
        builder.finish(&listed);
        rowsOf = builder.rowsOf;
        doubtful = log->check.doubtfulValues.size();
    }
    endResetModel();
}

int LogTreeModel::changeCount(Change change, bool uncertain) const
{
    return uncertain ? uncertainChanges[change] : changes[change];
}

QModelIndex LogTreeModel::nextFlagged(const QModelIndex &from, int flags, bool backwards) const
{
    const int step = backwards ? -1 : 1;
    const int count = int(listed.size());
    int at = from.isValid() ? nodeAt(from)->listedAt + step : (backwards ? count - 1 : 0);
    for (; at >= 0 && at < count; at += step) {
        const Node *node = listed.at(at);
        if (node->ownFlags & flags)
            return indexOf(node);
    }
    return {};
}

QModelIndex LogTreeModel::indexOfLine(int line) const
{
    if (!shown)
        return {};
    if (lineRows.isEmpty()) {
        // A line stands for what the dump writes it for: each copy of a value, each key's path.
        QHash<QString, Node *> byText;
        for (const ExpectedLine &expected : predictLog(shown->trees)) {
            const void *thing = expected.value ? static_cast<const void *>(expected.value)
                    : expected.source == ExpectedLine::KeyName ? expected.key
                                                               : nullptr;
            if (Node *node = rowsOf.value(thing))
                byText.insert(expected.text, node);
        }
        for (const LogLine &logLine : shown->lines) {
            if (Node *node = logLine.intact ? byText.value(logLine.text) : nullptr)
                lineRows.insert(logLine.number, node);
        }
        for (const Node *node : listed) {
            if (node->line > 0 && !lineRows.contains(node->line))
                lineRows.insert(node->line, const_cast<Node *>(node));
        }
    }
    const Node *node = lineRows.value(line);
    return node ? indexOf(node) : QModelIndex();
}

QModelIndex LogTreeModel::indexOfValue(const LogValue *value) const
{
    const Node *node = rowsOf.value(value);
    return node ? indexOf(node) : QModelIndex();
}

QColor LogTreeModel::statusColor(Change change, bool uncertain)
{
    if (uncertain)
        return uncertainColor;
    switch (change) {
    case Added:
        return addedColor;
    case Removed:
        return removedColor;
    case Changed:
        return changedColor;
    case Unchanged:
        break;
    }
    return {};
}

QIcon LogTreeModel::markIcon(Mark mark) const
{
    switch (mark) {
    case RestoredMark:
        return restoredIcon;
    case DoubtfulMark:
        return doubtfulIcon;
    case LackingMark:
        return lackingIcon;
    case NoMark:
        break;
    }
    return {};
}

QModelIndex LogTreeModel::indexOf(const Node *node) const
{
    return createIndex(node->row, 0, const_cast<Node *>(node));
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
    QStringList lines;
    if (node.mark == LackingMark)
        lines.append(QStringLiteral("The log cannot vouch for this tree: values may be lost"));
    lines += node.notes;
    switch (node.change) {
    case Added:
        lines.append(QStringLiteral("Added since the earlier log"));
        break;
    case Removed:
        lines.append(QStringLiteral("Removed since the earlier log"));
        break;
    case Changed:
        lines.append(QStringLiteral("Changed since the earlier log, was \"%1\"")
                             .arg(cellText(node.earlierText)));
        break;
    case Unchanged:
        break;
    }
    if (!node.uncertainty.isEmpty())
        lines.append(QStringLiteral("Uncertain: ") + node.uncertainty.join(QStringLiteral("; ")));
    if (node.kind == UnnamedKeyRow)
        lines.append(QStringLiteral("An empty key whose name the log does not hold (line %1)")
                             .arg(node.line));
    return lines.join(QLatin1Char('\n'));
}

QString LogTreeModel::status(const Node &node) const
{
    static const QString changeWords[] = { QString(), QStringLiteral("added"),
                                           QStringLiteral("removed"), QStringLiteral("changed") };
    if (node.isValue()) {
        const QString &word = changeWords[node.change];
        return node.uncertainty.isEmpty() ? word : word + QStringLiteral(", uncertain");
    }
    QStringList parts;
    if (node.mark == LackingMark)
        parts << QStringLiteral("may lack values");
    if (node.changesBelow > 0)
        parts << (node.changesBelow == 1 ? QStringLiteral("1 change")
                                         : QStringLiteral("%1 changes").arg(node.changesBelow))
                        + (node.uncertainBelow > 0
                                   ? QStringLiteral(", %1 uncertain").arg(node.uncertainBelow)
                                   : QString());
    if (node.problemsBelow > 0)
        parts << QStringLiteral("%1 doubtful").arg(node.problemsBelow);
    return parts.join(QStringLiteral(", "));
}

QVariant LogTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const Node &node = *nodeAt(index);
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case NameColumn:
            return node.isValue() && node.name.isEmpty() ? QStringLiteral("(Default)")
                                                         : visibleText(node.name);
        case TextColumn:
            if (node.kind == UnnamedKeyRow)
                return QStringLiteral("(an empty key; the log holds no name)");
            if (node.mark == LackingMark && node.line == 0 && node.children.empty())
                return QStringLiteral("(the log holds no line of this tree)");
            return cellText(node.text);
        case EarlierColumn:
            return node.change == Changed || node.change == Removed
                    ? QVariant(cellText(node.earlierText))
                    : QVariant();
        case StatusColumn:
            return status(node);
        default:
            return node.line > 0 ? QVariant(node.line) : QVariant();
        }
    case Qt::ToolTipRole: {
        const QString tip = toolTip(node);
        return tip.isEmpty() ? QVariant() : tip;
    }
    case Qt::DecorationRole:
        return index.column() == NameColumn && node.mark != NoMark ? QVariant(markIcon(node.mark))
                                                                   : QVariant();
    case Qt::BackgroundRole: {
        const QColor color = statusColor(node.change, !node.uncertainty.isEmpty());
        return index.column() == StatusColumn && node.isValue() && color.isValid() ? QVariant(color)
                                                                                   : QVariant();
    }
    case Qt::FontRole: {
        QFont font;
        font.setStrikeOut(node.change == Removed && index.column() == NameColumn);
        font.setItalic(node.kind == UnnamedKeyRow
                       || (index.column() == StatusColumn && !node.uncertainty.isEmpty()));
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
    case UncertaintyRole:
        return node.uncertainty;
    case FlagsRole:
        return node.flags;
    case OwnFlagsRole:
        return node.ownFlags;
    case RawTextRole:
        return node.text;
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
    case EarlierColumn:
        return QStringLiteral("Earlier");
    case StatusColumn:
        return QStringLiteral("Status");
    case LineColumn:
        return QStringLiteral("Line");
    default:
        return {};
    }
}
