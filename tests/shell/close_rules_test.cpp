// The close rules in-process, on real windows and real message queues, where
// the shell's state can be set up and read directly.
#include <gtest/gtest.h>

#include <memory>

#include "saver/saver_proc.h"
#include "shell/shell.h"
#include "tests/shell/import_slot.h"

namespace {

HWND MakePlainWindow() {
    return CreateWindowExA(0, "STATIC", "plain", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

bool CloseIsQueuedFor(HWND window) {
    MSG msg;
    return PeekMessageA(&msg, window, WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0;
}

int g_verifierCalls;
BOOL g_verifierAnswer;
HWND g_verifiedWindow;

BOOL WINAPI CountingVerifier(HWND window) {
    ++g_verifierCalls;
    g_verifiedWindow = window;
    // A real verifier's dialog dispatches messages; a nested close request must not start
    // a second verification.
    RequestSaverClose(window);
    SendMessageA(window, WM_CLOSE, 0, 0);
    DefaultSaverProc(window, WM_KEYDOWN, 'A', 0);
    return g_verifierAnswer;
}

}  // namespace

TEST(DefaultSaverProc, InputOnAnyWindowQueuesACloseForThatWindow) {
    HWND window = MakePlainWindow();
    for (UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
        DefaultSaverProc(window, message, 0, 0);
        EXPECT_TRUE(CloseIsQueuedFor(window)) << message;
    }
    g_inPasswordCheck = 1;
    DefaultSaverProc(window, WM_KEYDOWN, 0, 0);
    EXPECT_FALSE(CloseIsQueuedFor(window)) << "no close while the verifier's dialog is up";
    DestroyWindow(window);
}

TEST(DefaultSaverProc, MovementAndDeactivationCountOnlyWhenTheCursorMoved) {
    HWND window = MakePlainWindow();
    SetCursorPos(300, 300);
    GetCursorPos(&g_startCursor);
    g_startCursorKnown = 1;
    for (UINT message : {WM_MOUSEMOVE, WM_ACTIVATE, WM_ACTIVATEAPP, WM_NCACTIVATE}) {
        DefaultSaverProc(window, message, 0, 0);
        EXPECT_FALSE(CloseIsQueuedFor(window)) << message;
    }
    g_startCursor.y -= 1;  // as if the cursor had moved one pixel since it was recorded
    DefaultSaverProc(window, WM_MOUSEMOVE, 0, 0);
    EXPECT_TRUE(CloseIsQueuedFor(window));
    for (UINT message : {WM_ACTIVATE, WM_ACTIVATEAPP, WM_NCACTIVATE}) {
        DefaultSaverProc(window, message, 1, 0);
        EXPECT_FALSE(CloseIsQueuedFor(window)) << "gaining activation never closes";
        DefaultSaverProc(window, message, 0, 0);
        EXPECT_TRUE(CloseIsQueuedFor(window)) << message;
    }
    // The whole wParam is tested: an inactive low word with a high word set is not a deactivation.
    DefaultSaverProc(window, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0);
    EXPECT_FALSE(CloseIsQueuedFor(window));
    DestroyWindow(window);
}

TEST(DefaultSaverProc, PreviewAndClosingStatesLeaveEverythingToTheDefault) {
    HWND window = MakePlainWindow();
    g_startCursor = {-5, -5};
    for (int* flag : {&g_isPreview, &g_closing}) {
        *flag = 1;
        DefaultSaverProc(window, WM_KEYDOWN, 0, 0);
        DefaultSaverProc(window, WM_MOUSEMOVE, 0, 0);
        EXPECT_FALSE(CloseIsQueuedFor(window));
        EXPECT_EQ(DefaultSaverProc(window, kVerifyPasswordMessage, 0, 0), 0) << "default answer, no verifier";
        *flag = 0;
    }
    DestroyWindow(window);
}

TEST(DefaultSaverProc, CursorMessageHidesTheCursorExceptDuringVerification) {
    HWND window = MakePlainWindow();
    EXPECT_EQ(DefaultSaverProc(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), HTCLIENT), TRUE);
    g_inPasswordCheck = 1;
    EXPECT_EQ(DefaultSaverProc(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), HTCLIENT),
              DefWindowProcA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), HTCLIENT));
    DestroyWindow(window);
}

TEST(RequestSaverClose, WithoutAVerifierTheVerificationMessageAgreesAndTheWindowGoes) {
    HWND window = MakePlainWindow();
    EXPECT_EQ(DefaultSaverProc(window, kVerifyPasswordMessage, 0, 0), 1);
    EXPECT_EQ(g_closing, 0) << "answering the message alone decides nothing";
    RequestSaverClose(window);
    EXPECT_EQ(g_closing, 1);
    EXPECT_FALSE(IsWindow(window));
}

namespace {

LRESULT CALLBACK VerifyingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultSaverProc(window, message, wParam, lParam);
}

HWND MakeWindowWithTheCloseRules() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = VerifyingWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "CloseRulesTestWindow";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, "CloseRulesTestWindow", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

}  // namespace

