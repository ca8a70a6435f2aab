// Shared pieces of the tests that start the built saver.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/saver_process.h"
#include "tools/run_helpers/preview_monitor.h"

constexpr DWORD kStartTimeoutMs = 10000;
constexpr DWORD kExitTimeoutMs = 10000;
// How long a check that nothing happens keeps watching once the saver has taken everything
// the test gave it. What is queued for the saver is covered by waiting for it to go idle;
// this is for what reaches it later by other ways (under Wine a cursor warp comes back
// through the X server), and for a few ticks of its timers.
constexpr DWORD kQuietMs = 150;

// Where the platform keeps the screen saver settings of the user, the password switch among them.
constexpr char kDesktopKey[] = "Control Panel\\Desktop";

inline std::string SaverExe() { return BinDir() + "\\vorbix.scr"; }

inline HWND FindSaverWindow(const SaverProcess& saver) {
    return saver.WaitForTopLevel("WindowsScreenSaverClass", "SCREENSAVER", kStartTimeoutMs);
}

inline HWND FindSquare(HWND saverWindow) {
    return FindWindowExA(saverWindow, nullptr, "NTDEVCLASS", "Child1");
}

// The saver's window inside a preview parent, or null.
inline HWND PreviewChildOf(HWND parent) {
    return FindWindowExA(parent, nullptr, "WindowsScreenSaverClass", nullptr);
}

// Waits until a full-screen saver can take input from the platform: its window is the
// foreground window, where the platform sends keys (the window becomes so only after its
// creation, square and GL context included, has finished), and its thread has finished
// start-up and waits in its message loop.
::testing::AssertionResult WaitUntilReadyForInput(const SaverProcess& saver, HWND window);

// Starts exePath full screen ("/s") as the platform does and waits until it is ready for
// input; its saver window goes to *window.
::testing::AssertionResult StartFullScreen(SaverProcess& saver, const std::string& exePath, HWND* window);

// Whether the saver runs on after what the test has done to it: it has taken all of that,
// and what that made it post to itself, and has not ended within kQuietMs after that.
::testing::AssertionResult RunsOn(SaverProcess& saver);

// A window of the test's own standing in for the platform's preview monitor:
// captioned, or borderless with a client area of exactly the size asked for,
// down to 0 x 0 (a captioned window cannot be made that small).
enum class ParentFrame { Captioned, Borderless };
class PreviewParent {
public:
    PreviewParent(int clientWidth = kPreviewMonitorWidth, int clientHeight = kPreviewMonitorHeight,
                  ParentFrame frame = ParentFrame::Captioned);
    ~PreviewParent();
    PreviewParent(const PreviewParent&) = delete;
    PreviewParent& operator=(const PreviewParent&) = delete;
    HWND window() const { return window_; }
    std::string Number() const { return WindowNumber(window_); }
    void Destroy();

private:
    HWND window_ = nullptr;
};

// Sets a registry value for the length of a test and restores the old state. Only under
// Wine: on Windows itself it does nothing, and the test must have skipped.
class ScopedRegistryValue {
public:
    ScopedRegistryValue(HKEY root, const std::string& key, const std::string& name, DWORD value);
    ScopedRegistryValue(HKEY root, const std::string& key, const std::string& name, const std::string& value);
    ~ScopedRegistryValue();
    ScopedRegistryValue(const ScopedRegistryValue&) = delete;
    ScopedRegistryValue& operator=(const ScopedRegistryValue&) = delete;

private:
    void Remember();
    HKEY root_;
    std::string key_;
    std::string name_;
    bool refused_;
    bool hadValue_ = false;
    DWORD oldType_ = 0;
    std::string oldData_;
};

// Sets an environment variable that started savers inherit, for one test.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
        SetEnvironmentVariableA(name, value.c_str());
    }
    ~ScopedEnvironment() { SetEnvironmentVariableA(name_, nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
};

// Puts the cursor at a fixed spot near the bottom right of the primary monitor (or at x, y),
// so that a saver started afterwards records a cursor that stays still.
void ParkCursor();
void ParkCursorAt(int x, int y);
