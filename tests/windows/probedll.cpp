// Stands in for a system DLL planted beside a program: exports every function of the DLL it is
// named after (each on a stub that does nothing, through its .def file) and, once loaded, leaves
// a file "<name>.loaded" beside itself.
#include <windows.h>

extern "C" int probeStub()
{
    return 0;
}

#ifdef __i386__
// A 32-bit stdcall function takes its arguments off the stack itself: one stub for each size.
#define PROBE_STUB(n) \
    ".globl _probeStub" #n "@" #n "\n_probeStub" #n "@" #n ":\nxorl %eax, %eax\nret $" #n "\n"
asm(".text\n" PROBE_STUB(0) PROBE_STUB(4) PROBE_STUB(8) PROBE_STUB(12) PROBE_STUB(16) PROBE_STUB(20)
            PROBE_STUB(24) PROBE_STUB(28) PROBE_STUB(32) PROBE_STUB(36) PROBE_STUB(40)
                    PROBE_STUB(44) PROBE_STUB(48) PROBE_STUB(52) PROBE_STUB(56) PROBE_STUB(60)
                            PROBE_STUB(64) PROBE_STUB(68));
#endif

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
