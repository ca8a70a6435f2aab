// The about box: only OK (or Enter, its default button) closes it. Escape, the
// close button and Alt+F4 arrive as IDCANCEL and are consumed.
#include "resources/about_dialog.h"

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) EndDialog(dialog, 1);
            return TRUE;
        default:
            return FALSE;
    }
}

BOOL DialogClassHook(HINSTANCE) { return TRUE; }
