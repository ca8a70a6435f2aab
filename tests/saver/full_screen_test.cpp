// The saver run full screen as the platform runs it: its windows, the bouncing
// square, and the input that ends it (no password in use).
#include <gtest/gtest.h>

#include "tests/saver/saver_fixture.h"

namespace {

class FullScreen : public ::testing::Test {
protected:
    void SetUp() override {
        ParkCursor();
        ASSERT_TRUE(saver_.Start(SaverExe(), "/s"));
        window_ = FindSaverWindow(saver_);
        ASSERT_NE(window_, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return (square_ = FindSquare(window_)) != nullptr; }, kStartTimeoutMs));
        // Let the start-up messages (show, activation) pass before any input.
        PumpFor(300);
        ASSERT_TRUE(saver_.Running());
    }

    bool StaysRunning() { return saver_.WaitForExit(kStaysRunningMs) == STILL_ACTIVE; }

    SaverProcess saver_;
    HWND window_ = nullptr;
    HWND square_ = nullptr;
};

}  // namespace

TEST_F(FullScreen, SaverWindowIsABlackTopMostPopupCoveringTheScreen) {
    EXPECT_EQ(ClassNameOf(window_), "WindowsScreenSaverClass");
    EXPECT_EQ(TextOf(window_), "SCREENSAVER");
    const LONG style = GetWindowLongA(window_, GWL_STYLE);
    // The platform adds WS_CLIPSIBLINGS to every top-level window.
    EXPECT_EQ(static_cast<DWORD>(style) & ~static_cast<DWORD>(WS_CLIPSIBLINGS),
              static_cast<DWORD>(WS_POPUP | WS_VISIBLE));
    EXPECT_EQ(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST, WS_EX_TOPMOST);
    const RECT rect = ScreenRectOf(window_);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(GetClassLongA(window_, GCL_STYLE), CS_VREDRAW | CS_HREDRAW | CS_PARENTDC | CS_SAVEBITS);
}

TEST_F(FullScreen, SquareIsAChildOfThirtyFivePercentOfTheHeight) {
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 600) << "the tests run on an 800x600 display";
    EXPECT_EQ(GetParent(square_), window_);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(square_, GWL_STYLE)),
              static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    EXPECT_EQ(GetWindowLongA(square_, GWL_EXSTYLE), 0);
    EXPECT_EQ(GetWindowLongA(square_, GWL_ID), 0);
    EXPECT_EQ(GetClassLongA(square_, GCL_STYLE), CS_VREDRAW | CS_HREDRAW | CS_OWNDC);
    const RECT client = ClientRectOf(square_);
    EXPECT_EQ(client.right, 209);
    EXPECT_EQ(client.bottom, 209);
}

TEST_F(FullScreen, SquareTravelsDiagonallyAndStaysOnTheScreen) {
    const POINT first = PositionInParent(square_);
    PumpFor(500);
    const POINT later = PositionInParent(square_);
    // Both axes start together at the top-left corner and move one pixel a tick.
    EXPECT_GT(later.x, first.x);
    EXPECT_EQ(later.x, later.y);
    EXPECT_EQ(first.x, first.y);
    for (int sample = 0; sample < 10; ++sample) {
        const POINT at = PositionInParent(square_);
        EXPECT_GE(at.x, 0);
        EXPECT_GE(at.y, 0);
        EXPECT_LE(at.x + 209, 800);
        EXPECT_LE(at.y + 209, 600);
        PumpFor(50);
    }
}

TEST_F(FullScreen, KeyPressEndsWithExitCodeZero) {
    PressKey('A');
    EXPECT_EQ(saver_.WaitForExit(kExitTimeoutMs), 0u);
}

TEST_F(FullScreen, ClickEndsWithExitCodeZero) {
    ClickLeft();
    EXPECT_EQ(saver_.WaitForExit(kExitTimeoutMs), 0u);
}

TEST_F(FullScreen, OnePixelOfCursorMovementEnds) {
    MoveCursorBy(1, 0);
    EXPECT_EQ(saver_.WaitForExit(kExitTimeoutMs), 0u);
}

TEST_F(FullScreen, MouseMoveMessageWithTheCursorStillDoesNotEnd) {
    for (int i = 0; i < 5; ++i) {
        PostMessageA(window_, WM_MOUSEMOVE, 0, MAKELPARAM(i * 37, i * 11));
        PostMessageA(square_, WM_MOUSEMOVE, 0, MAKELPARAM(i, i));
    }
    EXPECT_TRUE(StaysRunning());
    MoveCursorBy(0, -1);
    EXPECT_EQ(saver_.WaitForExit(kExitTimeoutMs), 0u);
}

