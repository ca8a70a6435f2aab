// Where a test runs: under Wine, where it may put stand-ins into the system folder
// and use Wine's own settings, or on Windows itself, where it must change nothing
// and skips what needs either. run-tests.exe --as-windows sets kAsWindowsVariable,
// so that the Windows-itself branch can be tried under Wine too.
#pragma once

#include <windows.h>

constexpr char kAsWindowsVariable[] = "VORBIX_TEST_AS_WINDOWS";

// Wine's ntdll exports its version; Windows' does not.
inline bool UnderWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

inline bool OnWindowsItself() {
    char value[2] = {};
    const DWORD length = GetEnvironmentVariableA(kAsWindowsVariable, value, sizeof(value));
    return !UnderWine() || (length == 1 && value[0] == '1');
}

// At the start of a test or its SetUp, before anything is changed (GoogleTest's GTEST_SKIP).
#define SKIP_ON_WINDOWS_ITSELF(why)                                           \
    do {                                                                      \
        if (OnWindowsItself()) GTEST_SKIP() << "on Windows itself: " << (why); \
    } while (0)
