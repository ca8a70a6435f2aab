// The full-screen saver on two monitors side by side, as tools/with-wine
// --two-monitors lays them out: it covers both, and input on the second one
// ends it, or asks the verifier where Windows 98 has the password on.
#include <gtest/gtest.h>

#include "tests/saver/win98_saver.h"

namespace {

BOOL CALLBACK KeepSecondary(HMONITOR monitor, HDC, LPRECT, LPARAM found) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoA(monitor, &info) && (info.dwFlags & MONITORINFOF_PRIMARY) == 0) {
        *reinterpret_cast<RECT*>(found) = info.rcMonitor;
    }
    return TRUE;
}

// tools/with-wine --two-monitors promises two monitors: there one is a fault.
constexpr char kTwoMonitorsVariable[] = "VORBIX_TWO_MONITOR_SESSION";

bool TwoMonitorsPromised() {
    char value[2] = {};
    return GetEnvironmentVariableA(kTwoMonitorsVariable, value, sizeof(value)) == 1 && value[0] == '1';
}

// Elsewhere a desktop with one monitor lacks what these tests need.
#define SKIP_WITHOUT_A_SECOND_MONITOR()                                                                  \
    do {                                                                                                 \
        if (GetSystemMetrics(SM_CMONITORS) < 2 && !TwoMonitorsPromised())                                \
            GTEST_SKIP() << "needs a second monitor; this desktop has one (tools/with-wine --two-monitors " \
                            "lays out two under Wine)";                                                 \
    } while (0)

// The monitor that is not the primary one, as the platform reports it.
::testing::AssertionResult FindSecondMonitor(RECT* second) {
    const int monitors = GetSystemMetrics(SM_CMONITORS);
    if (monitors < 2) {
        return ::testing::AssertionFailure() << "the platform reports " << monitors
                                             << " monitor (run under tools/with-wine --two-monitors)";
    }
    *second = {};
    EnumDisplayMonitors(nullptr, nullptr, KeepSecondary, reinterpret_cast<LPARAM>(second));
    if (second->right <= second->left) return ::testing::AssertionFailure() << "no monitor besides the primary one";
    return ::testing::AssertionSuccess();
}

// The middle of the second monitor, far from the square's start in the top-left corner.
// (Xephyr keeps its pointer inside 1600 x 600, as if both heads were as large as the
// first: a warp below or right of that lands on the edge, and Wine, which took the
// warp as given, later sees the cursor move by itself.)
POINT InsideSecond(const RECT& second) {
    return {(second.left + second.right) / 2, (second.top + second.bottom) / 2};
}

}  // namespace

TEST(TwoMonitors, TheSaverWindowCoversBothMonitors) {
    SKIP_WITHOUT_A_SECOND_MONITOR();
    RECT second;
    ASSERT_TRUE(FindSecondMonitor(&second));
    ParkCursor();
    SaverProcess saver;
    HWND window = nullptr;
    ASSERT_TRUE(StartFullScreen(saver, SaverExe(), &window));
    const RECT rect = ScreenRectOf(window);
    EXPECT_EQ(rect.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
    EXPECT_EQ(rect.top, GetSystemMetrics(SM_YVIRTUALSCREEN));
    EXPECT_EQ(rect.right - rect.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(rect.bottom - rect.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    // What lies under the second monitor's corners and middle is the saver.
    for (const POINT at : {POINT{second.left, second.top}, POINT{second.right - 1, second.bottom - 1},
                           InsideSecond(second)}) {
        EXPECT_EQ(GetAncestor(WindowFromPoint(at), GA_ROOT), window) << at.x << "," << at.y;
    }
    PressKey(VK_SPACE);
    EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
}

TEST(TwoMonitors, AClickAKeyOrAMovementOnTheSecondMonitorEndsTheSaver) {
    SKIP_WITHOUT_A_SECOND_MONITOR();
    RECT second;
    ASSERT_TRUE(FindSecondMonitor(&second));
    const POINT at = InsideSecond(second);
    struct Ending {
        const char* name;
        void (*act)();
    };
    for (const Ending& ending : {Ending{"click", [] { ClickLeft(); }}, Ending{"key", [] { PressKey('K'); }},
                                 Ending{"one pixel of movement", [] { MoveCursorBy(1, 0); }}}) {
        SCOPED_TRACE(ending.name);
        ParkCursorAt(at.x, at.y);
        SaverProcess saver;
        HWND window = nullptr;
        ASSERT_TRUE(StartFullScreen(saver, SaverExe(), &window));
        ending.act();
        EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
    }
}

namespace {

class TwoMonitorsWin98 : public Win98SaverTest {
protected:
    TwoMonitorsWin98() : Win98SaverTest("vorbix2m") {}
};

}  // namespace

TEST_F(TwoMonitorsWin98, AClickOnTheSecondMonitorAsksTheVerifier) {
    SKIP_WITHOUT_A_SECOND_MONITOR();
    RECT second;
    ASSERT_TRUE(FindSecondMonitor(&second));
    ASSERT_EQ(copy_.ReportedVersion(), kWin98.reported);
    ScopedRegistryValue usePassword(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveUsePassword", 1);
    ScopedEnvironment logFile(kVerifierLogVariable, log_);
    ScopedEnvironment answers(kVerifierAnswersVariable, "0,1");
    const POINT at = InsideSecond(second);
    ParkCursorAt(at.x, at.y);
    ASSERT_NO_FATAL_FAILURE(StartSaver());

    ClickLeft();
    ASSERT_TRUE(WaitForLog("answer 1 0"));
    EXPECT_TRUE(RunsOn(saver_)) << "refused, so the saver runs on";
    ClickLeft();
    EXPECT_EQ(saver_.WaitForExit(kExitTimeoutMs), 0u);
    EXPECT_EQ(CountPrefixed(Log(), "verify"), 2);
}
