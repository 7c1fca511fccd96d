// Stands in for a system DLL planted beside a program: exports every function of the DLL it is
// named after (all on the one stub, through its .def file) and, once loaded, leaves a file
// "<name>.loaded" beside itself.
#include <windows.h>

extern "C" int probeStub()
{
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t path[MAX_PATH + 8];
    const DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    if (length > 4 && length < MAX_PATH) {
        lstrcpyW(path + length - 4, L".loaded");
        const HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (marker != INVALID_HANDLE_VALUE)
            CloseHandle(marker);
    }
    return TRUE;
}
