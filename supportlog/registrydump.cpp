#include "supportlog/registrydump.h"

#include "platform/registry/registrysnapshot.h"

namespace {

// All markers are filled in one pass so that a "%1" inside a name cannot be filled again.
QString childPath(const QString &parent, const QString &child)
{
    return QStringLiteral("%1\\%2").arg(parent, child);
}

void appendGroupBody(const RegistryReader &registry, const QString &path, QStringList &lines)
{
    if (hasAnyKeys(registry, path))
        appendKeyLines(registry, path, lines);
    if (hasChildGroups(registry, path))
        appendNestedGroups(registry, path, lines);
}

} // namespace

QStringList dumpRootPaths()
{
    // In the order the support staff expect them.
    return { QStringLiteral("HKEY_CURRENT_USER\\Software\\Kormand"),
             QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand") };
}

QString dumpBlankLine()
{
    // A single space, so that the sealed line is never an empty record.
    return QStringLiteral(" ");
}

QString dumpSeparator()
{
    return QStringLiteral("====================================");
}

QString dumpRootHeader(const QString &rootPath)
{
    return QStringLiteral("Mein Entry: %1").arg(rootPath);
}

QStringList dumpRegistry()
{
    return dumpRegistry(RegistrySnapshot(dumpRootPaths()));
}

QStringList dumpRegistry(const RegistryReader &registry)
{
    const QString blankLine = dumpBlankLine();
    const QString separator = dumpSeparator();
    QStringList lines;
    for (const QString &root : dumpRootPaths()) {
        lines << blankLine << separator << dumpRootHeader(root);
        if (hasAnyKeys(registry, root))
            appendKeyLines(registry, root, lines);
        const QStringList groups = registry.childGroups(root);
        for (const QString &group : groups) {
            const QString path = childPath(root, group);
            lines << separator << path;
            appendGroupBody(registry, path, lines);
        }
    }
    return lines;
}

bool hasAnyKeys(const RegistryReader &registry, const QString &path)
{
    return !registry.allKeys(path).isEmpty();
}

bool hasChildGroups(const RegistryReader &registry, const QString &path)
{
    return !registry.childGroups(path).isEmpty();
}

void appendKeyLines(const RegistryReader &registry, const QString &path, QStringList &lines)
{
    const QVector<RegistryReader::Value> values = registry.values(path);
    for (const RegistryReader::Value &value : values)
        lines << QStringLiteral("[%1] + [%2]: %3").arg(path, value.key, value.text);
}

void appendNestedGroups(const RegistryReader &registry, const QString &path, QStringList &lines)
{
    const QStringList groups = registry.childGroups(path);
    for (const QString &group : groups) {
        lines << dumpBlankLine() << dumpSeparator();
        appendGroupBody(registry, childPath(path, group), lines);
    }
}
