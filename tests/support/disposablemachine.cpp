#include "disposablemachine.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

bool runsUnderWine()
{
#ifdef Q_OS_WIN
    // Wine's ntdll exports its version; Windows' own does not.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
}

bool machineIsDisposable(QString *reason)
{
    QString why;
    bool disposable = true;
#ifdef Q_OS_WIN
    if (runsUnderWine()) {
        why = QStringLiteral("runs under Wine");
    } else if (qgetenv("REPAIRTOOL_DISPOSABLE_MACHINE") == "1") {
        why = QStringLiteral("REPAIRTOOL_DISPOSABLE_MACHINE=1 declares this machine disposable");
    } else {
        disposable = false;
        why = QStringLiteral(
                "these tests change the real registry and the user's folders of this "
                "Windows machine; run them under Wine, or set "
                "REPAIRTOOL_DISPOSABLE_MACHINE=1 on a machine that may be thrown away");
    }
#else
    why = QStringLiteral("the stand-in keeps every change in a temporary folder");
#endif
    if (reason)
        *reason = why;
    return disposable;
}

void requireDisposableMachine()
{
    QString reason;
    if (!machineIsDisposable(&reason))
        qFatal("Refusing to run: %s", qUtf8Printable(reason));
}
