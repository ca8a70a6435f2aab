// A copy of the saver that Wine runs as Windows 98, with the stand-in
// PASSWORD.CPL beside it: the base of the tests of the password verifier.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/saver/saver_fixture.h"

constexpr char kDesktopKey[] = "Control Panel\\Desktop";

// Lines of the stand-in's log that start with prefix ("verify", "answer 2 0", ...).
inline int CountPrefixed(const std::vector<std::string>& lines, const std::string& prefix) {
    int count = 0;
    for (const std::string& line : lines) count += line.rfind(prefix, 0) == 0 ? 1 : 0;
    return count;
}

class Win98SaverTest : public ::testing::Test {
protected:
    // Each test file names its own copy, so that its Wine settings stay its own.
    explicit Win98SaverTest(const std::string& copyName)
        : win98_(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\" + copyName, "Version",
                 std::string("win98")) {
        exe_ = scratch_.CopyFromBin("vorbix.scr", copyName);
        scratch_.CopyFromBin("helpers\\PASSWORD.CPL", "PASSWORD.CPL");
        log_ = scratch_.path() + "\\verifier.log";
        ParkCursor();
    }

    // Starts full screen and waits until the square is up and start-up has settled.
    void StartSaver() {
        ASSERT_TRUE(saver_.Start(exe_, "/s"));
        window_ = FindSaverWindow(saver_);
        ASSERT_NE(window_, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return (square_ = FindSquare(window_)) != nullptr; }, kStartTimeoutMs));
        PumpFor(300);
    }

    HWND WaitForVerifierDialog() const {
        return saver_.WaitForTopLevel("TestVerifierDialog", nullptr, kStartTimeoutMs);
    }
    std::vector<std::string> Log() const { return ReadLines(log_); }

    ScratchDir scratch_;
    ScopedRegistryValue win98_;
    std::string exe_;
    std::string log_;
    SaverProcess saver_;
    HWND window_ = nullptr;
    HWND square_ = nullptr;
};
