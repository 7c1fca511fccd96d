#include "supportlog/registrydump.h"

#include "platform/account/profileaccount.h"
#include "platform/registry/registrysnapshot.h"
#include "supportlog/dumpnames.h"

#include <algorithm>

namespace {

// Registry key names hold no "\", so the path splits back into the names it was made of.
QString childPath(const QString &parent, const QString &child)
{
    return parent + QLatin1Char('\\') + child;
}

// The subkeys in the order of their names as the log writes them.
QStringList sortedGroups(const RegistryReader &registry, const QString &path)
{
    QStringList groups = registry.childGroups(path);
    std::sort(groups.begin(), groups.end(),
              [](const QString &a, const QString &b) { return dumpPathName(a) < dumpPathName(b); });
    return groups;
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
    // One account for every tree read.
    const ProfileAccountScope scope;
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
        const QStringList groups = sortedGroups(registry, root);
        for (const QString &group : groups) {
            const QString path = childPath(root, group);
            lines << separator << dumpPath(path);
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
    const QString written = dumpPath(path);
    QVector<QPair<QString, QString>> keyed;
    const QVector<RegistryReader::Value> values = registry.values(path);
    keyed.reserve(values.size());
    for (const RegistryReader::Value &value : values)
        keyed.append({ dumpRelativeKey(value.keyNames, value.name), value.text });
    std::sort(keyed.begin(), keyed.end(),
              [](const QPair<QString, QString> &a, const QPair<QString, QString> &b) {
                  return a.first < b.first;
              });
    for (const auto &value : qAsConst(keyed))
        lines << dumpKeyLine(written, value.first, value.second);
}

void appendNestedGroups(const RegistryReader &registry, const QString &path, QStringList &lines)
{
    const QStringList groups = sortedGroups(registry, path);
    for (const QString &group : groups) {
        lines << dumpBlankLine() << dumpSeparator();
        appendGroupBody(registry, childPath(path, group), lines);
    }
}
