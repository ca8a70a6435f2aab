#include <gtest/gtest.h>

#include <string>

#include "shell/mode_select.h"

namespace {

ModeChoice Scan(const std::string& tail) { return ScanCommandTail(tail.c_str()); }

}  // namespace

TEST(ScanCommandTail, TheModeTable) {
    struct Case {
        const char* tail;
        SaverMode mode;
        std::uint32_t handle;
    };
    const Case cases[] = {
        {"/s", SaverMode::FullScreen, 0},       {"-S", SaverMode::FullScreen, 0},
        {"s", SaverMode::FullScreen, 0},        {"S", SaverMode::FullScreen, 0},
        {"/save", SaverMode::FullScreen, 0},    {"/p 1234", SaverMode::Preview, 1234},
        {"/p1234", SaverMode::Preview, 1234},   {"/p\t1234", SaverMode::Preview, 1234},
        {"/p 00123", SaverMode::Preview, 123},  {"/p:1234", SaverMode::Preview, 0},
        {"/preview 1234", SaverMode::Preview, 0}, {"/p -5", SaverMode::Preview, 0},
        {"/P  \t 77x", SaverMode::Preview, 77}, {"", SaverMode::Configure, 0},
        {"/", SaverMode::Configure, 0},         {"/x", SaverMode::Configure, 0},
        {"-h", SaverMode::Configure, 0},        {"123", SaverMode::Configure, 0},
        {"/c:1234", SaverMode::Configure, 0},   {"/config", SaverMode::Configure, 0},
        {"/a 99", SaverMode::ChangePassword, 99}, {"/abc", SaverMode::ChangePassword, 0},
        {"/A\t5", SaverMode::ChangePassword, 5},
    };
    for (const Case& c : cases) {
        const ModeChoice choice = Scan(c.tail);
        EXPECT_EQ(choice.mode, c.mode) << '"' << c.tail << '"';
        EXPECT_EQ(choice.handleNumber, c.handle) << '"' << c.tail << '"';
    }
}

TEST(ScanCommandTail, SkipsEveryOtherByteIncludingHighAndControlBytes) {
    std::string noise;
    for (int b = 1; b < 256; ++b) {
        const char c = static_cast<char>(b);
        if (std::string("aAcCpPsS").find(c) == std::string::npos) noise.push_back(c);
    }
    EXPECT_EQ(Scan(noise).mode, SaverMode::Configure);
    EXPECT_EQ(Scan(noise + "s").mode, SaverMode::FullScreen);
    EXPECT_EQ(Scan("\xE1\xF3 p 42").handleNumber, 42u);  // high bytes are no letters
}

TEST(ParseHandleNumber, WrapsModulo2To32AndSkipsOnlyBlanks) {
    EXPECT_EQ(ParseHandleNumber("4294967295"), 4294967295u);
    EXPECT_EQ(ParseHandleNumber("4294967296"), 0u);
    EXPECT_EQ(ParseHandleNumber("4294967297x"), 1u);
    EXPECT_EQ(ParseHandleNumber("99999999999999999999"), 1661992959u);
    EXPECT_EQ(ParseHandleNumber(" \t 12"), 12u);
    EXPECT_EQ(ParseHandleNumber("\n12"), 0u);
    EXPECT_EQ(ParseHandleNumber("+12"), 0u);
    EXPECT_EQ(ParseHandleNumber("0x1F"), 0u);
    EXPECT_EQ(ParseHandleNumber(""), 0u);
}

TEST(CommandTail, StripsTheProgramNameLikeThePlatformStartUp) {
    EXPECT_STREQ(CommandTail("vorbix.scr /s"), "/s");
    EXPECT_STREQ(CommandTail("  \tvorbix.scr\t /p 12"), "/p 12");
    EXPECT_STREQ(CommandTail("\"C:\\Program Files\\vorbix.scr\" /c"), "/c");
    EXPECT_STREQ(CommandTail("\"C:\\a b\\v.scr\"/s"), "/s");
    EXPECT_STREQ(CommandTail("\"unterminated /s"), "");
    EXPECT_STREQ(CommandTail("vorbix.scr"), "");
    EXPECT_STREQ(CommandTail(""), "");
    EXPECT_STREQ(CommandTail("v.scr \n/s"), "\n/s");  // only spaces and tabs are blanks
}
