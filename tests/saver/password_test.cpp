// The Windows 9x password path (Wine's win98 setting for a copy of the saver,
// with a stand-in PASSWORD.CPL in the system folder), the same full-screen run
// under every version of Windows that Wine can report, and the password change
// through a stand-in MPR.DLL. The stand-ins go where the platform's own DLLs are;
// the copies planted beside the saver must never be loaded.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "tests/saver/win98_saver.h"

namespace {

constexpr char kPasswordChangeSaverName[] = "vorbixpw.scr";

class Win98Saver : public Win98SaverTest {
protected:
    Win98Saver() : Win98SaverTest("vorbix98") {}
};

}  // namespace

TEST_F(Win98Saver, RefusalKeepsTheShowRunningAndAcceptanceEndsIt) {
    ScopedRegistryValue usePassword(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveUsePassword", 1);
    ScopedEnvironment logFile(kVerifierLogVariable, log_);
    ScopedEnvironment answers(kVerifierAnswersVariable, "0,0,2");
    ScopedEnvironment wait(kVerifierWaitVariable, "1");
    ASSERT_NO_FATAL_FAILURE(StartSaver());

    // First request: a key press on the saver window.
    PressKey('K');
    HWND dialog = WaitForVerifierDialog();
    ASSERT_NE(dialog, nullptr);
    // Input while the verifier's dialog is up starts no second verification.
    PostMessageA(window_, WM_KEYDOWN, 'X', 0);
    PostMessageA(window_, WM_CLOSE, 0, 0);
    PostMessageA(square_, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    ASSERT_TRUE(saver_.WaitUntilIdle(kExitTimeoutMs));
    EXPECT_EQ(CountPrefixed(Log(), "verify"), 1);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForLog("answer 1 0"));
    EXPECT_TRUE(RunsOn(saver_)) << "refused, so the saver runs on";
    EXPECT_EQ(CountPrefixed(Log(), "verify"), 1);
    EXPECT_TRUE(IsWindow(square_));

    // Second request: input over the square. Refused again: the square stays and keeps moving.
    PostMessageA(square_, WM_KEYDOWN, 'Y', 0);
    dialog = WaitForVerifierDialog();
    ASSERT_NE(dialog, nullptr);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForLog("answer 2 0"));
    EXPECT_TRUE(RunsOn(saver_)) << "a refusal over the square must not end it";
    ASSERT_TRUE(IsWindow(square_));
    const POINT before = PositionInParent(square_);
    EXPECT_TRUE(WaitUntil([&] { return PositionInParent(square_).x != before.x; }, kExitTimeoutMs))
        << "the square stopped moving";
    EXPECT_EQ(CountPrefixed(Log(), "verify"), 2);

    // The cursor was re-recorded after the refusal: a still mouse-move asks nothing.
    PostMessageA(window_, WM_MOUSEMOVE, 0, 0);
    EXPECT_TRUE(RunsOn(saver_));
    EXPECT_EQ(CountPrefixed(Log(), "verify"), 2);

    // Third request by a one-pixel movement; a result of 2 counts as consent.
    MoveCursorBy(1, 0);
    dialog = WaitForVerifierDialog();
    ASSERT_NE(dialog, nullptr);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(saver_.WaitForExit(kExitTimeoutMs), 0u);

    const std::vector<std::string> log = Log();
    ASSERT_EQ(CountPrefixed(log, "verify"), 3);
    // The verifier is always asked about the saver window, never the square.
    for (const std::string& line : log) {
        if (line.rfind("verify", 0) == 0) {
            EXPECT_NE(line.find("WindowsScreenSaverClass"), std::string::npos) << line;
        }
    }
}

