// The close rules in-process, on real windows and real message queues, where
// the shell's state can be set up and read directly.
#include <gtest/gtest.h>

#include "saver/saver_proc.h"
#include "shell/shell.h"

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
