#include "platform/registry/registryvalue.h"

#include <QDataStream>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QtEndian>

// The conversions below follow the toolkit's Windows settings code (readKey, set,
// stringToVariant, variantToString), so the stand-in reads what Windows would.

QByteArray toUtf16Le(const QString &text)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    for (int i = 0; i < text.size(); ++i)
        qToLittleEndian<quint16>(text.at(i).unicode(), bytes.data() + 2 * i);
    return bytes;
}

QString fromUtf16Le(const QByteArray &data)
{
    QString text;
    text.reserve(data.size() / 2);
    for (int i = 0; i + 1 < data.size(); i += 2)
        text.append(QChar(qFromLittleEndian<quint16>(data.constData() + i)));
    return text;
}

namespace {

QStringList splitArgs(const QString &s, int open)
{
    QStringList result;
    QString item;
    for (int i = open + 1; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c == QLatin1Char(')')) {
            result.append(item);
        } else if (c == QLatin1Char(' ')) {
            result.append(item);
            item.clear();
        } else {
            item.append(c);
        }
    }
    return result;
}

QVariant fromDataStream(const QString &s, int offset, QDataStream::Version version)
{
    QByteArray bytes = s.midRef(offset).toLatin1();
    QDataStream stream(&bytes, QIODevice::ReadOnly);
    stream.setVersion(version);
    QVariant result;
    stream >> result;
    return result;
}

QVariant stringToVariant(const QString &s)
{
    if (!s.startsWith(QLatin1Char('@')))
        return s;
    if (s.endsWith(QLatin1Char(')'))) {
        if (s.startsWith(QLatin1String("@ByteArray(")))
            return s.midRef(11, s.size() - 12).toLatin1();
        if (s.startsWith(QLatin1String("@String(")))
            return s.mid(8, s.size() - 9);
        if (s.startsWith(QLatin1String("@Variant(")))
            return fromDataStream(s, 9, QDataStream::Qt_4_0);
        if (s.startsWith(QLatin1String("@DateTime(")))
            return fromDataStream(s, 10, QDataStream::Qt_5_6);
        if (s.startsWith(QLatin1String("@Rect("))) {
            const QStringList args = splitArgs(s, 5);
            if (args.size() == 4)
                return QRect(args[0].toInt(), args[1].toInt(), args[2].toInt(), args[3].toInt());
        } else if (s.startsWith(QLatin1String("@Size("))) {
            const QStringList args = splitArgs(s, 5);
            if (args.size() == 2)
                return QSize(args[0].toInt(), args[1].toInt());
        } else if (s.startsWith(QLatin1String("@Point("))) {
            const QStringList args = splitArgs(s, 6);
            if (args.size() == 2)
                return QPoint(args[0].toInt(), args[1].toInt());
        } else if (s == QLatin1String("@Invalid()")) {
            return QVariant();
        }
    }
    if (s.startsWith(QLatin1String("@@")))
        return s.mid(1);
    return s;
}

QVariant stringListToVariantList(const QStringList &list)
{
    QStringList strings = list;
    for (QString &s : strings) {
        if (!s.startsWith(QLatin1Char('@')))
            continue;
        if (s.startsWith(QLatin1String("@@"))) {
            s.remove(0, 1);
        } else {
            QVariantList variants;
            for (const QString &item : list)
                variants.append(stringToVariant(item));
            return variants;
        }
    }
    return strings;
}

