#include "platform/standin/regfileformat.h"

#include <QtEndian>

namespace {

const QLatin1String header("Windows Registry Editor Version 5.00");

bool isHexNumber(const QString &digits, int maxSize)
{
    if (digits.isEmpty() || digits.size() > maxSize)
        return false;
    for (const QChar c : digits) {
        const ushort u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F')))
            return false;
    }
    return true;
}

class RegFileParser
{
public:
    RegFileParser(const QString &text, RegistryNode *hive)
        : lines(text.split(QLatin1Char('\n')))
        , hive(hive)
    {
        for (QString &line : lines) {
            carriageReturns.append(line.endsWith(QLatin1Char('\r')));
            if (carriageReturns.last())
                line.chop(1);
        }
    }

    bool parse()
    {
        if (lines.first().trimmed() != header)
            return fail(QStringLiteral("expected \"%1\"").arg(header));
        for (index = 1; index < lines.size(); ++index) {
            const QString line = lines.at(index);
            const QString trimmed = line.trimmed();
            if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
                continue;
            if (!(trimmed.startsWith(QLatin1Char('[')) ? parseSection(trimmed) : parseValue(line)))
                return false;
        }
        return true;
    }

    int errorLine = 0;
    QString error;

private:
    bool fail(const QString &why)
    {
        errorLine = index + 1;
        error = why;
        return false;
    }

    bool parseSection(const QString &line)
    {
        if (!line.endsWith(QLatin1Char(']')))
            return fail(QStringLiteral("key name without closing \"]\""));
        QString path = line.mid(1, line.size() - 2);
        const bool remove = path.startsWith(QLatin1Char('-'));
        if (remove)
            path.remove(0, 1);
        QStringList names = path.split(QLatin1Char('\\'));
        // An account's hive is named by two levels, "HKEY_USERS\<account>".
        const QStringList hiveNames = hive->name.split(QLatin1Char('\\'));
        for (const QString &hiveName : hiveNames) {
            if (names.isEmpty() || names.takeFirst().compare(hiveName, Qt::CaseInsensitive) != 0)
                return fail(QStringLiteral("key outside %1").arg(hive->name));
        }
        if (names.contains(QString()))
            return fail(QStringLiteral("empty key name in path"));
        current = nullptr;
        if (!remove) {
            current = hive->make(names);
        } else if (names.isEmpty()) {
            return fail(QStringLiteral("a hive cannot be removed"));
        } else {
            const QString last = names.takeLast();
            if (RegistryNode *parent = hive->find(names))
                parent->removeChild(last);
        }
        return true;
    }

    // Where the quoted text that opens at line[open] closes, or -1.
    static int closingQuote(const QString &line, int open)
    {
        for (int i = open + 1; i < line.size(); ++i) {
            if (line.at(i) == QLatin1Char('\\'))
                ++i;
            else if (line.at(i) == QLatin1Char('"'))
                return i;
        }
        return -1;
    }

    // A quoted text from line[*pos] on, with the escapes \\ and \".
    bool parseQuoted(const QString &line, int *pos, QString *text)
    {
        const int close = closingQuote(line, *pos);
        if (close < 0)
            return fail(QStringLiteral("text without closing quote"));
        text->clear();
        for (int i = *pos + 1; i < close; ++i) {
            QChar c = line.at(i);
            if (c == QLatin1Char('\\')) {
                c = line.at(++i);
                if (c != QLatin1Char('\\') && c != QLatin1Char('"'))
                    return fail(QStringLiteral("unknown escape \"\\%1\"").arg(c));
            }
            text->append(c);
        }
        *pos = close + 1;
        return true;
    }

    bool parseValue(const QString &line)
    {
        if (!current)
            return fail(QStringLiteral("value outside a key"));
        QString name;
        int pos = 0;
        while (line.at(pos).isSpace())
            ++pos;
        if (line.at(pos) == QLatin1Char('@'))
            ++pos;
        else if (line.at(pos) != QLatin1Char('"'))
            return fail(QStringLiteral("expected a value name"));
        else if (!parseQuoted(line, &pos, &name))
            return false;
        const QString rest = line.mid(pos);
        if (!rest.trimmed().startsWith(QLatin1Char('=')))
            return fail(QStringLiteral("expected \"=\" after the value name"));
        const QString raw = rest.mid(rest.indexOf(QLatin1Char('=')) + 1);
        const QString data = raw.trimmed();
        if (data == QLatin1String("-")) {
            current->removeValue(name);
            return true;
        }
        RegistryValue value;
        if (data.startsWith(QLatin1Char('"'))) {
            if (!parseText(raw, &value))
                return false;
        } else if (data.startsWith(QLatin1String("dword:"))) {
            const QString digits = data.mid(6);
            if (!isHexNumber(digits, 8))
                return fail(QStringLiteral("bad dword \"%1\"").arg(digits));
            const quint32 number = digits.toUInt(nullptr, 16);
            value.type = RegistryValue::DWord;
            value.data.resize(4);
            qToLittleEndian<quint32>(number, value.data.data());
        } else if (data.startsWith(QLatin1String("hex"))) {
            if (!parseHex(data, &value))
                return false;
        } else {
            return fail(QStringLiteral("unknown value data \"%1\"").arg(data));
        }
        current->setValue(name, value);
        return true;
    }

