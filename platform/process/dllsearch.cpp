#include "platform/process/dllsearch.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <cstdlib>
#include <string>
#endif

#ifdef Q_OS_WIN
namespace {

using SetDefaultDirectories = BOOL(WINAPI *)(DWORD);

// Windows 7 has SetDefaultDllDirectories only with update KB2533623, hence the look-up in
// kernel32, which is mapped from System32 before the program runs. A test build hides it, to
// show the way without it.
SetDefaultDirectories setDefaultDllDirectories()
{
#ifdef REPAIRTOOL_HIDE_SET_DEFAULT_DLL_DIRECTORIES
    return nullptr;
#else
    return reinterpret_cast<SetDefaultDirectories>(reinterpret_cast<void *>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
#endif
}

// Loads the delay-loaded DLLs (cmake/DelayLoad.cmake) from System32 by their full paths: loaded
// once, a DLL is found by its name without any search. False when one does not load.
bool loadDelayLoadedFromSystem32()
{
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    for (const wchar_t *dll : { L"dwmapi.dll", L"netapi32.dll", L"userenv.dll", L"uxtheme.dll",
                                L"version.dll", L"winmm.dll", L"wtsapi32.dll" }) {
        const std::wstring path = std::wstring(folder, length) + L'\\' + dll;
        if (!LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH))
            return false;
    }
    return true;
}

// Ends the program with a message. user32, a KnownDLL, is loaded only here: imported, it would
// be mapped at start, and under Wine it imports version.dll, one of the DLLs above.
[[noreturn]] void refuseToStart()
{
    using MessageBox = int(WINAPI *)(HWND, LPCWSTR, LPCWSTR, UINT);
    const auto messageBox = reinterpret_cast<MessageBox>(
            reinterpret_cast<void *>(GetProcAddress(LoadLibraryW(L"user32.dll"), "MessageBoxW")));
    if (messageBox)
        messageBox(nullptr,
                   L"Eine Systembibliothek konnte nicht aus dem Windows-Systemordner geladen "
                   L"werden. Das Programm wird beendet. Bitte setze dich mit dem Support in "
                   L"Verbindung.",
                   L"Kormand Velto Studio RepairTool", MB_OK | MB_ICONERROR);
    std::exit(1);
}

} // namespace
#endif

void restrictDllSearch()
{
#ifdef Q_OS_WIN
    const SetDefaultDirectories setDefault = setDefaultDllDirectories();
    if (setDefault) {
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    } else if (!loadDelayLoadedFromSystem32()) {
        refuseToStart();
    }
    // Takes the current folder out of the classic search order as well.
    SetDllDirectoryW(L"");
#endif
}
