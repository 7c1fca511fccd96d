#ifndef BENCHSUPPORT_H
#define BENCHSUPPORT_H

#include <QString>
#include <QtGlobal>

// How many times b the time a is, with two decimals; a b of 0 counts as 1 ms.
inline QString ratio(qint64 a, qint64 b)
{
    return QString::number(double(a) / qMax<qint64>(1, b), 'f', 2);
}

// Windows and boxes stay off the screen unless QT_QPA_PLATFORM asks for one; call before the
// application object is made.
inline void preferOffscreenPlatform()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

#endif // BENCHSUPPORT_H
