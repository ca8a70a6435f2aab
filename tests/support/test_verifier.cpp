// A stand-in for the platform's PASSWORD.CPL. Its loading and unloading and each
// call are logged; a call's answer is the next entry of a comma-separated list (the
// last one repeats). When asked to, it keeps a window of its own up, with a nested
// message loop as a real password dialog has, until someone closes that window.
// A copy loaded from outside the system folder stands for one planted beside the
// saver, and so does one whose own import (PWIMPORT.DLL) came from there: it accepts
// any password.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/support/helper_log.h"
#include "tests/support/saver_process.h"

extern "C" __declspec(dllimport) BOOL VerifierImportPlanted();

namespace {

int g_calls;
bool g_planted;

BOOL AnswerForCall(int call) {
    char answers[256];
    if (GetEnvironmentVariableA(kVerifierAnswersVariable, answers, sizeof(answers)) == 0) return 1;
    const char* entry = answers;
    for (int i = 0; i < call; ++i) {
        const char* comma = std::strchr(entry, ',');
        if (comma == nullptr) break;
        entry = comma + 1;
    }
    return static_cast<BOOL>(std::strtol(entry, nullptr, 10));
}

LRESULT CALLBACK DialogWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        DestroyWindow(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RunDialog(HWND owner) {
    WNDCLASSA dialogClass = {};
    dialogClass.lpfnWndProc = DialogWindowProc;
    dialogClass.hInstance = GetModuleHandleA("PASSWORD.CPL");
    dialogClass.lpszClassName = "TestVerifierDialog";
    RegisterClassA(&dialogClass);
    HWND dialog = CreateWindowExA(WS_EX_TOPMOST, "TestVerifierDialog", "Test verifier",
                                  WS_POPUP | WS_VISIBLE | WS_CAPTION, 100, 100, 200, 80, owner,
                                  nullptr, dialogClass.hInstance, nullptr);
    MSG msg;
    while (IsWindow(dialog) && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
    const int call = g_calls++;
    char className[64] = {};
    GetClassNameA(window, className, sizeof(className));
    char line[160];
    std::snprintf(line, sizeof(line), "verify %d %llu %s", call + 1,
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)), className);
    AppendLogLine(kVerifierLogVariable, line);

    char wait[8];
    if (GetEnvironmentVariableA(kVerifierWaitVariable, wait, sizeof(wait)) != 0 && wait[0] == '1') {
        RunDialog(window);
    }
    const BOOL answer = g_planted ? TRUE : AnswerForCall(call);
    std::snprintf(line, sizeof(line), "answer %d %d", call + 1, answer);
    AppendLogLine(kVerifierLogVariable, line);
    return answer;
}

// The platform fixes DllMain's signature: its reserved argument cannot become const.
// cppcheck-suppress constParameter
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_planted = !LoadedFromSystemFolder(instance) || VerifierImportPlanted();
        AppendLogLine(kVerifierLogVariable, g_planted ? "attach planted" : "attach");
    }
    // A null reserved pointer means FreeLibrary, not the end of the process.
    if (reason == DLL_PROCESS_DETACH) {
        AppendLogLine(kVerifierLogVariable, reserved == nullptr ? "detach free" : "detach exit");
    }
    return TRUE;
}
