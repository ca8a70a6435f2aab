// A stand-in for the display settings' preview monitor: a 152 x 112 window in
// which the saver runs as a preview, started as the platform starts it.
// Usage: preview_host SAVER.scr [seconds]   (0 seconds: until the window is closed)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kMonitorWidth = 152;
constexpr int kMonitorHeight = 112;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: preview_host SAVER.scr [seconds]\n");
        return 2;
    }
    const DWORD seconds = argc > 2 ? static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)) : 0;

    WNDCLASSA hostClass = {};
    hostClass.lpfnWndProc = HostProc;
    hostClass.hInstance = GetModuleHandleA(nullptr);
    hostClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
    hostClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    hostClass.lpszClassName = "PreviewMonitor";
    RegisterClassA(&hostClass);
    RECT frame = {0, 0, kMonitorWidth, kMonitorHeight};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | WS_VISIBLE;
    AdjustWindowRect(&frame, style, FALSE);
    HWND monitor = CreateWindowExA(0, "PreviewMonitor", "Preview", style, 40, 40, frame.right - frame.left,
                                   frame.bottom - frame.top, nullptr, nullptr, hostClass.hInstance, nullptr);

    std::string commandLine = std::string("\"") + argv[1] + "\" /p " +
                              std::to_string(reinterpret_cast<UINT_PTR>(monitor));
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION saver = {};
    if (!CreateProcessA(argv[1], &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &saver)) {
        std::fprintf(stderr, "cannot start %s\n", argv[1]);
        return 1;
    }
    std::printf("preview window %lu, saver process %lu\n",
                static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(monitor)), saver.dwProcessId);
    std::fflush(stdout);

    const DWORD start = GetTickCount();
    MSG msg;
    for (;;) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) goto done;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (seconds != 0 && GetTickCount() - start >= seconds * 1000) break;
        if (MsgWaitForMultipleObjects(1, &saver.hProcess, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0) break;
    }
done:
    // Closing the monitor ends the preview, as the platform's dialog does.
    if (IsWindow(monitor)) DestroyWindow(monitor);
    DWORD exitCode = 1;
    WaitForSingleObject(saver.hProcess, 10000);
    GetExitCodeProcess(saver.hProcess, &exitCode);
    std::printf("saver exit code %lu\n", exitCode);
    return static_cast<int>(exitCode);
}
