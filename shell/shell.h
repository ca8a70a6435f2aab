// The screen saver shell: process-wide state and the procedures that the
// saver window, the render window and the entry share.
#pragma once

#include <windows.h>

// The platform's password verifier: nonzero lets the saver close.
typedef BOOL(WINAPI* VerifyPasswordFn)(HWND window);

// Private message that asks the verifier whether the saver may close.
constexpr UINT kVerifyPasswordMessage = WM_APP;

extern HINSTANCE g_hInstance;
extern int g_isWin9x;
extern int g_isPreview;
extern HMODULE g_passwordLibrary;
extern VerifyPasswordFn g_verifyPassword;
extern HWND g_saverWindow;
extern int g_closing;
extern int g_inPasswordCheck;
extern POINT g_startCursor;
// 1 once g_startCursor holds a position actually read; until then the first
// successful read becomes the start point instead of counting as movement.
extern int g_startCursorKnown;

// Configure mode (WinMain itself is declared by the platform's headers).
void ShowConfigureDialog();

// Saver window and message loop; returns the exit code.
int RunSaver(HWND parent);
BOOL RegisterClasses();
// The saver window, covering every monitor or filling `parent`'s client area; also kept
// in g_saverWindow. The classes must be registered.
HWND CreateSaverWindow(HWND parent);
// After a display change: the full-screen saver window covers the virtual screen as
// it is now, by the same rule as at its creation.
void CoverTheScreenAgain(HWND saverWindow);

// Close rules.
LRESULT CALLBACK SaverClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK DefaultSaverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void RequestSaverClose(HWND hwnd);

// Password change through the platform's provider.
void ChangeSaverPassword(HWND parent);

// One of the platform's optional DLLs, by its full path in the system folder; null
// when the folder cannot be had, the path does not fit, or the DLL does not load.
HMODULE LoadSystemLibrary(const char* fileName);

// An optional platform function, looked up by name so that a Windows without it
// still loads the saver; null where the DLL lacks it.
template <typename Fn>
Fn LookUp(HMODULE module, const char* name) {
    // Through the type that matches every function type, not through void*.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Full screen only, before the first window: declares the highest DPI awareness the
// platform offers, so that the saver covers every monitor in physical pixels.
void DrawInPhysicalPixels();
