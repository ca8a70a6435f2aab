// WinMain: platform check, the Windows 9x password set-up, and the choice of mode.
#include <windows.h>

#include "resources/about_dialog.h"
#include "resources/resource_ids.h"
#include "shell/mode_select.h"
#include "shell/shell.h"

HINSTANCE g_hInstance;
int g_isWin9x;
int g_isPreview;
HMODULE g_passwordLibrary;
VerifyPasswordFn g_verifyPassword;

namespace {

// Windows 9x keeps the screen saver password with the platform's verifier;
// load it only when the user has switched the password on.
void LoadPasswordVerifier() {
    HKEY desktopKey;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &desktopKey) != ERROR_SUCCESS) {
        return;
    }
    DWORD usePassword = 0;
    DWORD valueType;
    DWORD valueSize = sizeof(usePassword);
    if (RegQueryValueExA(desktopKey, "ScreenSaveUsePassword", nullptr, &valueType,
                         reinterpret_cast<BYTE*>(&usePassword), &valueSize) == ERROR_SUCCESS &&
        usePassword != 0) {
        g_passwordLibrary = LoadSystemLibrary("PASSWORD.CPL");
        if (g_passwordLibrary != nullptr) {
            g_verifyPassword = LookUp<VerifyPasswordFn>(g_passwordLibrary, "VerifyScreenSavePwd");
        }
    }
    RegCloseKey(desktopKey);
}

HWND WindowFromNumber(std::uint32_t number) {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(number));
}

}  // namespace

void ShowConfigureDialog() {
    DialogClassHook(g_hInstance);
    DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(IDD_ABOUT), GetForegroundWindow(),
                    AboutDialogProc, 0);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int) {
    g_hInstance = hInstance;

    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        g_isWin9x = 1;
        LoadPasswordVerifier();
    }

    const ModeChoice choice = ScanCommandTail(lpCmdLine != nullptr ? lpCmdLine : "");
    switch (choice.mode) {
        case SaverMode::FullScreen:
            DrawInPhysicalPixels();
            return RunSaver(nullptr);
        case SaverMode::Preview: {
            g_isPreview = 1;
            HWND parent = WindowFromNumber(choice.handleNumber);
            // The preview's window is a child of the settings dialog's, whose DPI awareness
            // is the platform's affair: a child that declared another one would have
            // Windows 8.1 and 10 reset the whole process's awareness. So none is declared.
            if (parent == nullptr || !IsWindow(parent)) return 0;
            return RunSaver(parent);
        }
        case SaverMode::ChangePassword: {
            HWND parent = WindowFromNumber(choice.handleNumber);
            if (parent == nullptr || !IsWindow(parent)) parent = GetForegroundWindow();
            ChangeSaverPassword(parent);
            return 0;
        }
        case SaverMode::Configure:
            ShowConfigureDialog();
            return 0;
    }
    return 0;
}
