#include "registrydump.h"

#include "platform/registrysnapshot.h"

namespace {

// The maker's trees in the order the support staff expect them.
const QStringList &roots()
{
    static const QStringList paths = { QStringLiteral("HKEY_CURRENT_USER\\Software\\Kormand"),
                                       QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand") };
    return paths;
}

// A single space, so that the sealed line is never an empty record.
const QString blankLine = QStringLiteral(" ");
const QString separator = QStringLiteral("====================================");

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

QStringList dumpRegistry()
{
    return dumpRegistry(RegistrySnapshot(roots()));
}

QStringList dumpRegistry(const RegistryReader &registry)
{
    QStringList lines;
    for (const QString &root : roots()) {
        lines << blankLine << separator << QStringLiteral("Mein Entry: %1").arg(root);
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
        lines << blankLine << separator;
        appendGroupBody(registry, childPath(path, group), lines);
    }
}