TEST_F(Win98Saver, InputOverTheSquareEndsOnlyWhenTheVerifierAgrees) {
    ScopedRegistryValue usePassword(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveUsePassword", 1);
    ScopedEnvironment logFile(kVerifierLogVariable, log_);
    ScopedEnvironment answers(kVerifierAnswersVariable, "0,1");
    ASSERT_NO_FATAL_FAILURE(StartSaver());
    PostMessageA(square_, WM_RBUTTONDOWN, MK_RBUTTON, 0);
    ASSERT_TRUE(WaitForLog("answer 1 0"));
    EXPECT_TRUE(RunsOn(saver_));
    EXPECT_TRUE(IsWindow(square_));
    PostMessageA(square_, WM_KEYDOWN, 'Z', 0);
    EXPECT_EQ(saver_.WaitForExit(kExitTimeoutMs), 0u);
    EXPECT_EQ(CountPrefixed(Log(), "verify"), 2);
}

TEST_F(Win98Saver, NoPasswordInUseMeansNoVerifier) {
    ScopedEnvironment logFile(kVerifierLogVariable, log_);
    ScopedEnvironment answers(kVerifierAnswersVariable, "0");
    for (DWORD value : {0u, 2u}) {
        if (value == 2u) {
            // Value absent: an earlier test state must not leak in.
            HKEY desktop;
            if (RegOpenKeyA(HKEY_CURRENT_USER, kDesktopKey, &desktop) == ERROR_SUCCESS) {
                RegDeleteValueA(desktop, "ScreenSaveUsePassword");
                RegCloseKey(desktop);
            }
        }
        std::unique_ptr<ScopedRegistryValue> zero;
        if (value == 0u) zero.reset(new ScopedRegistryValue(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveUsePassword", 0u));
        SaverProcess saver;
        HWND window = nullptr;
        ASSERT_TRUE(StartFullScreen(saver, exe_, &window));
        PressKey(VK_SPACE);
        EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
    }
    EXPECT_TRUE(Log().empty());
}

TEST_F(Win98Saver, MissingVerifierLibraryIsSilent) {
    ScopedRegistryValue usePassword(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveUsePassword", 1);
    copy_.verifier().Remove();
    ASSERT_NO_FATAL_FAILURE(StartSaver());
    PressKey(VK_SPACE);
    EXPECT_EQ(saver_.WaitForExit(kExitTimeoutMs), 0u);
}

TEST(NtPlatform, PasswordValueIsNeverReadOutsideWindows9x) {
    SKIP_ON_WINDOWS_ITSELF("puts a stand-in PASSWORD.CPL into the system folder and switches the password on");
    ScratchDir scratch;
    const std::string exe = scratch.CopyFromBin("vorbix.scr", "vorbix.scr");
    const SystemFolderFile verifierImport("helpers\\PWIMPORT.DLL", "PWIMPORT.DLL");
    const SystemFolderFile verifier("helpers\\PASSWORD.CPL", "PASSWORD.CPL");
    const std::string log = scratch.path() + "\\verifier.log";
    ScopedRegistryValue usePassword(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveUsePassword", 1);
    ScopedEnvironment logFile(kVerifierLogVariable, log);
    ScopedEnvironment answers(kVerifierAnswersVariable, "0");
    ParkCursor();
    SaverProcess saver;
    HWND window = nullptr;
    ASSERT_TRUE(StartFullScreen(saver, exe, &window));
    PressKey(VK_SPACE);
    EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
    EXPECT_TRUE(ReadLines(log).empty());
}

namespace {

// The saver as each version of Windows that Wine can report runs it, with the password
// switched on and the stand-in verifier beside it.
class PlatformVersionSaver : public VersionedSaverTest {
protected:
    PlatformVersionSaver() : VersionedSaverTest("vbx") {}

    void SetUp() override {
        VersionedSaverTest::SetUp();
        if (IsSkipped()) return;
        ASSERT_TRUE(ReportsTheVersionAskedFor());
        // Windows 9x has the saver set the state and clear it again; elsewhere a state set
        // beforehand shows that the saver leaves it alone.
        SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, StateBefore(), nullptr, 0);
        ASSERT_EQ(PlatformSaysSaverRuns(), StateBefore());
        ParkCursor();
    }
    void TearDown() override {
        if (!IsSkipped()) SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, nullptr, 0);
    }

    // The screen-saver-running state before the saver starts.
    static UINT StateBefore() { return GetParam().windows9x ? 0u : 1u; }

    ScopedEnvironment answers_{kVerifierAnswersVariable, "0,1"};
};

}  // namespace

// Windows 9x: the verifier is loaded and asked, and the saver has the platform count it
// as running while it runs. NT: the password value set is of no account, no verifier is
// loaded, the running state is left as it was, and a key ends the saver at once.
TEST_P(PlatformVersionSaver, KeyAsksTheVerifierAndTheStateMarksTheRunOnlyOnWindows9x) {
    const bool windows9x = GetParam().windows9x;
    SaverProcess saver;
    HWND window = nullptr;
    ASSERT_TRUE(StartFullScreen(saver, copy_.exe(), &window));
    EXPECT_EQ(PlatformSaysSaverRuns(), 1u) << "the screen-saver-running state while it runs";

    PressKey(VK_SPACE);
    if (windows9x) {
        ASSERT_TRUE(WaitForLogLines(log_, "answer 1 0", 1)) << "the verifier was not asked";
        EXPECT_TRUE(RunsOn(saver)) << "refused, so the saver runs on";
        PressKey(VK_SPACE);
    }
    EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);

    const std::vector<std::string> log = ReadLines(log_);
    if (windows9x) {
        EXPECT_EQ(CountPrefixed(log, "verify "), 2);
        EXPECT_EQ(CountPrefixed(log, "answer 2 1"), 1);
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.front(), "attach");
        EXPECT_EQ(log.back(), "detach free") << "the verifier is released when the show ends";
    } else {
        EXPECT_TRUE(log.empty()) << "the verifier was loaded: " << log.front();
    }
    EXPECT_EQ(PlatformSaysSaverRuns(), StateBefore()) << "the screen-saver-running state after the saver ended";
}

INSTANTIATE_TEST_SUITE_P(BothFamilies, PlatformVersionSaver,
                         ::testing::Values(kWin95, kWin98, kWinMe, kNt40, kWin2k, kWinXp, kWin10), NameOf);

namespace {

class PasswordChange : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_ON_WINDOWS_ITSELF("puts a stand-in MPR.DLL into the system folder and has Wine prefer it");
        exe_ = scratch_.CopyFromBin("vorbix.scr", kPasswordChangeSaverName);
        log_ = scratch_.path() + "\\mpr.log";
        // Planted beside the saver: loaded from there, it would log "attach planted".
        scratch_.CopyFromBin("helpers\\MPR.DLL", "MPR.DLL");
    }
    // Runs the saver with the tail; it must end by itself with exit code 0.
    std::vector<std::string> RunChange(const std::string& tail) {
        DeleteFileA(log_.c_str());
        ScopedEnvironment logFile(kPasswordChangeLogVariable, log_);
        SaverProcess saver;
        EXPECT_TRUE(saver.Start(exe_, tail));
        EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u) << tail;
        return ReadLines(log_);
    }
    ScratchDir scratch_;
    // Wine has an MPR.DLL of its own, built in; this copy of the saver is told to prefer the
    // file in the system folder, where the tests put their stand-in.
    ScopedRegistryValue nativeProvider_{
        HKEY_CURRENT_USER, std::string("Software\\Wine\\AppDefaults\\") + kPasswordChangeSaverName + "\\DllOverrides",
        "mpr", std::string("native")};
    std::string exe_;
    std::string log_;
};

}  // namespace

