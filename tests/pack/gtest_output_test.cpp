// How run-tests.exe reads what a test program printed: the output below is
// GoogleTest's own, as the test programs print it under Wine (CRLF line ends).
#include "tests/pack/gtest_output.h"

#include <gtest/gtest.h>

TEST(ParseCaseList, PlainAndParameterisedCasesWithTheirSuites) {
    const std::string listing =
        "Running main() from gtest_main.cc\r\n"
        "FullScreen.\r\n  KeyPressEndsWithExitCodeZero\r\n  ClickEndsWithExitCodeZero\r\n"
        "BothFamilies/PlatformVersionSaver.\r\n"
        "  KeyAsks/0  # GetParam() = win95\r\n  KeyAsks/1  # GetParam() = nt40\r\n";
    EXPECT_EQ(ParseCaseList(listing),
              (std::vector<std::string>{"FullScreen.KeyPressEndsWithExitCodeZero", "FullScreen.ClickEndsWithExitCodeZero",
                                        "BothFamilies/PlatformVersionSaver.KeyAsks/0",
                                        "BothFamilies/PlatformVersionSaver.KeyAsks/1"}));
}

TEST(ReadCaseResult, EachOutcomeWithItsReasonAndTheExitCodeHasTheLastWord) {
    const std::string skipped =
        "[ RUN      ] Win98Saver.Refusal\r\n"
        "./tests/saver/win98_saver.h:33: Skipped\r\n"
        "on Windows itself: needs Windows 9x\r\n(a Wine setting)\r\n\r\n"
        "[  SKIPPED ] Win98Saver.Refusal (0 ms)\r\n";
    CaseResult result = ReadCaseResult("Win98Saver.Refusal", skipped, 0);
    EXPECT_EQ(result.outcome, CaseOutcome::Skipped);
    EXPECT_EQ(result.reason, "on Windows itself: needs Windows 9x (a Wine setting)");

    const std::string bare = "[ RUN      ] A.B\n./a.cpp:1: Skipped\n\n[  SKIPPED ] A.B (0 ms)\n";
    EXPECT_EQ(ReadCaseResult("A.B", bare, 0).reason, "(the test gave no reason)");

    const std::string failed =
        "[ RUN      ] FullScreen.Key\n./full_screen_test.cpp:40: Failure\n"
        "Expected equality of these values:\n  saver.WaitForExit(kExitTimeoutMs)\n\n"
        "[  FAILED  ] FullScreen.Key (10012 ms)\n";
    result = ReadCaseResult("FullScreen.Key", failed, 1);
    EXPECT_EQ(result.outcome, CaseOutcome::Failed);
    EXPECT_EQ(result.reason, "Expected equality of these values: saver.WaitForExit(kExitTimeoutMs)");

    const std::string passed = "[ RUN      ] A.B\n[       OK ] A.B (5 ms)\n";
    EXPECT_EQ(ReadCaseResult("A.B", passed, 0).outcome, CaseOutcome::Passed);
    // A crash in a static destructor comes after GoogleTest's verdict.
    result = ReadCaseResult("A.B", passed, 0xC0000005);
    EXPECT_EQ(result.outcome, CaseOutcome::Failed);
    EXPECT_EQ(result.reason, "it passed, then the program ended with exit code 0xC0000005");
    EXPECT_EQ(ReadCaseResult("A.B", "[ RUN      ] A.B\n", 3).outcome, CaseOutcome::Failed);
    // Another case's verdict, or one whose name only begins the same, is not this one's.
    EXPECT_EQ(ReadCaseResult("A.B", "[ RUN      ] A.B\n[       OK ] A.BC (1 ms)\n", 0).outcome, CaseOutcome::Failed);
    EXPECT_EQ(ReadCaseResult("A.B", "[ RUN      ] A.BC\n[       OK ] A.BC (1 ms)\n", 0).reason,
              "the case never started (exit code 0)");
}

TEST(MatchesFilter, PatternsAlternativesAndExclusions) {
    EXPECT_TRUE(MatchesFilter("FullScreen.Key", ""));
    EXPECT_TRUE(MatchesFilter("FullScreen.Key", "FullScreen.*"));
    EXPECT_FALSE(MatchesFilter("Preview.Key", "FullScreen.*"));
    EXPECT_TRUE(MatchesFilter("Preview.Key", "FullScreen.*:Pre?iew.*"));
    EXPECT_FALSE(MatchesFilter("FullScreen.Key", "*-FullScreen.K*"));
    EXPECT_TRUE(MatchesFilter("FullScreen.Click", "-*.Key"));
    EXPECT_TRUE(MatchesFilter("Fam/Suite.Case/3", "*/Suite.*"));
}
