// A stand-in for the display settings' preview monitor: a 152 x 112 window in
// which the saver runs as a preview, started as the platform starts it.
// Usage: preview_host SAVER.scr [seconds]   (0 seconds: until the window is closed)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/run_helpers/preview_monitor.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: preview_host SAVER.scr [seconds]\n");
        return 2;
    }
    const DWORD seconds = argc > 2 ? static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)) : 0;

    HWND monitor = CreatePreviewMonitor(40, 40, kPreviewMonitorWidth, kPreviewMonitorHeight, true);
    PROCESS_INFORMATION saver = {};
    if (monitor == nullptr || !StartAsThePlatformDoes(argv[1], "/p " + WindowNumber(monitor), &saver)) {
        std::fprintf(stderr, "cannot start %s in a preview window\n", argv[1]);
        return 1;
    }
    std::printf("preview window %s, saver process %lu\n", WindowNumber(monitor).c_str(), saver.dwProcessId);
    std::fflush(stdout);

    const DWORD start = GetTickCount();
    // Until the time is up, the user closes the monitor or the saver ends.
    while (IsWindow(monitor)) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (seconds != 0 && GetTickCount() - start >= seconds * 1000) break;
        if (MsgWaitForMultipleObjects(1, &saver.hProcess, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0) break;
    }
    // Closing the monitor ends the preview, as the platform's dialog does.
    if (IsWindow(monitor)) DestroyWindow(monitor);
    DWORD exitCode = 1;
    WaitForSingleObject(saver.hProcess, 10000);
    GetExitCodeProcess(saver.hProcess, &exitCode);
    std::printf("saver exit code %lu\n", exitCode);
    return static_cast<int>(exitCode);
}
