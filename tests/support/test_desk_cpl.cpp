// A stand-in for the platform's DESK.CPL, whose InstallScreenSaver entry Explorer's
// Install verb on a .scr runs through rundll32. It logs the command line it is given
// (the saver's path) and does nothing else.
#include <windows.h>

#include <string>

#include "tests/support/helper_log.h"

// The log's path comes from the environment of whoever started rundll32.
constexpr char kDeskLogVariable[] = "VORBIX_TEST_DESK_LOG";

extern "C" __declspec(dllexport) void CALLBACK InstallScreenSaver(HWND, HINSTANCE, LPSTR commandLine, int) {
    AppendLogLine(kDeskLogVariable, ("InstallScreenSaver " + std::string(commandLine ? commandLine : "")).c_str());
}
