// Process start-up: hands WinMain the command tail and show command the way the
// platform's own start-up code does, from the raw command line.
#include <windows.h>

#include "shell/mode_select.h"
#include "shell/shell.h"

int main() {
    const char* tail = CommandTail(GetCommandLineA());

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    GetStartupInfoA(&startup);
    const int showCommand =
        (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;

    return WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(tail), showCommand);
}
