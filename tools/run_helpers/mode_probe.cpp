// Prints the role a command line asks the saver for, decided by the saver's own
// start-up and scan, so that tools/run never keeps a second copy of the rule.
// Started with the arguments meant for the saver; prints one line:
//   fullscreen|preview|configure|password HANDLE
// HANDLE is the window handle number after the preview or password letter (0: none).
#include <windows.h>

#include <cstdio>

#include "shell/mode_select.h"

namespace {

const char* ModeName(SaverMode mode) {
    switch (mode) {
        case SaverMode::FullScreen: return "fullscreen";
        case SaverMode::Preview: return "preview";
        case SaverMode::Configure: return "configure";
        case SaverMode::ChangePassword: return "password";
    }
    return "configure";
}

}  // namespace

int main() {
    const ModeChoice choice = ScanCommandTail(CommandTail(GetCommandLineA()));
    std::printf("%s %lu\n", ModeName(choice.mode), static_cast<unsigned long>(choice.handleNumber));
    return 0;
}
