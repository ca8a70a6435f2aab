// The render window owns the GL context for its whole life and draws one
// animation frame per paint; its input counts as input on the saver.
#include "render/render_window.h"

#include <cstddef>

#include "render/frame.h"
#include "render/heap_block.h"
#include "render/palette_levels.h"
#include "render/scene.h"
#include "render/view.h"
#include "shell/shell.h"

HDC g_renderDC;
HGLRC g_glContext;
HPALETTE g_palette;
int g_isAccelerated;
// The request; the creation overwrites it with the description of the chosen format.
PIXELFORMATDESCRIPTOR g_pixelFormat = {
    sizeof(PIXELFORMATDESCRIPTOR), 1,
    PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | PFD_DEPTH_DONTCARE,
    PFD_TYPE_RGBA, 24,
    0, 0, 0, 0, 0, 0,  // red, green, blue bits and shifts
    0, 0,              // alpha
    0, 0, 0, 0, 0,     // accumulation
    0,                 // no depth buffer: culling alone orders the one sphere
    0, 0, PFD_MAIN_PLANE, 0, 0, 0, 0};

namespace {

void CreateGLContext(HWND window) {
    g_renderDC = GetDC(window);
    const int format = ChoosePixelFormat(g_renderDC, &g_pixelFormat);
    SetPixelFormat(g_renderDC, format, &g_pixelFormat);
    if (DescribePixelFormat(g_renderDC, format, sizeof(PIXELFORMATDESCRIPTOR), &g_pixelFormat) != 0 &&
        IsAcceleratedFormat(g_pixelFormat.dwFlags)) {
        g_isAccelerated = 1;
    }
    SetupPalette();
    g_glContext = wglCreateContext(g_renderDC);
    wglMakeCurrent(g_renderDC, g_glContext);
    SetupScene();
    SetTimer(window, kRepaintTimerId, kRepaintIntervalMs, nullptr);
}

void ReleaseGLContext(HWND window) {
    KillTimer(window, kRepaintTimerId);
    ReleaseScene();
    wglMakeCurrent(g_renderDC, nullptr);
    wglDeleteContext(g_glContext);
    ReleaseDC(window, g_renderDC);
    PostQuitMessage(0);
}

void PaintFrame(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    DrawFrame();
    SwapBuffers(g_renderDC);
    EndPaint(window, &paint);
}

}  // namespace

void SetupPalette() {
    PIXELFORMATDESCRIPTOR format;
    const int formatNumber = GetPixelFormat(g_renderDC);
    // A failed description leaves `format` unfilled: nothing to act on.
    if (formatNumber == 0 ||
        DescribePixelFormat(g_renderDC, formatNumber, sizeof(PIXELFORMATDESCRIPTOR), &format) == 0) {
        return;
    }
    if ((format.dwFlags & PFD_NEED_PALETTE) == 0) return;
    const unsigned count = PaletteEntryCount(format.cColorBits);
    if (count == 0) return;

    const HeapBlock<LOGPALETTE> block =
        AllocateBlock<LOGPALETTE>(offsetof(LOGPALETTE, palPalEntry) + count * sizeof(PALETTEENTRY));
    if (block == nullptr) return;
    block->palVersion = 0x300;
    block->palNumEntries = static_cast<WORD>(count);
    for (unsigned i = 0; i < count; ++i) {
        PALETTEENTRY& entry = block->palPalEntry[i];
        entry.peRed = PaletteChannelByte(i, format.cRedBits, format.cRedShift);
        entry.peGreen = PaletteChannelByte(i, format.cGreenBits, format.cGreenShift);
        entry.peBlue = PaletteChannelByte(i, format.cBlueBits, format.cBlueShift);
        entry.peFlags = 0;
    }
    g_palette = CreatePalette(block.get());
    SelectPalette(g_renderDC, g_palette, FALSE);
    RealizePalette(g_renderDC);
}

LRESULT CALLBACK RenderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateGLContext(window);
            return 0;
        case WM_DESTROY:
            ReleaseGLContext(window);
            return 0;
        case WM_SIZE:
            ResizeView(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_PAINT:
            PaintFrame(window);
            return 0;
        case WM_ERASEBKGND:
            // Every frame covers the whole window.
            return 1;
        case WM_TIMER:
            InvalidateRect(window, nullptr, FALSE);
            return 0;
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
            // Input over the square is input on the saver: the answer is the one
            // for this window, the close rules also run for the saver window.
            const LRESULT result = DefaultSaverProc(window, message, wParam, lParam);
            DefaultSaverProc(g_saverWindow, message, wParam, lParam);
            return result;
        }
        case WM_CLOSE:
            // The square closes only with the saver window, whose close request
            // asks the password verifier. The first forward above posts WM_CLOSE
            // here; letting it destroy the square would post the quit message and
            // end the saver even when the verifier refuses.
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}
