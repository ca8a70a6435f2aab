// A copy of the saver that Wine runs as Windows 98, with the stand-in
// PASSWORD.CPL beside it: the base of the tests of the password verifier.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/saver/platform_version.h"
#include "tests/saver/saver_fixture.h"
#include "tests/support/where_tests_run.h"

// Lines of the stand-in's log that start with prefix ("verify", "answer 2 0", ...).
inline int CountPrefixed(const std::vector<std::string>& lines, const std::string& prefix) {
    int count = 0;
    for (const std::string& line : lines) count += line.rfind(prefix, 0) == 0 ? 1 : 0;
    return count;
}

// Waits until the log file holds count lines that start with prefix.
inline bool WaitForLogLines(const std::string& log, const std::string& prefix, int count) {
    return WaitUntil([&] { return CountPrefixed(ReadLines(log), prefix) == count; }, kExitTimeoutMs);
}

class Win98SaverTest : public ::testing::Test {
protected:
    // Each test file names its own copy, so that its Wine settings stay its own.
    explicit Win98SaverTest(const std::string& copyBaseName)
        : copy_(copyBaseName, kWin98.wineName), exe_(copy_.exe()), log_(copy_.folder() + "\\verifier.log") {}

    void SetUp() override {
        SKIP_ON_WINDOWS_ITSELF("needs Windows 9x (a Wine setting) and a stand-in PASSWORD.CPL in the system folder");
        ParkCursor();
    }

    // Starts full screen and waits until the saver can take input.
    void StartSaver() {
        ASSERT_TRUE(StartFullScreen(saver_, exe_, &window_));
        square_ = FindSquare(window_);
        ASSERT_NE(square_, nullptr);
    }

    HWND WaitForVerifierDialog() const {
        return saver_.WaitForTopLevel("TestVerifierDialog", nullptr, kStartTimeoutMs);
    }
    std::vector<std::string> Log() const { return ReadLines(log_); }
    bool WaitForLog(const std::string& prefix, int count = 1) const { return WaitForLogLines(log_, prefix, count); }

    VersionedCopy copy_;
    std::string exe_;
    std::string log_;
    SaverProcess saver_;
    HWND window_ = nullptr;
    HWND square_ = nullptr;
};
