// The about box shown in configure mode.
#pragma once

#include <windows.h>

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Where window classes that the configuration dialog needs would be registered.
BOOL DialogClassHook(HINSTANCE instance);
