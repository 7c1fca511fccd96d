// Calls one function of each system DLL that is not a KnownDLL. Built twice: linked as the tool is
// (the same delay-import libraries, the DLL search restricted first), and linked the plain way, to
// show what a planted DLL does without that. Without the toolkit, whose DLLs under Wine import
// some of these at start themselves (Wine's user32 imports version.dll; Windows' does not).
#ifdef REPAIRTOOL_PROTECTED
#include "platform/process/dllsearch.h"
#endif

#include <windows.h>

#include <dwmapi.h>
#include <lm.h>
#include <userenv.h>
#include <uxtheme.h>
#include <wtsapi32.h>

int main()
{
#ifdef REPAIRTOOL_PROTECTED
    restrictDllSearch();
#endif
    BOOL composition = FALSE;
    DwmIsCompositionEnabled(&composition);
    NetApiBufferFree(nullptr);
    DWORD size = 0;
    GetProfilesDirectoryW(nullptr, &size);
    IsThemeActive();
    DWORD handle = 0;
    GetFileVersionInfoSizeW(L"kernel32.dll", &handle);
    timeGetTime();
    WTSFreeMemory(nullptr);
    return 0;
}
