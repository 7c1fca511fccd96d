#include "supportlog/dumpnames.h"

#include "platform/registry/registrypath.h"

namespace {

const QLatin1String pathEnd("] + [");
const QLatin1String keyEnd("]: ");
const QLatin1Char quote('"');
const QLatin1Char pathSeparator('\\');
const QLatin1Char keySeparator('/');

bool needsQuotes(const QString &name, bool valueName)
{
    return name.startsWith(quote) || name.contains(pathSeparator)
            || (valueName && name == QLatin1String("."))
            || (name.contains(QLatin1Char(']'))
                && (name.contains(pathEnd) || name.contains(keyEnd)));
}

QString quoted(const QString &name)
{
    QString doubled = name;
    doubled.replace(quote, QLatin1String("\"\""));
    return quote + doubled + quote;
}

QString relativeName(const QString &name, bool valueName)
{
    if (valueName && name.isEmpty())
        return QStringLiteral(".");
    return needsQuotes(name, valueName) ? quoted(name) : settingsName(name);
}

bool endsAt(const QString &text, int i, QLatin1String terminator)
{
    return terminator.size() > 0 && text.at(i) == QLatin1Char(terminator.at(0))
            && text.midRef(i, terminator.size()) == terminator;
}

// One name at text[*pos]: quoted, or up to the separator or the terminator. Leaves *pos on what
// follows it. Without name, only finds its end.
bool readName(const QString &text, int *pos, QChar separator, QLatin1String terminator,
              QString *name, bool *wasQuoted)
{
    if (name)
        name->clear();
    int i = *pos;
    *wasQuoted = i < text.size() && text.at(i) == quote;
    if (*wasQuoted) {
        for (++i; i < text.size(); ++i) {
            const bool doubled
                    = text.at(i) == quote && i + 1 < text.size() && text.at(i + 1) == quote;
            if (text.at(i) == quote && !doubled) {
                *pos = i + 1;
                return true;
            }
            if (name)
                name->append(text.at(i));
            i += doubled ? 1 : 0;
        }
        return false;
    }
    while (i < text.size() && text.at(i) != separator && !endsAt(text, i, terminator))
        ++i;
    if (name)
        *name = text.mid(*pos, i - *pos);
    const bool empty = i == *pos;
    *pos = i;
    return !empty;
}

// Names separated by separator from text[*pos] up to the terminator, or to the end of the text
// when the terminator is empty; *pos ends on the terminator. Raw names are taken as written.
// Without names, only finds the end.
bool readNames(const QString &text, int *pos, QChar separator, QLatin1String terminator,
               QStringList *names, QVector<bool> *quotedNames)
{
    if (names) {
        names->clear();
        quotedNames->clear();
    }
    for (;;) {
        QString name;
        bool wasQuoted = false;
        if (!readName(text, pos, separator, terminator, names ? &name : nullptr, &wasQuoted))
            return false;
        if (names) {
            names->append(name);
            quotedNames->append(wasQuoted);
        }
        if (terminator.size() == 0 && *pos == text.size())
            return true;
        if (*pos < text.size() && endsAt(text, *pos, terminator))
            return true;
        if (*pos == text.size() || text.at(*pos) != separator)
            return false;
        ++*pos;
    }
}

} // namespace

QString dumpPathName(const QString &keyName)
{
    return needsQuotes(keyName, false) ? quoted(keyName) : keyName;
}

QString dumpPath(const QString &registryPath)
{
    QStringList names = registryPath.split(pathSeparator);
    for (QString &name : names)
        name = dumpPathName(name);
    return names.join(pathSeparator);
}

QString dumpRelativeKey(const QStringList &keyNames, const QString &valueName)
{
    QString key;
    for (const QString &name : keyNames)
        key += relativeName(name, false) + keySeparator;
    return key + relativeName(valueName, true);
}

QString dumpKeyLine(const QString &path, const QString &relativeKey, const QString &text)
{
    return QLatin1Char('[') + path + pathEnd + relativeKey + keyEnd + text;
}

bool splitDumpKeyLine(const QString &line, QString *path, QString *relativeKey, QString *text)
{
    if (!line.startsWith(QLatin1Char('[')))
        return false;
    int pos = 1;
    if (!readNames(line, &pos, pathSeparator, pathEnd, nullptr, nullptr))
        return false;
    const int keyStart = pos + pathEnd.size();
    *path = line.mid(1, pos - 1);
    pos = keyStart;
    if (!readNames(line, &pos, keySeparator, keyEnd, nullptr, nullptr))
        return false;
    *relativeKey = line.mid(keyStart, pos - keyStart);
    *text = line.mid(pos + keyEnd.size());
    return true;
}

bool readDumpPath(const QString &path, QStringList *keyNames)
{
    QVector<bool> quotedNames;
    int pos = 0;
    return readNames(path, &pos, pathSeparator, QLatin1String(), keyNames, &quotedNames);
}

bool readDumpRelativeKey(const QString &relativeKey, QStringList *keyNames, QString *valueName)
{
    QVector<bool> quotedNames;
    int pos = 0;
    if (!readNames(relativeKey, &pos, keySeparator, QLatin1String(), keyNames, &quotedNames))
        return false;
    for (int i = 0; i < keyNames->size(); ++i) {
        if (!quotedNames.at(i))
            (*keyNames)[i] = settingsName(keyNames->at(i));
    }
    *valueName = keyNames->takeLast();
    if (!quotedNames.last() && *valueName == QLatin1String("."))
        valueName->clear();
    return true;
}