TEST_F(PasswordChange, HandsTheChangeToTheProviderUnderTheNamedWindow) {
    const SystemFolderFile provider("helpers\\MPR.DLL", "MPR.DLL");
    PreviewParent parent;
    const std::vector<std::string> log = RunChange("/a " + parent.Number());
    const std::vector<std::string> expected = {
        "attach", "change SCRSAVE " + parent.Number() + " 0 0", "detach free"};
    EXPECT_EQ(log, expected);
}

TEST_F(PasswordChange, UsesTheForegroundWindowWhenTheNumberIsNoWindow) {
    const SystemFolderFile provider("helpers\\MPR.DLL", "MPR.DLL");
    PreviewParent foreground;
    SetForegroundWindow(foreground.window());
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == foreground.window(); }, kStartTimeoutMs));
    // A number that surely names no window: that of a window already destroyed. (A small
    // number like 99 is no good: handles whose high word is 0 match a live window's index.)
    std::string goneWindow;
    {
        PreviewParent gone;
        goneWindow = gone.Number();
    }
    for (const std::string& tail : {"/a " + goneWindow, std::string("/abc"), std::string("/A")}) {
        const std::vector<std::string> log = RunChange(tail);
        const std::vector<std::string> expected = {
            "attach", "change SCRSAVE " + foreground.Number() + " 0 0", "detach free"};
        EXPECT_EQ(log, expected) << tail;
    }
}

TEST_F(PasswordChange, ProviderWithoutTheEntryIsReleasedSilently) {
    const SystemFolderFile provider("helpers\\MPR_NOENTRY.DLL", "MPR.DLL");
    const std::vector<std::string> log = RunChange("/a");
    const std::vector<std::string> expected = {"attach", "detach free"};
    EXPECT_EQ(log, expected);
}