QString variantToString(const QVariant &v)
{
    switch (v.userType()) {
    case QMetaType::UnknownType:
        return QStringLiteral("@Invalid()");
    case QMetaType::QByteArray: {
        const QByteArray a = v.toByteArray();
        return QLatin1String("@ByteArray(") + QLatin1String(a.constData(), a.size())
                + QLatin1Char(')');
    }
    case QMetaType::QString:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Bool:
    case QMetaType::Double: {
        QString result = v.toString();
        if (result.contains(QChar::Null))
            return QLatin1String("@String(") + result + QLatin1Char(')');
        if (result.startsWith(QLatin1Char('@')))
            result.prepend(QLatin1Char('@'));
        return result;
    }
    case QMetaType::QRect: {
        const QRect r = v.toRect();
        return QString::asprintf("@Rect(%d %d %d %d)", r.x(), r.y(), r.width(), r.height());
    }
    case QMetaType::QSize: {
        const QSize s = v.toSize();
        return QString::asprintf("@Size(%d %d)", s.width(), s.height());
    }
    case QMetaType::QPoint: {
        const QPoint p = v.toPoint();
        return QString::asprintf("@Point(%d %d)", p.x(), p.y());
    }
    default: {
        const bool dateTime = v.userType() == QMetaType::QDateTime;
        QByteArray a;
        {
            QDataStream stream(&a, QIODevice::WriteOnly);
            stream.setVersion(dateTime ? QDataStream::Qt_5_6 : QDataStream::Qt_4_0);
            stream << v;
        }
        return QLatin1String(dateTime ? "@DateTime(" : "@Variant(")
                + QLatin1String(a.constData(), a.size()) + QLatin1Char(')');
    }
    }
}

// Windows reads a string value up to its first NUL, tolerating a missing terminator.
QString terminatedString(const QByteArray &data, int from)
{
    QString text;
    for (int i = from; i < data.size(); i += 2) {
        const quint16 unit
                = quint8(data.at(i)) | (i + 1 < data.size() ? quint8(data.at(i + 1)) << 8 : 0);
        if (unit == 0)
            break;
        text.append(QChar(unit));
    }
    return text;
}

template<typename T>
T littleEndianNumber(const QByteArray &data)
{
    QByteArray bytes = data.left(sizeof(T));
    bytes.append(QByteArray(int(sizeof(T)) - bytes.size(), '\0'));
    return qFromLittleEndian<T>(bytes.constData());
}

} // namespace

QVariant registryValueToVariant(const RegistryValue &value)
{
    switch (value.type) {
    case RegistryValue::String:
    case RegistryValue::ExpandString:
        return stringToVariant(terminatedString(value.data, 0));
    case RegistryValue::MultiString: {
        QStringList strings;
        int at = 0;
        for (;;) {
            const QString s = terminatedString(value.data, at);
            if (s.isEmpty())
                break;
            strings.append(s);
            at += 2 * (s.size() + 1);
        }
        return stringListToVariantList(strings);
    }
    case RegistryValue::None:
    case RegistryValue::Binary:
        return stringToVariant(fromUtf16Le(value.data));
    // The toolkit reads the big-endian kind unswapped as well.
    case RegistryValue::DWord:
    case RegistryValue::DWordBigEndian:
        return littleEndianNumber<qint32>(value.data);
    case RegistryValue::QWord:
        return QVariant(qint64(littleEndianNumber<qint64>(value.data)));
    default:
        return QVariant();
    }
}

RegistryValue registryValueFromVariant(const QVariant &value)
{
    RegistryValue result;
    switch (value.userType()) {
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        QStringList strings;
        bool binary = false;
        for (const QVariant &item : value.toList()) {
            strings.append(variantToString(item));
            binary = binary || strings.last().isEmpty() || strings.last().contains(QChar::Null);
        }
        if (binary) {
            result.type = RegistryValue::Binary;
            result.data = toUtf16Le(variantToString(value));
        } else {
            result.type = RegistryValue::MultiString;
            for (const QString &s : qAsConst(strings))
                result.data += toUtf16Le(s + QChar(QChar::Null));
            result.data.append(2, '\0');
        }
        break;
    }
    case QMetaType::Int:
    case QMetaType::UInt:
        result.type = RegistryValue::DWord;
        result.data.resize(4);
        qToLittleEndian<qint32>(value.toInt(), result.data.data());
        break;
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        result.type = RegistryValue::QWord;
        result.data.resize(8);
        qToLittleEndian<qint64>(value.toLongLong(), result.data.data());
        break;
    default: {
        const QString s = variantToString(value);
        const bool binary = s.contains(QChar::Null);
        result.type = binary ? RegistryValue::Binary : RegistryValue::String;
        result.data = toUtf16Le(binary ? s : s + QChar(QChar::Null));
        break;
    }
    }
    return result;
}
