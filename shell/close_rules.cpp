// The rules by which a running saver ends: input becomes a close request, and
// on Windows 9x the password verifier decides whether the request is granted.
#include <windows.h>

#include "saver/saver_proc.h"
#include "shell/shell.h"

int g_closing;
int g_inPasswordCheck;
POINT g_startCursor;
int g_startCursorKnown;

namespace {

// GetCursorPos fails while another desktop has the input; the point it leaves
// is then garbage, so only a successful read moves the start point.
void RecordStartCursor() {
    POINT now;
    if (GetCursorPos(&now)) {
        g_startCursor = now;
        g_startCursorKnown = 1;
    }
}

bool CursorMoved() {
    POINT now;
    if (!GetCursorPos(&now)) return false;  // no reading is no evidence of movement
    if (g_startCursorKnown == 0) {
        // Every earlier read failed: the first position seen is where the cursor rests.
        g_startCursor = now;
        g_startCursorKnown = 1;
        return false;
    }
    return now.x != g_startCursor.x || now.y != g_startCursor.y;
}

void CloseTrigger(HWND hwnd) {
    // While the verifier's dialog is up its own input must not start another request.
    if (g_inPasswordCheck == 0) PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

bool IsBlockedSystemCommand(WPARAM command) {
    return command == SC_NEXTWINDOW || command == SC_PREVWINDOW || command == SC_CLOSE ||
           command == SC_SCREENSAVE;
}

}  // namespace

void RequestSaverClose(HWND hwnd) {
    if (g_inPasswordCheck != 0 || g_closing != 0) return;
    if (g_verifyPassword != nullptr) {
        g_inPasswordCheck = 1;
        g_closing = static_cast<int>(SendMessageA(hwnd, kVerifyPasswordMessage, 0, 0));
        g_inPasswordCheck = 0;
    } else {
        g_closing = 1;
    }
    if (g_closing != 0) {
        DestroyWindow(hwnd);
    } else {
        // Only movement beyond where the cursor rests now asks again.
        RecordStartCursor();
    }
}

LRESULT CALLBACK DefaultSaverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_isPreview != 0 || g_closing != 0) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            CloseTrigger(hwnd);
            break;
        case WM_MOUSEMOVE:
            if (CursorMoved()) CloseTrigger(hwnd);
            break;
        case WM_ACTIVATE:
        case WM_ACTIVATEAPP:
        case WM_NCACTIVATE:
            if (wParam == 0 && CursorMoved()) CloseTrigger(hwnd);
            break;
        case WM_SETCURSOR:
            if (g_inPasswordCheck == 0) {
                SetCursor(nullptr);
                return TRUE;
            }
            break;
        case WM_CLOSE:
            RequestSaverClose(hwnd);
            return 0;
        case kVerifyPasswordMessage:
            if (g_verifyPassword == nullptr) return 1;
            return g_verifyPassword(hwnd);
        default:
            break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK SaverClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            if (g_isPreview == 0) SetCursor(nullptr);
            RecordStartCursor();
            break;
        case WM_DESTROY:
            PostQuitMessage(0);
            break;
        case WM_ACTIVATE:
        case WM_PAINT:
        case WM_ACTIVATEAPP:
        case WM_NCACTIVATE:
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            // Once closing, the saver's own procedure sees no more input or painting.
            if (g_closing != 0) return DefWindowProcA(hwnd, message, wParam, lParam);
            break;
        case WM_SYSCOMMAND:
            if (g_isPreview == 0 && IsBlockedSystemCommand(wParam)) return 0;
            break;
        case WM_TIMER:
            if (g_closing != 0) return 0;
            break;
        case WM_DISPLAYCHANGE:
            // A monitor came, went or changed its mode. The saver follows the new layout;
            // where the platform moved the cursor with it, no hand did: that is no input.
            if (g_isPreview == 0 && g_closing == 0) {
                CoverTheScreenAgain(hwnd);
                RecordStartCursor();
            }
            break;
        default:
            break;
    }
    return SaverProc(hwnd, message, wParam, lParam);
}
