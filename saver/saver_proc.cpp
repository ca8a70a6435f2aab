// SaverProc: creates the square render window inside the saver window and
// bounces it across on a timer.
#include "saver/saver_proc.h"

#include "render/render_window.h"
#include "saver/bounce.h"
#include "shell/shell.h"

HWND g_renderWindow;
int g_saverWidth;
int g_saverHeight;
int g_renderSide;
int g_renderX;
int g_renderY;
int g_velocityX = 1;
int g_velocityY = 1;

void RegisterRenderClass() {
    WNDCLASSA renderClass = {};
    renderClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    renderClass.lpfnWndProc = RenderWindowProc;
    renderClass.hInstance = g_hInstance;
    renderClass.lpszClassName = kRenderClassName;
    RegisterClassA(&renderClass);
}

namespace {

void TakeSaverGeometry(HWND saverWindow) {
    RECT client;
    GetClientRect(saverWindow, &client);
    g_saverWidth = client.right;
    g_saverHeight = client.bottom;
    g_renderSide = RenderSideForHeight(g_saverHeight);
}

void CreateRenderWindow(HWND saverWindow) {
    RegisterRenderClass();

    if (g_saverWidth == 0) TakeSaverGeometry(saverWindow);

    g_renderWindow = CreateWindowExA(0, kRenderClassName, kRenderTitle,
                                     WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                                     g_renderSide, g_renderSide, saverWindow, nullptr, g_hInstance,
                                     nullptr);
    SetTimer(saverWindow, kBounceTimerId, kBounceIntervalMs, nullptr);
}

void PlaceRenderWindow() {
    // The render window repaints on its own timer; moving it must not add paints.
    MoveWindow(g_renderWindow, g_renderX, g_renderY, g_renderSide, g_renderSide, FALSE);
}

void MoveRenderWindow() {
    BounceAxisStep(g_renderX, g_velocityX, g_renderSide, g_saverWidth);
    BounceAxisStep(g_renderY, g_velocityY, g_renderSide, g_saverHeight);
    PlaceRenderWindow();
}

// The saver window has a new size: the square takes its side and its bounce
// area from it, as at the start, and stays inside.
void FitRenderWindow(HWND saverWindow) {
    TakeSaverGeometry(saverWindow);
    FitAxisInside(g_renderX, g_renderSide, g_saverWidth);
    FitAxisInside(g_renderY, g_renderSide, g_saverHeight);
    PlaceRenderWindow();
}

}  // namespace

LRESULT CALLBACK SaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateRenderWindow(window);
            return 0;
        case WM_TIMER:
            MoveRenderWindow();
            return 0;
        case WM_DISPLAYCHANGE:
            FitRenderWindow(window);
            return 0;
        case WM_DESTROY:
            KillTimer(window, kBounceTimerId);
            DestroyWindow(g_renderWindow);
            PostQuitMessage(0);
            return 0;
        default:
            return DefaultSaverProc(window, message, wParam, lParam);
    }
}
