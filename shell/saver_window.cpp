// The saver window: class registration, creation for full screen or preview,
// and the process's message loop.
#include <windows.h>

#include "resources/about_dialog.h"
#include "shell/screen_area.h"
#include "shell/shell.h"

HWND g_saverWindow;

namespace {

constexpr char kSaverClassName[] = "WindowsScreenSaverClass";
constexpr char kSaverTitle[] = "SCREENSAVER";
// The class asks for this icon; the executable carries only icon group 1.
constexpr WORD kSaverClassIconId = 100;

bool TellsPlatformItRuns() { return g_isWin9x != 0 && g_isPreview == 0; }

// Every monitor, so that none shows the desktop or takes input past the saver.
ScreenArea FullScreenAreaNow() {
    return FullScreenArea(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                          GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN),
                          GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

}  // namespace

BOOL RegisterClasses() {
    WNDCLASSA saverClass = {};
    saverClass.style = CS_VREDRAW | CS_HREDRAW | CS_PARENTDC | CS_SAVEBITS;
    saverClass.lpfnWndProc = SaverClassProc;
    saverClass.hInstance = g_hInstance;
    saverClass.hIcon = LoadIconA(g_hInstance, MAKEINTRESOURCEA(kSaverClassIconId));
    saverClass.hCursor = nullptr;
    saverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    saverClass.lpszClassName = kSaverClassName;
    if (RegisterClassA(&saverClass) == 0) return FALSE;
    return DialogClassHook(g_hInstance);
}

HWND CreateSaverWindow(HWND parent) {
    ScreenArea area;
    DWORD style;
    DWORD extendedStyle;
    if (parent != nullptr) {
        RECT client;
        GetClientRect(parent, &client);
        area = {0, 0, client.right, client.bottom};
        style = WS_CHILD;
        extendedStyle = 0;
    } else {
        area = FullScreenAreaNow();
        style = WS_POPUP | WS_VISIBLE;
        extendedStyle = WS_EX_TOPMOST;
    }
    g_saverWindow = CreateWindowExA(extendedStyle, kSaverClassName, kSaverTitle, style, area.x, area.y,
                                    area.width, area.height, parent, nullptr, g_hInstance, nullptr);
    return g_saverWindow;
}

void CoverTheScreenAgain(HWND saverWindow) {
    const ScreenArea area = FullScreenAreaNow();
    MoveWindow(saverWindow, area.x, area.y, area.width, area.height, TRUE);
}

int RunSaver(HWND parent) {
    UINT previousState = 0;
    if (TellsPlatformItRuns()) {
        SystemParametersInfoA(SPI_SCREENSAVERRUNNING, 1, &previousState, 0);
    }

    MSG msg = {};
    msg.wParam = 0;
    if (!RegisterClasses()) {
        MessageBoxA(nullptr, "RegisterClasses() failed", nullptr, MB_OK | MB_ICONHAND);
    } else {
        if (CreateSaverWindow(parent) != nullptr) {
            UpdateWindow(g_saverWindow);
            ShowWindow(g_saverWindow, SW_SHOW);
            while (GetMessageA(&msg, nullptr, 0, 0) == 1) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    }

    if (TellsPlatformItRuns()) {
        SystemParametersInfoA(SPI_SCREENSAVERRUNNING, 0, &previousState, 0);
    }
    if (g_passwordLibrary != nullptr) {
        FreeLibrary(g_passwordLibrary);
    }
    return static_cast<int>(msg.wParam);
}
