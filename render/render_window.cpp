// Placeholder square: forwards its input and activation messages to the close rules.
#include "render/render_window.h"

#include "shell/shell.h"

HDC g_renderDC;
HGLRC g_glContext;
HPALETTE g_palette;
int g_isAccelerated;
PIXELFORMATDESCRIPTOR g_pixelFormat;

void SetupPalette() {}

LRESULT CALLBACK RenderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
        case WM_ACTIVATEAPP:
        case WM_SETCURSOR:
        case WM_NCACTIVATE:
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_SYSCOMMAND:
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            const LRESULT result = DefaultSaverProc(window, message, wParam, lParam);
            DefaultSaverProc(g_saverWindow, message, wParam, lParam);
            return result;
        }
        case WM_CLOSE:
            // The square closes only with the saver window, whose close request
            // asks the password verifier; closing it on its own would end the loop.
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}
