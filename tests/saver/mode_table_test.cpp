// The command tails the platform may hand the saver, each started as the
// platform starts it, and the role the saver then plays.
#include <gtest/gtest.h>

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
        EXPECT_TRUE(WaitUntil([&] { return FindSquare(window) != nullptr; }, kStartTimeoutMs)) << tail;
        PumpFor(200);
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
                child = FindWindowExA(parent.window(), nullptr, "WindowsScreenSaverClass", "SCREENSAVER");
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
    for (const std::string tail : {"/p:" + parent.Number(), "/preview " + parent.Number(), "/p " + goneWindow,
                                   std::string("/p -5"), std::string("/p 0"), std::string("/p"),
                                   std::string("/p 4294967295"), std::string("/p 99999999999")}) {
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(SaverExe(), tail)) << tail;
        EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u) << tail;
        EXPECT_EQ(FindWindowExA(parent.window(), nullptr, "WindowsScreenSaverClass", nullptr), nullptr)
            << tail;
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
    PumpFor(100);
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
        if (HWND about = saver.WaitForTopLevel("#32770", nullptr, 1500)) {
            PostMessageA(about, WM_COMMAND, IDOK, 0);
        }
        EXPECT_EQ(saver.WaitForExit(kExitTimeoutMs), 0u) << tail.substr(0, 40);
    }
}
