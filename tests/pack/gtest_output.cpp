#include "tests/pack/gtest_output.h"

#include <cstdio>
#include <sstream>

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The marker line GoogleTest prints for a case: "[  FAILED  ] Suite.Case (12 ms)".
bool IsMarker(const std::string& line, const char* marker, const std::string& name) {
    const std::string head = std::string(marker) + " " + name;
    return line.compare(0, head.size(), head) == 0 && (line.size() == head.size() || line[head.size()] == ' ');
}

// The message lines after the first "file:line: Failure" or "file:line: Skipped", up to
// a blank line or the next such heading, as one line.
std::string MessageAfter(const std::vector<std::string>& lines, size_t from, size_t to, const char* heading) {
    for (size_t i = from; i < to; ++i) {
        if (!EndsWith(lines[i], heading)) continue;
        std::string message;
        for (size_t j = i + 1; j < to && !Trimmed(lines[j]).empty(); ++j) {
            if (lines[j].compare(0, 1, "[") == 0 || EndsWith(lines[j], heading)) break;
            message += (message.empty() ? "" : " ") + Trimmed(lines[j]);
        }
        return message;
    }
    return "";
}

std::string ExitCodeText(unsigned long code) {
    char text[32];
    std::snprintf(text, sizeof(text), code > 255 ? "0x%08lX" : "%lu", code);
    return text;
}

}  // namespace

std::vector<std::string> ParseCaseList(const std::string& listing) {
    std::vector<std::string> names;
    std::string suite;
    for (const std::string& raw : Lines(listing)) {
        // A parameterised case ends in a comment naming its parameter.
        const std::string line = Trimmed(raw.substr(0, raw.find("  #")));
        if (line.empty()) continue;
        if (raw[0] != ' ') {
            suite = EndsWith(line, ".") ? line : "";
        } else if (!suite.empty()) {
            names.push_back(suite + line);
        }
    }
    return names;
}

CaseResult ReadCaseResult(const std::string& name, const std::string& output, unsigned long exitCode) {
    const std::vector<std::string> lines = Lines(output);
    size_t run = lines.size();
    for (size_t i = 0; i < lines.size() && run == lines.size(); ++i) {
        if (IsMarker(lines[i], "[ RUN      ]", name)) run = i;
    }
    if (run == lines.size()) {
        return {CaseOutcome::Failed, "the case never started (exit code " + ExitCodeText(exitCode) + ")"};
    }
    for (size_t i = run + 1; i < lines.size(); ++i) {
        if (IsMarker(lines[i], "[       OK ]", name)) {
            if (exitCode == 0) return {CaseOutcome::Passed, ""};
            return {CaseOutcome::Failed, "it passed, then the program ended with exit code " + ExitCodeText(exitCode)};
        }
        if (IsMarker(lines[i], "[  SKIPPED ]", name)) {
            if (exitCode != 0) {
                return {CaseOutcome::Failed, "it skipped, then the program ended with exit code " + ExitCodeText(exitCode)};
            }
            const std::string why = MessageAfter(lines, run + 1, i, ": Skipped");
            return {CaseOutcome::Skipped, why.empty() ? "(the test gave no reason)" : why};
        }
        if (IsMarker(lines[i], "[  FAILED  ]", name)) {
            const std::string what = MessageAfter(lines, run + 1, i, ": Failure");
            return {CaseOutcome::Failed, what.empty() ? "failed" : what};
        }
    }
    return {CaseOutcome::Failed, "it ended without a result, exit code " + ExitCodeText(exitCode) + " (a crash?)"};
}
