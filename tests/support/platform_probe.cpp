// Reports, as its exit code, what the platform tells a program started beside the
// saver, so that the tests can see what Wine makes of its settings:
//   platform_probe version        platform id * 10000 + major * 100 + minor (GetVersionExA)
//   platform_probe saver-running  1 while the platform counts a screen saver as running, else 0
// Any other use, or a call that fails, exits with kProbeFailed.
#include <windows.h>

#include <cstring>

#include "tests/support/saver_process.h"

int main(int argc, char** argv) {
    if (argc != 2) return static_cast<int>(kProbeFailed);
    if (std::strcmp(argv[1], "version") == 0) {
        OSVERSIONINFOA version = {};
        version.dwOSVersionInfoSize = sizeof(version);
        if (!GetVersionExA(&version)) return static_cast<int>(kProbeFailed);
        return static_cast<int>(version.dwPlatformId * 10000 + version.dwMajorVersion * 100 +
                                version.dwMinorVersion);
    }
    if (std::strcmp(argv[1], "saver-running") == 0) {
        // Asked in a fresh process each time: under Wine a process reads the state once
        // and keeps what it read.
        BOOL running = FALSE;
        if (!SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0)) {
            return static_cast<int>(kProbeFailed);
        }
        return running ? 1 : 0;
    }
    return static_cast<int>(kProbeFailed);
}
