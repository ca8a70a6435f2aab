// The command tails the platform may hand the saver, each started as the
// platform starts it, and the role the saver then plays.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/saver/platform_version.h"
#include "tests/saver/saver_fixture.h"

namespace {

HWND FindAboutBox(const SaverProcess& saver) {
    return saver.WaitForTopLevel("#32770", "Wygaszacz Ekranu 3D", kStartTimeoutMs);
}

}  // namespace

TEST(ModeTable, FullScreenLettersRunTheSaverUntilAKey) {
    for (const char* tail : {"/s", "-S", "s", "S", "/save"}) {
        ParkCursor();
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(SaverExe(), tail)) << tail;
        HWND window = FindSaverWindow(saver);
        ASSERT_NE(window, nullptr) << tail;
        EXPECT_EQ(GetParent(window), nullptr) << tail;
        // A key pressed before the saver window is the foreground window goes elsewhere.
        ASSERT_TRUE(WaitUntilReadyForInput(saver, window)) << tail;
        EXPECT_NE(FindSquare(window), nullptr) << tail;
        PressKey(VK_SHIFT);
        EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u) << tail;
    }
}

TEST(ModeTable, PreviewWithAHandleRunsInsideThatWindow) {
    for (const char* form : {"/p %s", "/p%s", "/p\t%s", "/P 00%s"}) {
        PreviewParent parent;
        char tail[64];
        std::snprintf(tail, sizeof(tail), form, parent.Number().c_str());
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(SaverExe(), tail)) << tail;
        HWND child = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                child = PreviewChildOf(parent.window());
                return child != nullptr && IsWindowVisible(child);
            },
            kStartTimeoutMs))
            << tail;
        EXPECT_TRUE(saver.VisibleTopLevels().empty()) << tail;
        parent.Destroy();
        EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u) << tail;
    }
}

TEST(ModeTable, PreviewWithoutAUsableHandleEndsAtOnceWithNoWindow) {
    PreviewParent parent;  // exists, yet none of these tails names it
    std::string goneWindow;
    {
        PreviewParent gone;
        goneWindow = gone.Number();
    }
    for (const std::string& tail : {"/p:" + parent.Number(), "/preview " + parent.Number(), "/p " + goneWindow,
                                   std::string("/p -5"), std::string("/p 0"), std::string("/p"),
                                   std::string("/p 4294967295"), std::string("/p 99999999999")}) {
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(SaverExe(), tail)) << tail;
        EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u) << tail;
        EXPECT_EQ(PreviewChildOf(parent.window()), nullptr) << tail;
    }
}

TEST(ModeTable, NoActingLetterOrTheConfigureLetterOpensTheAboutBox) {
    for (const char* tail : {"", "/", "/x", "-h", "123", "/c:1234", "/config", "/C"}) {
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(SaverExe(), tail)) << '"' << tail << '"';
        HWND about = FindAboutBox(saver);
        ASSERT_NE(about, nullptr) << '"' << tail << '"';
        EXPECT_EQ(FindWindowA("WindowsScreenSaverClass", nullptr), nullptr);
        // The box closes on its default button.
        PostMessageA(about, WM_KEYDOWN, VK_RETURN, 0);
        PostMessageA(about, WM_KEYUP, VK_RETURN, 0);
        EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u) << '"' << tail << '"';
    }
}

TEST(ModeTable, ConfigureIgnoresTheNumberAndOwnsTheBoxByTheForegroundWindow) {
    PreviewParent owner;
    SetForegroundWindow(owner.window());
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == owner.window(); }, kStartTimeoutMs));
    SaverProcess saver;
    ASSERT_TRUE(saver.Start(SaverExe(), "/c:" + std::to_string(0x7FFF)));
    HWND about = FindAboutBox(saver);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(GetWindow(about, GW_OWNER), owner.window());
    PostMessageA(about, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
}

TEST(ModeTable, AnyByteStringSelectsAModeAndNeverCrashes) {
    // Bytes a command line can carry, high bytes and no terminating letter included;
    // tails that would open the about box or run the saver are ended from outside.
    const std::string tails[] = {
        std::string("\x01\x02\x7F\x80\xFF/:-0123456789", 16),
        std::string(4000, '9'),
        std::string("\xE9\xE8\xF1 -- :: //") + std::string(300, '\xB5'),
        "/p " + std::string(200, '7'),
        "/a" + std::string(5000, ' '),
    };
    for (const std::string& tail : tails) {
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(SaverExe(), tail));
        HWND about = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] { return (about = saver.WaitForTopLevel("#32770", nullptr, 0)) != nullptr || !saver.Running(); },
            kStartTimeoutMs))
            << tail.substr(0, 40);
        if (about != nullptr) PostMessageA(about, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u) << tail.substr(0, 40);
    }
}

namespace {

// Configure and preview under one version of each family, with the password switched on
// and the stand-in verifier beside the saver: on Windows 9x the verifier is loaded in
// every mode, yet neither mode asks it, nor does a preview mark the saver as running.
class PlatformFamilyModes : public VersionedSaverTest {
protected:
    PlatformFamilyModes() : VersionedSaverTest("vbxm") {}

    void SetUp() override {
        VersionedSaverTest::SetUp();
        if (IsSkipped()) return;
        ASSERT_TRUE(ReportsTheVersionAskedFor());
        SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, nullptr, 0);
    }

    // What became of the verifier in one run: loaded, and released by FreeLibrary or
    // only with the process, on Windows 9x; never loaded elsewhere.
    void ExpectVerifierLog(const char* release) const {
        std::vector<std::string> expected;
        if (GetParam().windows9x) expected = {"attach", release};
        EXPECT_EQ(ReadLines(log_), expected);
    }
};

}  // namespace

TEST_P(PlatformFamilyModes, ConfigureShowsTheAboutBoxAndPreviewRunsInItsParent) {
    {
        SCOPED_TRACE("/c");
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(copy_.exe(), "/c"));
        const HWND about = FindAboutBox(saver);
        ASSERT_NE(about, nullptr);
        PostMessageA(about, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
        ExpectVerifierLog("detach exit");
    }
    DeleteFileA(log_.c_str());
    {
        SCOPED_TRACE("/p");
        PreviewParent parent;
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(copy_.exe(), "/p " + parent.Number()));
        HWND child = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] { return (child = PreviewChildOf(parent.window())) != nullptr && IsWindowVisible(child); },
            kStartTimeoutMs));
        PostMessageA(child, WM_KEYDOWN, 'P', 0);
        PostMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        EXPECT_TRUE(RunsOn(saver)) << "input ends no preview";
        EXPECT_EQ(PlatformSaysSaverRuns(), 0u) << "a preview is no running screen saver";
        parent.Destroy();
        EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u);
        ExpectVerifierLog("detach free");
    }
}

INSTANTIATE_TEST_SUITE_P(OneOfEachFamily, PlatformFamilyModes, ::testing::Values(kWin95, kNt40), NameOf);
