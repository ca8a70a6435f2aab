// A password verifier that refuses again and again while input storms the
// saver during its dialog: only the request that opened the dialog may be
// verified, and only the verifier's consent may end the saver. The stand-in
// verifier's dialog does not disable its owner, as a modal one would, so
// real clicks and keys reach the saver window and the square while it is up.
#include <gtest/gtest.h>

#include "tests/faults/fault_support.h"
#include "tests/saver/win98_saver.h"

namespace {

constexpr int kRefusals = 10;

class VerifierStorm : public Win98SaverTest {
protected:
    VerifierStorm() : Win98SaverTest("vorbixvs") {}

    int Verifications() const { return CountPrefixed(Log(), "verify "); }

    // Messages that would each start a close request if no verification were
    // running, to the saver window and to the square.
    void PostStorm() const {
        for (HWND target : {window_, square_}) {
            PostMessageA(target, WM_KEYDOWN, 'Q', 0);
            PostMessageA(target, WM_SYSKEYDOWN, VK_F10, 0);
            PostMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
            PostMessageA(target, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 4));
            PostMessageA(target, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(5, 5));
            PostMessageA(target, WM_MOUSEMOVE, 0, MAKELPARAM(9, 9));
            PostMessageA(target, WM_ACTIVATE, WA_INACTIVE, 0);
            PostMessageA(target, WM_ACTIVATEAPP, FALSE, 0);
            PostMessageA(target, WM_NCACTIVATE, FALSE, 0);
            PostMessageA(target, WM_SYSCOMMAND, SC_CLOSE | 1, 0);
            PostMessageA(target, WM_CLOSE, 0, 0);
        }
    }

    // Real keys, clicks and movement over the saver, the square and the dialog.
    UINT InputStorm(HWND dialog, int round) const {
        const POINT overSaver = {40 + round * 7, GetSystemMetrics(SM_CYSCREEN) - 40 - round * 5};
        InputBurst burst;
        burst.Key('K').Key(VK_SPACE).Key(VK_RETURN).Key(VK_ESCAPE)
            .MoveTo(overSaver).ClickLeft()
            .Key('L').Key(VK_TAB).KeyDown(VK_SHIFT).Key('M').KeyUp(VK_SHIFT)
            .KeyDown(VK_MENU).Key('X').KeyUp(VK_MENU)
            .MoveTo(CentreOf(square_)).ClickRight().ClickLeft()
            .MoveBy(5, 0).MoveBy(0, -5).MoveBy(-3, 2)
            .MoveTo(CentreOf(dialog)).ClickLeft().Key('N')
            .MoveTo(overSaver).ClickMiddle().MoveBy(1, 1).Key(VK_F5);
        return burst.Send();
    }

    // Waits until the saver has taken all the input of a storm. Going idle
    // shows that it has taken everything queued for it. But under Wine a cursor
    // movement that another process makes comes to the saver a second time,
    // later, through the X server (as the motion of the X pointer that the mover
    // warped), and sets the cursor back to where it was then; nothing a test can
    // wait on marks the last of that motion. So the storm counts as over once
    // the saver is idle and the cursor has stayed put over a quiet spell: the
    // fixed spell is the point here, and it repeats until the cursor is still.
    bool Settle() const {
        constexpr DWORD kQuietSpellMs = 150;
        POINT before = {-1, -1};
        for (int look = 0; look < 50; ++look) {
            if (!saver_.WaitUntilIdle(kExitTimeoutMs)) return false;
            POINT now;
            GetCursorPos(&now);
            if (look > 0 && now.x == before.x && now.y == before.y) return true;
            before = now;
            Sleep(kQuietSpellMs);
        }
        return false;
    }

    // A different kind of close request each round.
    void RequestClose(int round) const {
        switch (round % 4) {
            case 0: PressKey(VK_SPACE); break;
            case 1: MoveCursorBy(2, 1); break;
            case 2: PostMessageA(square_, WM_LBUTTONDOWN, MK_LBUTTON, 0); break;
            default: ::ClickLeft(); break;
        }
    }

    ScopedRegistryValue usePassword_{HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveUsePassword", 1u};
};

}  // namespace

TEST_F(VerifierStorm, TenRefusalsUnderInputNeverVerifyTwiceNorEndTheSaver) {
    std::string answers;
    for (int i = 0; i < kRefusals; ++i) answers += "0,";
    answers += "1";
    ScopedEnvironment logFile(kVerifierLogVariable, log_);
    ScopedEnvironment refusals(kVerifierAnswersVariable, answers);
    ScopedEnvironment wait(kVerifierWaitVariable, "1");

    ASSERT_NO_FATAL_FAILURE(StartSaver());

    for (int round = 1; round <= kRefusals; ++round) {
        SCOPED_TRACE("refusal " + std::to_string(round));
        RequestClose(round);
        const HWND dialog = WaitForVerifierDialog();
        ASSERT_NE(dialog, nullptr) << "no verification for the close request";
        ASSERT_EQ(Verifications(), round);

        PostStorm();
        EXPECT_GT(InputStorm(dialog, round), 0u);
        ASSERT_TRUE(Settle()) << "the saver does not settle";
        EXPECT_TRUE(IsWindow(dialog)) << "the storm closed the verifier's dialog";
        EXPECT_EQ(Verifications(), round) << "a second verification started while the dialog was up";
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitForLog("answer " + std::to_string(round) + " "));

        // The refusal forgot the storm's movement: mouse-move messages with the
        // cursor where it rests now ask nothing.
        PostMessageA(window_, WM_MOUSEMOVE, 0, 0);
        PostMessageA(square_, WM_MOUSEMOVE, 0, 0);
        EXPECT_TRUE(RunsOn(saver_)) << "ended without consent";
        ASSERT_TRUE(saver_.Running());
        EXPECT_EQ(Verifications(), round) << "a second verification started";
        EXPECT_EQ(saver_.WaitForTopLevel("TestVerifierDialog", nullptr, 0), nullptr);
    }

    const std::vector<std::string> log = Log();
    EXPECT_EQ(CountPrefixed(log, "verify "), kRefusals);
    EXPECT_EQ(CountPrefixed(log, "answer "), kRefusals);
    ASSERT_TRUE(IsWindow(square_));
    const POINT before = PositionInParent(square_);
    EXPECT_TRUE(WaitUntil([&] { return PositionInParent(square_).x != before.x; }, kExitTimeoutMs))
        << "the show must go on after the refusals";

    // Consent ends it.
    PressKey(VK_SPACE);
    const HWND dialog = WaitForVerifierDialog();
    ASSERT_NE(dialog, nullptr);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(saver_.WaitForExit(kExitTimeoutMs), 0u);
    EXPECT_EQ(CountPrefixed(Log(), "verify "), kRefusals + 1);
    EXPECT_EQ(CountPrefixed(Log(), "answer " + std::to_string(kRefusals + 1) + " 1"), 1);
}
