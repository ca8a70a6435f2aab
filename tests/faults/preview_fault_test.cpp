// Previews whose parent misbehaves: destroyed at every stage of the saver's
// life while both sides are busy, or too small to show anything. The saver
// must end with its parent, with exit code 0, and without crashing (the
// crash guard that runs these tests reads every saver's error output).
#include <gtest/gtest.h>

#include "tests/faults/fault_support.h"

namespace {

// Keeps the preview busy from outside for about the given time: repaints and
// ticks on top of its own timers, input that a preview must ignore, and the
// parent moving under it (which moves the square's GL window too).
void Storm(HWND parent, DWORD ms) {
    const DWORD start = GetTickCount();
    int step = 0;
    do {
        const HWND child = PreviewChildOf(parent);
        const HWND square = child != nullptr ? FindSquare(child) : nullptr;
        for (HWND target : {child, square}) {
            if (target == nullptr) continue;
            InvalidateRect(target, nullptr, TRUE);
            PostMessageA(target, WM_TIMER, target == child ? 101 : 102, 0);
            PostMessageA(target, WM_MOUSEMOVE, 0, MAKELPARAM(step, step));
            PostMessageA(target, WM_KEYDOWN, 'A' + step % 26, 0);
            PostMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        }
        ++step;
        SetWindowPos(parent, nullptr, 500 + step % 5, 40 + step % 3, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        PumpFor(5);
    } while (GetTickCount() - start < ms);
}

}  // namespace

// Five starts in a row, the parent destroyed at a different stage each time:
// before the saver can look at it, as soon as the saver's window appears
// (its square and GL context may still be in the making), and in the middle
// of ever longer storms. No pumping between the last storm step and the
// destruction: plenty of messages are still in flight.
TEST(PreviewParentGone, DestroyedAtEveryStageWhileBusyEndsTheSaverCleanly) {
    const DWORD stormsMs[] = {0, 0, 150, 600, 1500};
    for (int start = 0; start < 5; ++start) {
        SCOPED_TRACE("start " + std::to_string(start + 1));
        PreviewParent parent;
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(SaverExe(), "/p " + parent.Number()));
        if (start > 0) {
            ASSERT_TRUE(WaitUntil([&] { return PreviewChildOf(parent.window()) != nullptr; }, kStartTimeoutMs));
        }
        if (start > 1) {
            ASSERT_TRUE(WaitUntil([&] { return FindSquare(PreviewChildOf(parent.window())) != nullptr; },
                                  kStartTimeoutMs));
            Storm(parent.window(), stormsMs[start]);
            EXPECT_TRUE(saver.Running()) << "the storm alone must not end a preview";
        }
        parent.Destroy();
        EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
    }
}

// A preview parent destroyed while the saver is blocked in a message sent to
// it (the platform's preview dialog may be anywhere in its own work then).
TEST(PreviewParentGone, DestroyedRightAfterSynchronousTrafficEndsTheSaver) {
    PreviewParent parent;
    SaverProcess saver;
    ASSERT_TRUE(saver.Start(SaverExe(), "/p " + parent.Number()));
    HWND child = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (child = PreviewChildOf(parent.window())) != nullptr; }, kStartTimeoutMs));
    ASSERT_TRUE(WaitUntil([&] { return FindSquare(child) != nullptr; }, kStartTimeoutMs));
    const HWND square = FindSquare(child);
    for (int i = 0; i < 200; ++i) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(i % 2 == 0 ? child : square, WM_TIMER, i % 2 == 0 ? 101 : 102, 0, SMTO_NORMAL, 1000,
                            &result);
        RedrawWindow(square, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    parent.Destroy();
    EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
}

// Parents too small for a picture: an empty client area, one and two pixels
// (the square's side is 0 for heights up to 2), three pixels (side 1), and
// strips in each direction. Each runs until its parent goes.
TEST(DegeneratePreview, TinyAndStripParentsRunUntilTheParentGoes) {
    const SIZE sizes[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {1, 300}, {300, 1}, {0, 200}, {200, 0}};
    for (const SIZE& size : sizes) {
        SCOPED_TRACE(std::to_string(size.cx) + "x" + std::to_string(size.cy));
        PreviewParent parent(size.cx, size.cy, ParentFrame::Borderless);
        ASSERT_NE(parent.window(), nullptr);
        ASSERT_EQ(ClientRectOf(parent.window()).right, size.cx);
        ASSERT_EQ(ClientRectOf(parent.window()).bottom, size.cy);
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(SaverExe(), "/p " + parent.Number()));
        HWND child = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (child = PreviewChildOf(parent.window())) != nullptr; },
                              kStartTimeoutMs));
        HWND square = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (square = FindSquare(child)) != nullptr; }, kStartTimeoutMs));
        EXPECT_EQ(ClientRectOf(child).right, size.cx);
        EXPECT_EQ(ClientRectOf(child).bottom, size.cy);
        // Its timers keep running at this size (a few of their ticks pass while RunsOn
        // watches): the preview does not end itself.
        EXPECT_TRUE(RunsOn(saver));
        parent.Destroy();
        EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
    }
}
