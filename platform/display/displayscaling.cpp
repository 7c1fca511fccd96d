#include "platform/display/displayscaling.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QtGlobal>

void prepareDisplayScaling()
{
#if QT_VERSION >= QT_VERSION_CHECK(5, 14, 0)
    // The form places its widgets at fixed pixel rectangles: the toolkit scales them by exactly
    // the display's factor, 1.25 and 1.5 included.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
            Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
#elif defined(Q_OS_WIN)
    // Before 5.14 the toolkit rounds its factor to a whole number (150 % would draw at 200 % and
    // not fit a 1080-line screen, 125 % at 100 % with 125 % fonts cut off in their boxes). Left
    // DPI-unaware, the window is drawn at 100 % and Windows stretches it by the exact factor.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "windows:dpiawareness=0");
#endif
}
