// RunSaver in-process: the Windows 9x screen-saver-running state on every path,
// the registration failure box, and what the closing state keeps from SaverProc.
#include <gtest/gtest.h>

#include <string>

#include "saver/saver_proc.h"
#include "shell/shell.h"
#include "tests/support/where_tests_run.h"

namespace {

BOOL PlatformSaysSaverRuns() {
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running;
}

BOOL g_runningSeenInside = -1;
std::string g_boxText;

void CALLBACK EndSaverFromTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    g_runningSeenInside = PlatformSaysSaverRuns();
    DestroyWindow(g_saverWindow);
}

void CALLBACK DismissFailureBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = FindWindowA("#32770", nullptr);
    if (box == nullptr || GetWindowThreadProcessId(box, nullptr) != GetCurrentThreadId()) return;
    KillTimer(nullptr, timer);
    g_runningSeenInside = PlatformSaysSaverRuns();
    char text[128] = {};
    HWND textControl = GetDlgItem(box, 0xFFFF);
    GetWindowTextA(textControl, text, sizeof(text));
    g_boxText = text;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

// The Windows 9x tests start from a state of their own; on Windows itself that state
// is the platform's, and only tests that leave it alone run there.
void PrepareProcess() {
    g_hInstance = GetModuleHandleA(nullptr);
    if (!OnWindowsItself()) SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 0, nullptr, 0);
}

constexpr char kSetsTheRunningState[] =
    "plays Windows 9x in-process, where the saver sets the platform's screen-saver-running state";

}  // namespace

TEST(RunSaver, Windows9xFullScreenMarksTheSaverRunningUntilTheLoopEnds) {
    SKIP_ON_WINDOWS_ITSELF(kSetsTheRunningState);
    PrepareProcess();
    g_isWin9x = 1;
    SetTimer(nullptr, 0, 200, EndSaverFromTimer);
    EXPECT_EQ(RunSaver(nullptr), 0);
    EXPECT_EQ(g_runningSeenInside, TRUE);
    EXPECT_EQ(PlatformSaysSaverRuns(), FALSE);
}

TEST(RunSaver, FailedRegistrationShowsTheBoxOnceAndStillClearsTheState) {
    SKIP_ON_WINDOWS_ITSELF(kSetsTheRunningState);
    PrepareProcess();
    g_isWin9x = 1;
    // A class of that name already registered by this module makes registration fail.
    WNDCLASSA taken = {};
    taken.lpfnWndProc = DefWindowProcA;
    taken.hInstance = g_hInstance;
    taken.lpszClassName = "WindowsScreenSaverClass";
    ASSERT_NE(RegisterClassA(&taken), 0);
    SetTimer(nullptr, 0, 100, DismissFailureBox);
    EXPECT_EQ(RunSaver(nullptr), 0);
    EXPECT_EQ(g_boxText, "RegisterClasses() failed");
    EXPECT_EQ(g_runningSeenInside, TRUE);
    EXPECT_EQ(PlatformSaysSaverRuns(), FALSE);
    EXPECT_EQ(g_saverWindow, nullptr);
}

TEST(RunSaver, PreviewAndNtPlatformsNeverTouchTheRunningState) {
    SKIP_ON_WINDOWS_ITSELF(kSetsTheRunningState);
    PrepareProcess();
    HWND parent = CreateWindowExA(0, "STATIC", "parent", WS_POPUP | WS_VISIBLE, 0, 0, 152, 112, nullptr,
                                  nullptr, g_hInstance, nullptr);
    g_isWin9x = 1;
    g_isPreview = 1;
    SetTimer(nullptr, 0, 200, EndSaverFromTimer);
    EXPECT_EQ(RunSaver(parent), 0);
    EXPECT_EQ(g_runningSeenInside, FALSE);

    g_isWin9x = 0;
    g_isPreview = 0;
    g_saverWidth = 0;
    UnregisterClassA("WindowsScreenSaverClass", g_hInstance);
    g_runningSeenInside = -1;
    SetTimer(nullptr, 0, 200, EndSaverFromTimer);
    EXPECT_EQ(RunSaver(nullptr), 0);
    EXPECT_EQ(g_runningSeenInside, FALSE);
    DestroyWindow(parent);
}

namespace {

// Making the window and its GL context can take longer than any fixed wait
// on a busy machine; the check waits for the square's first move instead.
constexpr DWORD kFirstMoveDeadlineMs = 10000;
DWORD g_checkStart;

void CALLBACK CheckClosingState(HWND, UINT, UINT_PTR timer, DWORD) {
    if (g_renderX == 0 && GetTickCount() - g_checkStart < kFirstMoveDeadlineMs) return;
    KillTimer(nullptr, timer);
    // Once the close is granted the saver's own procedure gets no more ticks.
    g_closing = 1;
    const int x = g_renderX;
    SendMessageA(g_saverWindow, WM_TIMER, kBounceTimerId, 0);
    g_runningSeenInside = (g_renderX == x);
    DestroyWindow(g_saverWindow);
}

}  // namespace

TEST(RunSaver, ClosingStateStopsTheBounce) {
    PrepareProcess();
    g_checkStart = GetTickCount();
    SetTimer(nullptr, 0, 10, CheckClosingState);
    EXPECT_EQ(RunSaver(nullptr), 0);
    EXPECT_EQ(g_runningSeenInside, TRUE);
    EXPECT_GT(g_renderX, 0) << "the square did not move within " << kFirstMoveDeadlineMs << " ms";
}
