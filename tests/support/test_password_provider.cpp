// A stand-in for the platform's MPR.DLL password provider: logs the change
// request it gets and whether it is unloaded before the process ends, and whether
// it was loaded from anywhere but the system folder.
#include <windows.h>

#include <cstdio>

#include "tests/support/helper_log.h"
#include "tests/support/saver_process.h"

#ifndef WITHOUT_CHANGE_ENTRY
extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR keyName, HWND parent,
                                                                 DWORD reserved1, DWORD reserved2) {
    char line[256];
    std::snprintf(line, sizeof(line), "change %s %llu %lu %lu", keyName,
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(parent)),
                  static_cast<unsigned long>(reserved1), static_cast<unsigned long>(reserved2));
    AppendLogLine(kPasswordChangeLogVariable, line);
    return 0;
}
#endif

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) AppendLogLine(kPasswordChangeLogVariable, AttachLine(instance));
    // A null reserved pointer means FreeLibrary, not the end of the process.
    if (reason == DLL_PROCESS_DETACH) {
        AppendLogLine(kPasswordChangeLogVariable, reserved == nullptr ? "detach free" : "detach exit");
    }
    return TRUE;
}
