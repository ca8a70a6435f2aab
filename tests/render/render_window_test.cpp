// The render window's message table and life cycle, on real windows.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstring>

#include "render/frame.h"
#include "render/palette_levels.h"
#include "render/render_window.h"
#include "render/scene.h"
#include "saver/saver_proc.h"
#include "shell/shell.h"
#include "tests/render/gl_test_support.h"

namespace {

// Takes the next posted WM_CLOSE, whoever it is for; null when none is queued.
HWND TakePostedClose() {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE)) return nullptr;
    DispatchMessageA(&msg);
    return msg.hwnd;
}

int g_verifierCalls;
HWND g_verifierWindow;

BOOL WINAPI RefusingVerifier(HWND window) {
    ++g_verifierCalls;
    g_verifierWindow = window;
    return FALSE;
}

}  // namespace

TEST(RenderWindow, CreationLeavesItsContextCurrentWithTheDescribedFormat) {
    HWND window = CreateRenderWindow(64);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(g_glContext, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), g_glContext);
    EXPECT_EQ(wglGetCurrentDC(), g_renderDC);

    PIXELFORMATDESCRIPTOR described = {};
    const int format = GetPixelFormat(g_renderDC);
    ASSERT_NE(format, 0);
    DescribePixelFormat(g_renderDC, format, sizeof described, &described);
    EXPECT_EQ(0, std::memcmp(&described, &g_pixelFormat, sizeof described));
    const DWORD wanted = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    EXPECT_EQ(g_pixelFormat.dwFlags & wanted, wanted);
    EXPECT_EQ(g_isAccelerated, IsAcceleratedFormat(g_pixelFormat.dwFlags) ? 1 : 0);
    EXPECT_EQ(g_palette, nullptr) << "a true-colour format needs no palette";
    EXPECT_TRUE(glIsList(g_sphereList));
    EXPECT_TRUE(KillTimer(window, kRepaintTimerId)) << "the repaint timer runs";
}

TEST(RenderWindow, TimerSizeEraseAndPaint) {
    HWND window = CreateRenderWindow(64);
    EXPECT_EQ(SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(g_renderDC), 0), 1);

    // Any timer id invalidates the whole client area.
    ValidateRect(window, nullptr);
    EXPECT_EQ(SendMessageA(window, WM_TIMER, 4711, 0), 0);
    RECT dirty = {};
    ASSERT_TRUE(GetUpdateRect(window, &dirty, FALSE));
    EXPECT_EQ(dirty.right - dirty.left, 64);
    EXPECT_EQ(dirty.bottom - dirty.top, 64);

    // Each paint draws one frame: one animation step, and the window is valid again.
    const float spin = g_spinAngle;
    UpdateWindow(window);
    EXPECT_EQ(g_spinAngle, spin + 2.5f);
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));

    EXPECT_EQ(SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 300)), 0);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 400);
    EXPECT_EQ(viewport[3], 300);
    // The halves are unsigned: 40000 is no negative width (GL clamps it to its maximum).
    GLint most[2];
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, most);
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(40000, 0));
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], most[0] < 40000 ? most[0] : 40000);
    EXPECT_EQ(viewport[3], 1);
}

TEST(RenderWindow, KeyOverTheSquareClosesTheSaverThroughTheSaverWindow) {
    HWND saver = CreateFullScreenSaver();
    ASSERT_NE(saver, nullptr);
    HWND square = g_renderWindow;
    ASSERT_TRUE(IsWindow(square));
    PumpMessages();

    EXPECT_EQ(SendMessageA(square, WM_KEYDOWN, VK_SPACE, 0), 0);
    // Forwarded for the square first, then for the saver window.
    EXPECT_EQ(TakePostedClose(), square);
    EXPECT_TRUE(IsWindow(square)) << "the square does not close on its own";
    EXPECT_FALSE(QuitMessagePosted());
    EXPECT_EQ(TakePostedClose(), saver);

    EXPECT_EQ(g_closing, 1);
    EXPECT_FALSE(IsWindow(saver));
    EXPECT_FALSE(IsWindow(square));
    EXPECT_EQ(wglGetCurrentContext(), nullptr) << "the context went with the square";
    EXPECT_TRUE(QuitMessagePosted());
}

TEST(RenderWindow, RefusedPasswordKeepsTheSaverAndTheSquareRunning) {
    HWND saver = CreateFullScreenSaver();
    HWND square = g_renderWindow;
    PumpMessages();
    g_verifyPassword = RefusingVerifier;

    SendMessageA(square, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_EQ(TakePostedClose(), square);
    EXPECT_EQ(TakePostedClose(), saver);
    EXPECT_EQ(g_verifierCalls, 1);
    EXPECT_EQ(g_verifierWindow, saver);
    EXPECT_EQ(SendMessageA(square, WM_CLOSE, 0, 0), 0);
    PumpMessages();

    EXPECT_EQ(g_closing, 0);
    EXPECT_TRUE(IsWindow(saver));
    EXPECT_TRUE(IsWindow(square));
    EXPECT_EQ(wglGetCurrentContext(), g_glContext);
    EXPECT_FALSE(QuitMessagePosted());
}

TEST(SetupPalette, ActsOnNothingWhenTheDeviceHasNoPixelFormat) {
    HWND plain = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr);
    g_renderDC = GetDC(plain);
    ASSERT_EQ(GetPixelFormat(g_renderDC), 0);
    SetupPalette();
    EXPECT_EQ(g_palette, nullptr);
    ReleaseDC(plain, g_renderDC);
    DestroyWindow(plain);
}