    // A quoted text. The Registry Editor writes line breaks inside it as they are, so it may go
    // on over lines; errors name the line where it starts.
    bool parseText(QString data, RegistryValue *value)
    {
        const int start = index;
        while (closingQuote(data.trimmed(), 0) < 0 && index + 1 < lines.size()) {
            data += QLatin1String(carriageReturns.at(index) ? "\r\n" : "\n");
            data += lines.at(++index);
        }
        const int end = index;
        index = start;
        data = data.trimmed();
        QString text;
        int pos = 0;
        if (!parseQuoted(data, &pos, &text))
            return false;
        if (!data.mid(pos).trimmed().isEmpty())
            return fail(QStringLiteral("text after the closing quote"));
        index = end;
        value->type = RegistryValue::String;
        value->data = toUtf16Le(text + QChar(QChar::Null));
        return true;
    }

    // hex:..., hex(N):..., continued over lines that end in a backslash.
    bool parseHex(const QString &data, RegistryValue *value)
    {
        const int colon = data.indexOf(QLatin1Char(':'));
        const QString kind = data.left(colon);
        bool ok = colon > 0;
        if (kind == QLatin1String("hex")) {
            value->type = RegistryValue::Binary;
        } else if (ok && kind.startsWith(QLatin1String("hex("))
                   && kind.endsWith(QLatin1Char(')'))) {
            const QString type = kind.mid(4, kind.size() - 5);
            ok = isHexNumber(type, 8);
            value->type = type.toUInt(nullptr, 16);
        } else {
            ok = false;
        }
        if (!ok)
            return fail(QStringLiteral("unknown value type \"%1\"").arg(kind));

        QString bytes = data.mid(colon + 1).trimmed();
        while (bytes.endsWith(QLatin1Char('\\'))) {
            bytes.chop(1);
            if (index + 1 == lines.size())
                return fail(QStringLiteral("continuation at the end of the file"));
            bytes += lines.at(++index).trimmed();
        }
        if (bytes.isEmpty())
            return true;
        for (const QString &item : bytes.split(QLatin1Char(','))) {
            const QString digits = item.trimmed();
            if (!isHexNumber(digits, 2))
                return fail(QStringLiteral("bad byte \"%1\"").arg(digits));
            value->data.append(char(digits.toUInt(nullptr, 16)));
        }
        return true;
    }

    QStringList lines;
    QVector<bool> carriageReturns;
    RegistryNode *hive;
    RegistryNode *current = nullptr;
    int index = 0;
};

QString quoted(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

// Only a well-formed string with nothing that would break its line is written as quoted text.
bool isPlainString(const RegistryValue &value)
{
    if (value.type != RegistryValue::String || value.data.size() < 2 || value.data.size() % 2)
        return false;
    const QString text = fromUtf16Le(value.data);
    return text.indexOf(QChar(QChar::Null)) == text.size() - 1 && !text.contains(QLatin1Char('\n'))
            && !text.contains(QLatin1Char('\r'));
}

// Bytes as the Registry Editor writes them: a line is broken after the comma that reaches
// column 77 and goes on indented by two blanks.
void appendHex(QString *out, QString line, const QByteArray &bytes, const QString &lineEnd)
{
    for (int i = 0; i < bytes.size(); ++i) {
        line += QString::number(quint8(bytes.at(i)), 16).rightJustified(2, QLatin1Char('0'));
        if (i + 1 == bytes.size())
            break;
        line += QLatin1Char(',');
        if (line.size() >= 77) {
            *out += line + QLatin1Char('\\') + lineEnd;
            line = QStringLiteral("  ");
        }
    }
    *out += line + lineEnd;
}

void appendValue(QString *out, const QString &name, const RegistryValue &value,
                 const QString &lineEnd)
{
    const QString prefix = (name.isEmpty() ? QStringLiteral("@") : quoted(name)) + QLatin1Char('=');
    if (isPlainString(value)) {
        *out += prefix + quoted(fromUtf16Le(value.data).chopped(1)) + lineEnd;
    } else if (value.type == RegistryValue::DWord && value.data.size() == 4) {
        *out += prefix + QLatin1String("dword:")
                + QString::number(qFromLittleEndian<quint32>(value.data.constData()), 16)
                          .rightJustified(8, QLatin1Char('0'))
                + lineEnd;
    } else if (value.type == RegistryValue::Binary) {
        appendHex(out, prefix + QLatin1String("hex:"), value.data, lineEnd);
    } else {
        appendHex(out, prefix + QStringLiteral("hex(%1):").arg(value.type, 0, 16), value.data,
                  lineEnd);
    }
}

void appendKey(QString *out, const RegistryNode &node, const QString &path, const QString &lineEnd)
{
    if (node.listed || !node.values.isEmpty() || node.children.empty()) {
        *out += lineEnd + QLatin1Char('[') + path + QLatin1Char(']') + lineEnd;
        for (const auto &entry : node.values)
            appendValue(out, entry.first, entry.second, lineEnd);
    }
    for (const RegistryNode &child : node.children)
        appendKey(out, child, path + QLatin1Char('\\') + child.name, lineEnd);
}

} // namespace

bool parseRegFile(const QString &text, RegistryNode *hive, int *errorLine, QString *error)
{
    RegFileParser parser(text, hive);
    if (parser.parse())
        return true;
    *errorLine = parser.errorLine;
    *error = parser.error;
    return false;
}

QString formatRegFile(const RegistryNode &hive, const QString &lineEnd)
{
    QString out = header + lineEnd;
    if (hive.listed || !hive.values.isEmpty())
        appendKey(&out, hive, hive.name, lineEnd);
    else
        for (const RegistryNode &child : hive.children)
            appendKey(&out, child, hive.name + QLatin1Char('\\') + child.name, lineEnd);
    return out + lineEnd;
}
