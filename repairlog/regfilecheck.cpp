#include "repairlog/regfilecheck.h"

#include <algorithm>

namespace {

const QLatin1String header("Windows Registry Editor Version 5.00");
const QLatin1String stringHex("hex(1):");

bool breaksLine(QChar c)
{
    return c.category() == QChar::Other_Control || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator;
}

bool holdsNoBreak(const QString &name)
{
    return std::none_of(name.cbegin(), name.cend(), breaksLine);
}

// A quoted text from pos, with "\\" and "\"" as the only escapes; pos goes past its end.
bool readQuoted(const QStringRef &line, int *pos, QString *text)
{
    if (*pos >= line.size() || line.at(*pos) != QLatin1Char('"'))
        return false;
    text->clear();
    for (int i = *pos + 1; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('"')) {
            *pos = i + 1;
            return true;
        }
        if (c == QLatin1Char('\\')) {
            if (++i == line.size()
                || (line.at(i) != QLatin1Char('\\') && line.at(i) != QLatin1Char('"')))
                return false;
        }
        *text += line.at(i);
    }
    return false;
}

// Two hexadecimal digits per byte, separated by commas.
bool readHexBytes(const QString &digits, QByteArray *bytes)
{
    const QVector<QStringRef> pairs = digits.splitRef(QLatin1Char(','));
    for (const QStringRef &pair : pairs) {
        const bool hex = pair.size() == 2 && std::all_of(pair.cbegin(), pair.cend(), [](QChar c) {
                             return c.isDigit() || (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
                         });
        if (!hex)
            return false;
        bytes->append(char(pair.toUInt(nullptr, 16)));
    }
    return true;
}

class StrictReader
{
public:
    StrictReader(const QStringRef &text, const QVector<RegSection> &intended,
                 const QStringList &roots)
        : lines(text.split(QStringLiteral("\r\n")))
        , intended(intended)
        , roots(roots)
    { }

    QString read()
    {
        if (lines.isEmpty() || lines.first() != header)
            return QStringLiteral("it does not begin with the Registry Editor's header");
        for (index = 1; index < lines.size(); ++index) {
            const QStringRef &line = lines.at(index);
            QString failure;
            if (line.contains(QLatin1Char('\r')) || line.contains(QLatin1Char('\n')))
                failure = QStringLiteral("a line break inside a line");
            else if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
                continue;
            else if (line.startsWith(QLatin1Char('[')))
                failure = section(line);
            else
                failure = value(line);
            if (!failure.isEmpty())
                return QStringLiteral("line %1: %2").arg(index + 1).arg(failure);
        }
        if (!sectionComplete() || sections != intended.size())
            return QStringLiteral("sections or values are missing");
        return QString();
    }

private:
    bool sectionComplete() const
    {
        return sections == 0 || valuesRead == intended.at(sections - 1).values.size();
    }

    bool inRoots(const QStringRef &path) const
    {
        return std::any_of(roots.cbegin(), roots.cend(), [&path](const QString &root) {
            return path.compare(root, Qt::CaseInsensitive) == 0
                    || path.startsWith(root + QLatin1Char('\\'), Qt::CaseInsensitive);
        });
    }

    QString section(const QStringRef &line)
    {
        if (line.startsWith(QLatin1String("[-")) || !line.endsWith(QLatin1Char(']')))
            return QStringLiteral("a section that deletes or does not close");
        const QStringRef path = line.mid(1, line.size() - 2);
        if (!inRoots(path))
            return QStringLiteral("a section outside the log's trees");
        if (!sectionComplete() || sections == intended.size() || intended.at(sections).path != path)
            return QStringLiteral("a section other than the one meant");
        ++sections;
        valuesRead = 0;
        return QString();
    }

    QString value(const QStringRef &line)
    {
        if (sections == 0 || valuesRead == intended.at(sections - 1).values.size())
            return QStringLiteral("a value other than the ones meant");
        int pos = 0;
        QString name;
        if (line.startsWith(QLatin1String("@=")))
            pos = 1;
        else if (!readQuoted(line, &pos, &name) || pos == line.size()
                 || line.at(pos) != QLatin1Char('='))
            return QStringLiteral("a line that is no value");
        ++pos;
        RegistryValue read;
        read.type = RegistryValue::String;
        QString text;
        if (readQuoted(line, &pos, &text) && pos == line.size()) {
            read.data = toUtf16Le(text) + QByteArray(2, '\0');
        } else if (line.mid(pos).startsWith(stringHex)) {
            QString digits = line.mid(pos + stringHex.size()).toString();
            while (digits.endsWith(QLatin1Char('\\')) && index + 1 < lines.size()
                   && lines.at(index + 1).startsWith(QLatin1String("  "))) {
                digits.chop(1);
                digits += lines.at(++index).mid(2);
            }
            if (!readHexBytes(digits, &read.data))
                return QStringLiteral("a value that is no string");
        } else {
            return QStringLiteral("a value that is no string");
        }
        const auto &meant = intended.at(sections - 1).values.at(valuesRead++);
        if (meant.first != name || !(meant.second == read))
            return QStringLiteral("a value other than the one meant");
        return QString();
    }

    const QVector<QStringRef> lines;
    const QVector<RegSection> &intended;
    const QStringList &roots;
    int index = 0;
    int sections = 0;
    int valuesRead = 0;
};

} // namespace

bool regFileHoldsKeyName(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('\\')) && holdsNoBreak(name);
}

bool regFileHoldsValueName(const QString &name)
{
    return holdsNoBreak(name);
}

QString verifyRegFile(const QStringRef &text, const QVector<RegSection> &intended,
                      const QStringList &roots)
{
    return StrictReader(text, intended, roots).read();
}
