#ifndef REGISTRYVALUE_H
#define REGISTRYVALUE_H

#include <QByteArray>
#include <QString>
#include <QVariant>

// A registry value as the registry holds it: a type number and raw bytes.
struct RegistryValue
{
    enum Type : quint32 {
        None = 0,
        String = 1,
        ExpandString = 2,
        Binary = 3,
        DWord = 4,
        DWordBigEndian = 5,
        MultiString = 7,
        QWord = 11
    };

    quint32 type = None;
    QByteArray data;

    bool operator==(const RegistryValue &other) const
    {
        return type == other.type && data == other.data;
    }
};

// The value as QSettings in the native format reads it on Windows.
QVariant registryValueToVariant(const RegistryValue &value);
// The value that QSettings in the native format stores on Windows for setValue().
RegistryValue registryValueFromVariant(const QVariant &value);

// Text as UTF-16LE code units, without a terminating NUL.
QByteArray toUtf16Le(const QString &text);
// UTF-16LE code units as text; an odd last byte is dropped.
QString fromUtf16Le(const QByteArray &data);

#endif // REGISTRYVALUE_H
