#include "registrydump.h"

#include "platform/registrykey.h"

namespace {

// The maker's trees in the order the support staff expect them.
const char *const roots[]
        = { "HKEY_CURRENT_USER\\Software\\Kormand", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand" };

// A single space, so that the sealed line is never an empty record.
const QString blankLine = QStringLiteral(" ");
const QString separator = QStringLiteral("====================================");

// All markers are filled in one pass so that a "%1" inside a name cannot be filled again.
QString childPath(const QString &parent, const QString &child)
{
    return QStringLiteral("%1\\%2").arg(parent, child);
}

void appendGroupBody(const QString &path, QStringList &lines)
{
    if (hasAnyKeys(path))
        appendKeyLines(path, lines);
    if (hasChildGroups(path))
        appendNestedGroups(path, lines);
}

} // namespace

QStringList dumpRegistry()
{
    QStringList lines;
    for (const char *root : roots) {
        const QString rootPath = QString::fromLatin1(root);
        lines << blankLine << separator << QStringLiteral("Mein Entry: %1").arg(rootPath);
        if (hasAnyKeys(rootPath))
            appendKeyLines(rootPath, lines);
        const QStringList groups = RegistryKey(rootPath).childGroups();
        for (const QString &group : groups) {
            const QString path = childPath(rootPath, group);
            lines << separator << path;
            appendGroupBody(path, lines);
        }
    }
    return lines;
}

bool hasAnyKeys(const QString &path)
{
    return !RegistryKey(path).allKeys().isEmpty();
}

bool hasChildGroups(const QString &path)
{
    return !RegistryKey(path).childGroups().isEmpty();
}

void appendKeyLines(const QString &path, QStringList &lines)
{
    const RegistryKey key(path);
    const QStringList names = key.allKeys();
    for (const QString &name : names)
        lines << QStringLiteral("[%1] + [%2]: %3").arg(path, name, key.text(name));
}

void appendNestedGroups(const QString &path, QStringList &lines)
{
    const QStringList groups = RegistryKey(path).childGroups();
    for (const QString &group : groups) {
        lines << blankLine << separator;
        appendGroupBody(childPath(path, group), lines);
    }
}
