// What the test programs print, read without the platform: the case list of
// --gtest_list_tests, and the outcome of one case from its output and exit code.
#pragma once

#include <string>
#include <vector>

// "Suite.Case" names, in the order listed; parameterised ones as "Prefix/Suite.Case/0".
std::vector<std::string> ParseCaseList(const std::string& listing);

enum class CaseOutcome { Passed, Failed, Skipped };

struct CaseResult {
    CaseOutcome outcome;
    // Why it was skipped or failed, on one line; empty for a pass.
    std::string reason;
};

// The outcome of the one case `name` that a program ran, from everything it printed
// and its exit code. A skip without a reason gets one that says so.
CaseResult ReadCaseResult(const std::string& name, const std::string& output, unsigned long exitCode);
