// Password change: the platform's password provider shows its own dialog.
#include <windows.h>

#include "shell/shell.h"

namespace {
typedef DWORD(WINAPI* ChangePasswordFn)(LPCSTR keyName, HWND parent, DWORD reserved1, DWORD reserved2);
}

void ChangeSaverPassword(HWND parent) {
    HMODULE library = LoadSystemLibrary("MPR.DLL");
    if (library == nullptr) return;
    const auto changePassword = LookUp<ChangePasswordFn>(library, "PwdChangePasswordA");
    if (changePassword != nullptr) {
        changePassword("SCRSAVE", parent, 0, 0);
    }
    FreeLibrary(library);
}
