#include "repairlog/logtreeformat.h"

#include "platform/registry/registrynode.h"
#include "platform/registry/registrypath.h"
#include "platform/registry/registryvalue.h"
#include "platform/standin/regfileformat.h"

#include <algorithm>

namespace {

const QString lineEnd = QStringLiteral("\r\n");

// The registry's path of a key: below the root, the log's names turned back.
QString registryPath(const LogKey &key)
{
    if (!key.parent)
        return key.name;
    return registryPath(*key.parent) + QLatin1Char('\\')
            + (key.named ? settingsName(key.name) : QStringLiteral("?"));
}

QString registryValueName(const LogValue &value)
{
    return value.name == QLatin1String(".") ? QString() : settingsName(value.name);
}

QString quotedName(const LogValue &value)
{
    const QString name = registryValueName(value);
    return name.isEmpty() ? QStringLiteral("@") : QLatin1Char('"') + name + QLatin1Char('"');
}

QString unnamedNote(const LogKey &key)
{
    return QStringLiteral("; [%1]: an empty key whose name the log does not hold (line %2)")
            .arg(registryPath(key))
            .arg(key.line);
}

void appendTree(QString *out, const LogKey &key, const QHash<const LogValue *, QStringList> &notes)
{
    if (!key.named) {
        *out += unnamedNote(key) + QLatin1Char('\n');
    } else {
        *out += QLatin1Char('[') + registryPath(key) + QStringLiteral("]\n");
        QVector<const LogValue *> values;
        for (const LogValue &value : key.values)
            values.append(&value);
        std::sort(values.begin(), values.end(),
                  [](const LogValue *a, const LogValue *b) { return a->name < b->name; });
        for (const LogValue *value : qAsConst(values)) {
            *out += quotedName(*value) + QStringLiteral("=\"") + value->text + QLatin1Char('"');
            const QStringList said = notes.value(value);
            if (!said.isEmpty())
                *out += QStringLiteral(" ; ") + said.join(QStringLiteral("; "));
            *out += QLatin1Char('\n');
        }
    }
    *out += QLatin1Char('\n');
    for (const auto &child : key.children)
        appendTree(out, *child, notes);
}

void addToHive(RegistryNode *node, const LogKey &key, QStringList *leftOut)
{
    for (const LogValue &value : key.values)
        node->setValue(registryValueName(value), registryValueFromVariant(value.text));
    for (const auto &child : key.children) {
        if (child->named)
            addToHive(node->make({ settingsName(child->name) }), *child, leftOut);
        else
            leftOut->append(unnamedNote(*child));
    }
}

void collectValues(const LogKey &key, QMap<QPair<QString, QString>, QString> *values)
{
    for (const LogValue &value : key.values)
        values->insert({ registryPath(key), quotedName(value) }, value.text);
    for (const auto &child : key.children)
        collectValues(*child, values);
}

} // namespace

QString formatLogTrees(const LogTrees &trees, const QHash<const LogValue *, QStringList> &notes)
{
    QString out;
    for (const auto &root : trees.roots)
        appendTree(&out, *root, notes);
    return out;
}

QByteArray logTreesToRegFile(const LogTrees &trees, const QString &hive)
{
    QStringList leftOut;
    QString body;
    for (const auto &root : trees.roots) {
        QString hiveName;
        QStringList below;
        splitRegistryPath(root->name, &hiveName, &below);
        if (!hive.isEmpty() && hive != hiveName)
            continue;
        RegistryNode node;
        node.name = hiveName;
        addToHive(node.make(below), *root, &leftOut);
        const QString formatted = formatRegFile(node, lineEnd);
        // Without its header line and the blank line that closes it.
        body += formatted.mid(formatted.indexOf(lineEnd) + lineEnd.size()).chopped(lineEnd.size());
    }
    QString text = QStringLiteral("Windows Registry Editor Version 5.00") + lineEnd
            + QStringLiteral("; Rebuilt by repairlog from a support log. The log keeps only the "
                             "text of each value, so every value is written as a string (REG_SZ).")
            + lineEnd;
    for (const QString &note : qAsConst(leftOut))
        text += note + QStringLiteral(", left out") + lineEnd;
    return "\xff\xfe" + toUtf16Le(text + body + lineEnd);
}

QMap<QPair<QString, QString>, QString> logValues(const LogTrees &trees)
{
    QMap<QPair<QString, QString>, QString> values;
    for (const auto &root : trees.roots)
        collectValues(*root, &values);
    return values;
}

QString logKeyRegistryPath(const LogKey &key)
{
    return registryPath(key);
}

QString logValueRegistryName(const LogValue &value)
{
    return registryValueName(value);
}
