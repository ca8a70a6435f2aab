#include <gtest/gtest.h>

#include "shell/system_path.h"

TEST(JoinSystemPath, OneSeparatorAndNothingThatDoesNotFit) {
    char out[18];
    ASSERT_TRUE(JoinSystemPath("C:\\W", "PASSWORD.CPL", out, sizeof(out)));  // 17 characters and the NUL
    EXPECT_STREQ(out, "C:\\W\\PASSWORD.CPL");
    // A system folder at a drive's root already ends in the separator.
    ASSERT_TRUE(JoinSystemPath("C:\\", "MPR.DLL", out, sizeof(out)));
    EXPECT_STREQ(out, "C:\\MPR.DLL");
    // Nothing half-written is left to load, and a bare name, searched for everywhere, is no path.
    EXPECT_FALSE(JoinSystemPath("C:\\W", "PASSWORD.CPL", out, sizeof(out) - 1));
    EXPECT_STREQ(out, "");
    EXPECT_FALSE(JoinSystemPath("", "MPR.DLL", out, sizeof(out)));
}
