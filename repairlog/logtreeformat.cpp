#include "repairlog/logtreeformat.h"

#include "platform/registry/registrynode.h"
#include "platform/registry/registrypath.h"
#include "platform/registry/registryvalue.h"
#include "platform/standin/regfileformat.h"
#include "repairlog/regfilecheck.h"
#include "repairlog/visibletext.h"

#include <algorithm>

namespace {

const QString lineEnd = QStringLiteral("\r\n");

QString quotedName(const LogValue &value)
{
    return value.name.isEmpty() ? QStringLiteral("@")
                                : QLatin1Char('"') + value.name + QLatin1Char('"');
}

QString unnamedNote(const LogKey &key)
{
    return QStringLiteral("; [%1]: an empty key whose name the log does not hold (line %2)")
            .arg(key.path())
            .arg(key.line);
}

// What a registry string holds for the text, as the settings layer writes it (so that it reads
// the text again), always of the string type: a text with a NUL, which the settings layer would
// store as binary data, too.
RegistryValue stringValue(const QString &text)
{
    RegistryValue value = registryValueFromVariant(text);
    if (value.type != RegistryValue::String) {
        value.type = RegistryValue::String;
        value.data += QByteArray(2, '\0');
    }
    return value;
}

void appendTree(QString *out, const LogKey &root, const QHash<const LogValue *, QStringList> &notes)
{
    walkDepthFirst(root, [out, &notes](const LogKey &key, int) {
        if (!key.named) {
            *out += visibleText(unnamedNote(key)) + QLatin1Char('\n');
        } else {
            *out += QLatin1Char('[') + visibleText(key.path()) + QStringLiteral("]\n");
            QVector<const LogValue *> values;
            for (const LogValue &value : key.values)
                values.append(&value);
            std::sort(values.begin(), values.end(),
                      [](const LogValue *a, const LogValue *b) { return a->name < b->name; });
            for (const LogValue *value : qAsConst(values)) {
                *out += visibleText(quotedName(*value)) + QStringLiteral("=\"")
                        + visibleText(value->text) + QLatin1Char('"');
                const QStringList said = notes.value(value);
                if (!said.isEmpty())
                    *out += QStringLiteral(" ; ") + said.join(QStringLiteral("; "));
                *out += QLatin1Char('\n');
            }
        }
        *out += QLatin1Char('\n');
        return true;
    });
}

void collectValues(const LogKey &root, QMap<QPair<QString, QString>, const LogValue *> *values)
{
    walkDepthFirst(root, [values](const LogKey &key, int) {
        const QString path = key.path();
        for (const LogValue &value : key.values)
            values->insert({ path, quotedName(value) }, &value);
        return true;
    });
}

} // namespace

QString formatLogTrees(const LogTrees &trees, const QHash<const LogValue *, QStringList> &notes)
{
    QString out;
    for (const auto &root : trees.roots)
        appendTree(&out, *root, notes);
    return out;
}

QByteArray logTreesToRegFile(const LogTrees &trees, const QString &hive, QStringList *leftOut)
{
    QStringList notes, unheld, roots;
    QVector<RegSection> sections;
    for (const auto &root : trees.roots) {
        QString hiveName;
        QStringList below;
        splitRegistryPath(root->name, &hiveName, &below);
        if (!hive.isEmpty() && hive != hiveName)
            continue;
        roots.append(root->name);
        // Depth first, in the order of the children, without the call stack: each key with its
        // full path.
        std::vector<std::pair<const LogKey *, QString>> pending{ { root.get(), root->name } };
        while (!pending.empty()) {
            const LogKey *key = pending.back().first;
            const QString path = pending.back().second;
            pending.pop_back();
            if (!key->named) {
                notes.append(unnamedNote(*key));
                continue;
            }
            if (key != root.get() && !regFileHoldsKeyName(key->name)) {
                unheld.append(QStringLiteral("[%1]").arg(path));
                continue;
            }
            RegSection section{ path, {} };
            for (const LogValue &value : key->values) {
                if (regFileHoldsValueName(value.name))
                    section.values.append(qMakePair(value.name, stringValue(value.text)));
                else
                    unheld.append(QStringLiteral("[%1] %2").arg(path, quotedName(value)));
            }
            sections.append(section);
            for (auto child = key->children.crbegin(); child != key->children.crend(); ++child)
                pending.emplace_back(child->get(), path + QLatin1Char('\\') + (*child)->name);
        }
    }
    if (leftOut) {
        for (const QString &name : qAsConst(unheld))
            leftOut->append(visibleText(name));
    }

    // The byte-order mark first, so that the text turns into the file's bytes in one piece.
    QString text = QChar(QChar::ByteOrderMark)
            + QStringLiteral("Windows Registry Editor Version 5.00") + lineEnd
            + QStringLiteral("; Rebuilt by repairlog from a support log. The log keeps only the "
                             "text of each value, so every value is written as a string (REG_SZ).")
            + lineEnd;
    for (const QString &note : qAsConst(notes))
        text += visibleText(note) + QStringLiteral(", left out") + lineEnd;
    for (const RegSection &section : qAsConst(sections)) {
        RegistryNode node;
        node.name = section.path;
        node.listed = true;
        node.values = section.values;
        const QString formatted = formatRegFile(node, lineEnd);
        // Without the header line and the blank line that closes the file.
        text += formatted.midRef(formatted.indexOf(lineEnd) + lineEnd.size())
                        .chopped(lineEnd.size());
    }
    text += lineEnd;
    // The file goes nowhere unless it reads back as exactly what was meant.
    if (!verifyRegFile(text.midRef(1), sections, roots).isEmpty())
        return QByteArray();
    return toUtf16Le(text);
}

QMap<QPair<QString, QString>, QString> logValues(const LogTrees &trees)
{
    QMap<QPair<QString, QString>, QString> texts;
    const auto values = logValuesByName(trees);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        texts.insert(texts.cend(), it.key(), it.value()->text);
    return texts;
}

QMap<QPair<QString, QString>, const LogValue *> logValuesByName(const LogTrees &trees)
{
    QMap<QPair<QString, QString>, const LogValue *> values;
    for (const auto &root : trees.roots)
        collectValues(*root, &values);
    return values;
}
