#include "repairlog/loglimits.h"

#include "supportlog/dumpnames.h"

#include <algorithm>

namespace {

bool anyLongerThan(const QStringList &names, int most)
{
    return std::any_of(names.cbegin(), names.cend(),
                       [most](const QString &name) { return name.size() > most; });
}

} // namespace

QString tooLong()
{
    return QStringLiteral("too long for a support log");
}

QString RegistryLimitCheck::check(const QString &line)
{
    QString path, relativeKey, text;
    // Only key lines name keys below the first level; a header or group line is its root's or
    // one level below.
    if (!splitDumpKeyLine(line, &path, &relativeKey, &text))
        return QString();
    if (path != lastPath) {
        lastPath = path;
        QStringList pathNames;
        const bool read = readDumpPath(path, &pathNames);
        // The hive itself is no level.
        lastPathDepth = read ? pathNames.size() - 1 : 0;
        lastPathVerdict = read && anyLongerThan(pathNames.mid(1), LogLimits::MaxKeyName)
                ? tooLong()
                : QString();
    }
    QStringList keyNames;
    QString valueName;
    if (!readDumpRelativeKey(relativeKey, &keyNames, &valueName))
        return QString();
    if (lastPathDepth + keyNames.size() > LogLimits::MaxDepth)
        return QStringLiteral("deeper than the registry allows");
    if (!lastPathVerdict.isEmpty() || anyLongerThan(keyNames, LogLimits::MaxKeyName)
        || valueName.size() > LogLimits::MaxValueName)
        return tooLong();
    return QString();
}
