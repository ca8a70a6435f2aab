#include <gtest/gtest.h>

#include <string>

#include "shell/system_path.h"

TEST(JoinSystemPath, OneSeparatorAndNothingThatDoesNotFit) {
    char out[32];
    ASSERT_TRUE(JoinSystemPath("C:\\WINDOWS\\SYSTEM", "MPR.DLL", out, sizeof(out)));
    EXPECT_STREQ(out, "C:\\WINDOWS\\SYSTEM\\MPR.DLL");
    // A system folder at a drive's root already ends in the separator.
    ASSERT_TRUE(JoinSystemPath("C:\\", "MPR.DLL", out, sizeof(out)));
    EXPECT_STREQ(out, "C:\\MPR.DLL");

    // "C:\W\PASSWORD.CPL" is 17 characters: it needs 18 bytes with the NUL.
    ASSERT_TRUE(JoinSystemPath("C:\\W", "PASSWORD.CPL", out, 18));
    EXPECT_STREQ(out, "C:\\W\\PASSWORD.CPL");
    std::string guard(20, 'x');
    EXPECT_FALSE(JoinSystemPath("C:\\W", "PASSWORD.CPL", &guard[0], 17));
    // Nothing half-written is left to load, and nothing past the buffer is touched.
    EXPECT_EQ(guard[0], '\0');
    EXPECT_EQ(guard.substr(17), "xxx");

    // No folder is no path: a bare name would be searched for everywhere.
    EXPECT_FALSE(JoinSystemPath("", "MPR.DLL", out, sizeof(out)));
    EXPECT_STREQ(out, "");
    EXPECT_FALSE(JoinSystemPath("C:\\WINDOWS", "MPR.DLL", out, 0));
}
