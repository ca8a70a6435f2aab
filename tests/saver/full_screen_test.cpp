// The saver run full screen as the platform runs it: its windows, the bouncing
// square, and the input that ends it (no password in use).
#include <gtest/gtest.h>

#include "saver/bounce.h"
#include "tests/saver/saver_fixture.h"

namespace {

class FullScreen : public ::testing::Test {
protected:
    void SetUp() override {
        ParkCursor();
        ASSERT_TRUE(StartFullScreen(saver_, SaverExe(), &window_));
        square_ = FindSquare(window_);
        ASSERT_NE(square_, nullptr);
    }

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
    EXPECT_EQ(GetParent(square_), window_);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(square_, GWL_STYLE)),
              static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    EXPECT_EQ(GetWindowLongA(square_, GWL_EXSTYLE), 0);
    EXPECT_EQ(GetWindowLongA(square_, GWL_ID), 0);
    EXPECT_EQ(GetClassLongA(square_, GCL_STYLE), CS_VREDRAW | CS_HREDRAW | CS_OWNDC);
    const int side = RenderSideForHeight(GetSystemMetrics(SM_CYSCREEN));
    const RECT client = ClientRectOf(square_);
    EXPECT_EQ(client.right, side);
    EXPECT_EQ(client.bottom, side);
}

TEST_F(FullScreen, SquareTravelsDiagonallyAndStaysOnTheScreen) {
    const POINT first = PositionInParent(square_);
    POINT later = first;
    ASSERT_TRUE(WaitUntil([&] { return (later = PositionInParent(square_)).x >= first.x + 10; }, kStartTimeoutMs));
    // Both axes start together at the top-left corner and move one pixel a tick.
    EXPECT_EQ(later.x, later.y);
    EXPECT_EQ(first.x, first.y);
    const RECT screen = ClientRectOf(window_);
    const int side = ClientRectOf(square_).right;
    // Samples spread over half a second of travel.
    for (int sample = 0; sample < 10; ++sample) {
        const POINT at = PositionInParent(square_);
        EXPECT_GE(at.x, 0);
        EXPECT_GE(at.y, 0);
        EXPECT_LE(at.x + side, screen.right);
        EXPECT_LE(at.y + side, screen.bottom);
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
    EXPECT_TRUE(RunsOn(saver_));
    MoveCursorBy(0, -1);
    EXPECT_EQ(saver_.WaitForExit(kExitTimeoutMs), 0u);
}

TEST_F(FullScreen, LossOfActivationWithoutMovementDoesNotEnd) {
    SendMessageA(window_, WM_ACTIVATEAPP, FALSE, 0);
    SendMessageA(window_, WM_NCACTIVATE, FALSE, 0);
    SendMessageA(window_, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
    EXPECT_TRUE(RunsOn(saver_));
}

TEST_F(FullScreen, BlockedSystemCommandsAreIgnoredAndOthersPassOn) {
    for (WPARAM command : {SC_SCREENSAVE, SC_CLOSE, SC_NEXTWINDOW, SC_PREVWINDOW}) {
        EXPECT_EQ(SendMessageA(window_, WM_SYSCOMMAND, command, 0), 0);
    }
    EXPECT_TRUE(RunsOn(saver_));
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
    EXPECT_TRUE(RunsOn(saver_));
    ASSERT_TRUE(IsWindow(square_));
    const POINT before = PositionInParent(square_);
    EXPECT_TRUE(WaitUntil([&] { return PositionInParent(square_).x != before.x; }, kExitTimeoutMs))
        << "the square stopped moving";
}

TEST(Preview, RunsInTheParentsClientAreaAndIgnoresInput) {
    ParkCursor();
    PreviewParent parent;
    SaverProcess saver;
    ASSERT_TRUE(saver.Start(SaverExe(), "/p " + parent.Number()));
    HWND child = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            child = PreviewChildOf(parent.window());
            return child != nullptr && IsWindowVisible(child);
        },
        kStartTimeoutMs));
    EXPECT_EQ(TextOf(child), "SCREENSAVER");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)) & ~static_cast<DWORD>(WS_CLIPSIBLINGS),
              static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    const RECT client = ClientRectOf(child);
    const RECT parentClient = ClientRectOf(parent.window());
    EXPECT_EQ(client.right, parentClient.right);
    EXPECT_EQ(client.bottom, parentClient.bottom);
    EXPECT_EQ(PositionInParent(child).x, 0);
    HWND square = FindSquare(child);
    ASSERT_NE(square, nullptr);
    EXPECT_EQ(ClientRectOf(square).right, RenderSideForHeight(parentClient.bottom));

    PostMessageA(child, WM_KEYDOWN, 'A', 0);
    PostMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    PostMessageA(square, WM_KEYDOWN, 'A', 0);
    MoveCursorBy(5, 5);
    PostMessageA(child, WM_MOUSEMOVE, 0, 0);
    for (WPARAM command : {SC_SCREENSAVE, SC_NEXTWINDOW}) SendMessageA(child, WM_SYSCOMMAND, command, 0);
    EXPECT_TRUE(RunsOn(saver));

    parent.Destroy();
    EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
}

TEST(Preview, SystemCloseIsPassedOnAndEndsThePreview) {
    PreviewParent parent;
    SaverProcess saver;
    ASSERT_TRUE(saver.Start(SaverExe(), "/p" + parent.Number()));
    HWND child = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (child = PreviewChildOf(parent.window())) != nullptr; }, kStartTimeoutMs));
    SendMessageA(child, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
    EXPECT_TRUE(IsWindow(parent.window()));
}

TEST(Preview, EmptyClientAreaStillRunsUntilTheParentGoes) {
    PreviewParent parent(0, 0, ParentFrame::Borderless);
    SaverProcess saver;
    ASSERT_TRUE(saver.Start(SaverExe(), "/p " + parent.Number()));
    HWND child = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (child = PreviewChildOf(parent.window())) != nullptr; }, kStartTimeoutMs));
    const RECT client = ClientRectOf(child);
    EXPECT_EQ(client.right, 0);
    EXPECT_EQ(client.bottom, 0);
    EXPECT_TRUE(RunsOn(saver));
    parent.Destroy();
    EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
}
