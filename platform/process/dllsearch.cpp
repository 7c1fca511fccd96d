#include "platform/process/dllsearch.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

void restrictDllSearch()
{
#ifdef Q_OS_WIN
    // Windows 7 has SetDefaultDllDirectories only with update KB2533623, hence the look-up in
    // kernel32, which is mapped from System32 before the program runs.
    using SetDefaultDirectories = BOOL(WINAPI *)(DWORD);
    const auto setDefaultDllDirectories
            = reinterpret_cast<SetDefaultDirectories>(reinterpret_cast<void *>(
                    GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories)
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Takes the current folder out of the classic search order as well.
    SetDllDirectoryW(L"");
#endif
}
