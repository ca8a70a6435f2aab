// Command-line handling of the screen saver: which role the platform asks for.
// Free of <windows.h> so that it can be built and fuzzed natively.
#pragma once

#include <cstdint>

enum class SaverMode { FullScreen, Preview, Configure, ChangePassword };

struct ModeChoice {
    SaverMode mode;
    // Window handle number after the preview or password letter; 0 when absent.
    std::uint32_t handleNumber;
};

// The command tail of a full process command line: leading blanks, the program
// name (quoted or not) and the blanks after it removed. Points into commandLine.
const char* CommandTail(const char* commandLine);

// Decimal handle number at text: leading spaces and tabs skipped, digits read
// in wrapping unsigned 32-bit arithmetic; no digits gives 0.
std::uint32_t ParseHandleNumber(const char* text);

// The first of the letters a, c, p, s (either case) picks the mode; none picks
// Configure. The handle number is parsed only for the preview and password letters.
ModeChoice ScanCommandTail(const char* tail);