TEST(RequestSaverClose, RefusalKeepsTheWindowAndRecordsTheCursorAgain) {
    HWND window = MakeWindowWithTheCloseRules();
    g_verifyPassword = CountingVerifier;
    g_verifierAnswer = 0;
    SetCursorPos(123, 234);
    g_startCursor = {0, 0};
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(g_verifierCalls, 1) << "nested requests during verification must not verify again";
    EXPECT_EQ(g_verifiedWindow, window);
    EXPECT_EQ(g_closing, 0);
    EXPECT_EQ(g_inPasswordCheck, 0);
    EXPECT_TRUE(IsWindow(window));
    POINT cursor;
    GetCursorPos(&cursor);
    EXPECT_EQ(g_startCursor.x, cursor.x);
    EXPECT_EQ(g_startCursor.y, cursor.y);

    // The next request asks again; any nonzero answer closes.
    g_verifierAnswer = 2;
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(g_verifierCalls, 2);
    EXPECT_EQ(g_closing, 2);
    EXPECT_FALSE(IsWindow(window));
}

namespace {

int g_failedCursorReads;

// What GetCursorPos does while another desktop has the input: it fails and
// leaves the point as it found it.
BOOL WINAPI FailingGetCursorPos(LPPOINT) {
    ++g_failedCursorReads;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

std::unique_ptr<ScopedImport> g_failingCursorReads;

// From here on every GetCursorPos call of this process fails.
bool FailCursorReads() {
    g_failingCursorReads.reset(
        new ScopedImport("user32.dll", "GetCursorPos", reinterpret_cast<void*>(FailingGetCursorPos)));
    return g_failingCursorReads->found();
}

void RestoreCursorReads() { g_failingCursorReads.reset(); }

POINT g_firstGoodStart;

void CALLBACK MoveWhileAndAfterReadsFail(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    // Created while reads failed: no start point was taken from garbage.
    EXPECT_EQ(g_startCursor.x, -7);
    EXPECT_EQ(g_startCursor.y, -7);
    SendMessageA(g_saverWindow, WM_MOUSEMOVE, 0, 0);
    EXPECT_FALSE(CloseIsQueuedFor(g_saverWindow)) << "a failed read is no movement";

    RestoreCursorReads();
    SetCursorPos(250, 250);
    SendMessageA(g_saverWindow, WM_MOUSEMOVE, 0, 0);
    EXPECT_FALSE(CloseIsQueuedFor(g_saverWindow)) << "the first good read is the start, not a movement";
    g_firstGoodStart = g_startCursor;
    // From that start a real movement ends the saver.
    SetCursorPos(251, 250);
    SendMessageA(g_saverWindow, WM_MOUSEMOVE, 0, 0);
}

}  // namespace

TEST(CloseRules, AFailedCursorReadIsNoMovementAndKeepsTheStartPoint) {
    HWND window = MakeWindowWithTheCloseRules();
    SetCursorPos(200, 150);
    GetCursorPos(&g_startCursor);
    g_startCursorKnown = 1;
    const POINT start = g_startCursor;
    ASSERT_TRUE(FailCursorReads()) << "USER32!GetCursorPos not imported by this executable";
    for (UINT message : {WM_MOUSEMOVE, WM_ACTIVATE, WM_ACTIVATEAPP, WM_NCACTIVATE}) {
        DefaultSaverProc(window, message, 0, 0);
        EXPECT_FALSE(CloseIsQueuedFor(window)) << message;
    }
    EXPECT_GE(g_failedCursorReads, 4) << "the close rules did not read the cursor through the import";

    // A refusal records the start point again, but only from a successful read.
    g_verifyPassword = CountingVerifier;
    g_verifierAnswer = 0;
    SendMessageA(window, WM_CLOSE, 0, 0);
    RestoreCursorReads();
    EXPECT_EQ(g_verifierCalls, 1);
    EXPECT_EQ(g_closing, 0);
    EXPECT_EQ(g_startCursor.x, start.x);
    EXPECT_EQ(g_startCursor.y, start.y);

    // Reads work again: a real movement from the kept start still counts.
    g_startCursor.x -= 1;
    DefaultSaverProc(window, WM_MOUSEMOVE, 0, 0);
    EXPECT_TRUE(CloseIsQueuedFor(window));
    DestroyWindow(window);
}

TEST(CloseRules, ASaverCreatedWhileReadsFailTakesTheFirstGoodReadAsItsStart) {
    g_hInstance = GetModuleHandleA(nullptr);
    g_startCursor = {-7, -7};  // nowhere a cursor can be
    ASSERT_TRUE(FailCursorReads());
    SetTimer(nullptr, 0, 200, MoveWhileAndAfterReadsFail);
    EXPECT_EQ(RunSaver(nullptr), 0);
    RestoreCursorReads();
    EXPECT_GE(g_failedCursorReads, 2) << "creation and the first move both read the cursor";
    EXPECT_EQ(g_firstGoodStart.x, 250);
    EXPECT_EQ(g_firstGoodStart.y, 250);
    EXPECT_NE(g_closing, 0) << "the movement after the first good read closed the saver";
}
