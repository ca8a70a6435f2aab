// The square render window: its device context, pixel format, palette and GL
// context, its repaint timer, and the forwarding of its input to the close rules.
#pragma once

#include <windows.h>

constexpr UINT_PTR kRepaintTimerId = 102;
constexpr UINT kRepaintIntervalMs = 33;

extern HDC g_renderDC;
extern HGLRC g_glContext;
extern HPALETTE g_palette;
extern int g_isAccelerated;
extern PIXELFORMATDESCRIPTOR g_pixelFormat;

LRESULT CALLBACK RenderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void SetupPalette();