TEST_F(FullScreen, LossOfActivationWithoutMovementDoesNotEnd) {
    SendMessageA(window_, WM_ACTIVATEAPP, FALSE, 0);
    SendMessageA(window_, WM_NCACTIVATE, FALSE, 0);
    SendMessageA(window_, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
    EXPECT_TRUE(StaysRunning());
}

TEST_F(FullScreen, BlockedSystemCommandsAreIgnoredAndOthersPassOn) {
    for (WPARAM command : {SC_SCREENSAVE, SC_CLOSE, SC_NEXTWINDOW, SC_PREVWINDOW}) {
        EXPECT_EQ(SendMessageA(window_, WM_SYSCOMMAND, command, 0), 0);
    }
    EXPECT_TRUE(StaysRunning());
    // The whole wParam is compared: SC_CLOSE with a low bit set is passed on, and
    // the default handling turns it into a close request.
    SendMessageA(window_, WM_SYSCOMMAND, SC_CLOSE | 1, 0);
    EXPECT_EQ(saver_.WaitForExit(kExitTimeoutMs), 0u);
}

TEST_F(FullScreen, InputOverTheSquareEndsTheSaver) {
    PostMessageA(square_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(saver_.WaitForExit(kExitTimeoutMs), 0u);
}

TEST_F(FullScreen, CloseSentToTheSquareAloneLeavesItInPlace) {
    SendMessageA(square_, WM_CLOSE, 0, 0);
    EXPECT_TRUE(StaysRunning());
    EXPECT_TRUE(IsWindow(square_));
    const POINT before = PositionInParent(square_);
    PumpFor(200);
    EXPECT_NE(PositionInParent(square_).x, before.x);
}

TEST(Preview, RunsInTheParentsClientAreaAndIgnoresInput) {
    ParkCursor();
    PreviewParent parent;
    SaverProcess saver;
    ASSERT_TRUE(saver.Start(SaverExe(), "/p " + parent.Number()));
    HWND child = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            child = FindWindowExA(parent.window(), nullptr, "WindowsScreenSaverClass", "SCREENSAVER");
            return child != nullptr && IsWindowVisible(child);
        },
        kStartTimeoutMs));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)) & ~static_cast<DWORD>(WS_CLIPSIBLINGS),
              static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    const RECT client = ClientRectOf(child);
    EXPECT_EQ(client.right, 152);
    EXPECT_EQ(client.bottom, 112);
    EXPECT_EQ(PositionInParent(child).x, 0);
    HWND square = FindSquare(child);
    ASSERT_NE(square, nullptr);
    EXPECT_EQ(ClientRectOf(square).right, 39);

    PostMessageA(child, WM_KEYDOWN, 'A', 0);
    PostMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    PostMessageA(square, WM_KEYDOWN, 'A', 0);
    MoveCursorBy(5, 5);
    PostMessageA(child, WM_MOUSEMOVE, 0, 0);
    for (WPARAM command : {SC_SCREENSAVE, SC_NEXTWINDOW}) SendMessageA(child, WM_SYSCOMMAND, command, 0);
    EXPECT_EQ(saver.WaitForExit(kStaysRunningMs), STILL_ACTIVE);

    parent.Destroy();
    EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
}

TEST(Preview, SystemCloseIsPassedOnAndEndsThePreview) {
    PreviewParent parent;
    SaverProcess saver;
    ASSERT_TRUE(saver.Start(SaverExe(), "/p" + parent.Number()));
    HWND child = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (child = FindWindowExA(parent.window(), nullptr, "WindowsScreenSaverClass", nullptr)); },
        kStartTimeoutMs));
    SendMessageA(child, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
    EXPECT_TRUE(IsWindow(parent.window()));
}

TEST(Preview, EmptyClientAreaStillRunsUntilTheParentGoes) {
    PreviewParent parent(0, 0, ParentFrame::Borderless);
    SaverProcess saver;
    ASSERT_TRUE(saver.Start(SaverExe(), "/p " + parent.Number()));
    HWND child = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (child = FindWindowExA(parent.window(), nullptr, "WindowsScreenSaverClass", nullptr)); },
        kStartTimeoutMs));
    const RECT client = ClientRectOf(child);
    EXPECT_EQ(client.right, 0);
    EXPECT_EQ(client.bottom, 0);
    EXPECT_EQ(saver.WaitForExit(kStaysRunningMs), STILL_ACTIVE);
    parent.Destroy();
    EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
}
