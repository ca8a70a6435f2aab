// Every way the saver process ends runs the static destructors after the GL
// context is gone (or was never made): the sphere texture's destructor then
// finds no current context. A crash there would show only at exit, after the
// saver has done everything a test looks at; the crash guard that runs these
// tests reads every saver's error output with exceptions traced, and the exit
// code of a process that crashes in its destructors is not 0.
#include <gtest/gtest.h>

#include <functional>

#include "tests/faults/fault_support.h"

namespace {

struct Ending {
    const char* name;
    std::function<void(HWND window, HWND square)> act;
};

}  // namespace

TEST(ExitPath, EveryWayOfEndingTheFullScreenSaverExitsCleanly) {
    const Ending endings[] = {
        {"key", [](HWND, HWND) { PressKey('E'); }},
        {"click", [](HWND, HWND) { ClickLeft(); }},
        {"cursor movement", [](HWND, HWND) { MoveCursorBy(1, 1); }},
        {"right click over the square", [](HWND, HWND square) { PostMessageA(square, WM_RBUTTONDOWN, MK_RBUTTON, 0); }},
        {"system key", [](HWND window, HWND) { PostMessageA(window, WM_SYSKEYDOWN, VK_MENU, 1 << 29); }},
        {"close command", [](HWND window, HWND) { SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE | 1, 0); }},
        {"cursor moved and activation lost together",
         [](HWND window, HWND) {
             // Through the input queue: 64-bit Wine drops another process's warp of a clipped cursor.
             MoveCursorBy(-1, -1, [window] { PostMessageA(window, WM_ACTIVATEAPP, FALSE, 0); });
         }},
        {"a second key at once", [](HWND, HWND) { PressKey('A'); PressKey('B'); }},
    };
    for (const Ending& ending : endings) {
        SCOPED_TRACE(ending.name);
        ParkCursor();
        SaverProcess saver;
        HWND window = nullptr;
        ASSERT_TRUE(StartFullScreen(saver, SaverExe(), &window));
        const HWND square = FindSquare(window);
        ASSERT_NE(square, nullptr);
        ending.act(window, square);
        EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
    }
}

// A quit posted to the saver's thread from outside ends the loop with the
// windows and the GL context still alive: the destructors run with the
// context current, and the windows go only with the process.
TEST(ExitPath, QuitPostedFromOutsideEndsWithTheContextStillCurrent) {
    ParkCursor();
    SaverProcess saver;
    HWND window = nullptr;
    // The quit has to come once the context exists and the loop runs.
    ASSERT_TRUE(StartFullScreen(saver, SaverExe(), &window));
    ASSERT_NE(FindSquare(window), nullptr);
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    ASSERT_TRUE(PostThreadMessageA(thread, WM_QUIT, 0, 0));
    EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
}

// The preview, ended by its parent, and the modes that never make a GL
// context: the texture is then destroyed without ever having been loaded.
TEST(ExitPath, PreviewAndWindowlessModesExitCleanly) {
    {
        SCOPED_TRACE("preview");
        PreviewParent parent;
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(SaverExe(), "/p " + parent.Number()));
        // Shown only once its square and GL context are made; idle once its loop runs.
        ASSERT_TRUE(WaitUntil(
            [&] {
                const HWND child = PreviewChildOf(parent.window());
                return child != nullptr && IsWindowVisible(child);
            },
            kStartTimeoutMs));
        ASSERT_TRUE(saver.WaitUntilIdle(kStartTimeoutMs));
        parent.Destroy();
        EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
    }
    {
        SCOPED_TRACE("preview of a window that is gone");
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(SaverExe(), "/p 12345"));
        EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
    }
    {
        SCOPED_TRACE("about box");
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(SaverExe(), "/c"));
        const HWND about = saver.WaitForTopLevel("#32770", nullptr, kStartTimeoutMs);
        ASSERT_NE(about, nullptr);
        ASSERT_TRUE(saver.WaitUntilIdle(kStartTimeoutMs));
        PostMessageA(about, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
    }
    {
        SCOPED_TRACE("password change without a provider");
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(SaverExe(), "/a"));
        EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
    }
}
