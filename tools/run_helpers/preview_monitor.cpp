#include "tools/run_helpers/preview_monitor.h"

namespace {

constexpr char kMonitorClassName[] = "PreviewMonitor";

}  // namespace

HWND CreatePreviewMonitor(int x, int y, int clientWidth, int clientHeight, bool captioned) {
    WNDCLASSA monitorClass = {};
    monitorClass.lpfnWndProc = DefWindowProcA;
    monitorClass.hInstance = GetModuleHandleA(nullptr);
    monitorClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    monitorClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    monitorClass.lpszClassName = kMonitorClassName;
    RegisterClassA(&monitorClass);  // fails harmlessly once registered

    const DWORD frameStyle = captioned ? WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU : WS_POPUP;
    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&frame, frameStyle, FALSE);
    return CreateWindowExA(0, kMonitorClassName, "Preview", frameStyle | WS_CLIPCHILDREN | WS_VISIBLE, x, y,
                           frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                           monitorClass.hInstance, nullptr);
}

std::string WindowNumber(HWND window) { return std::to_string(reinterpret_cast<UINT_PTR>(window)); }

bool StartAsThePlatformDoes(const std::string& exePath, const std::string& tail, PROCESS_INFORMATION* started) {
    std::string commandLine = "\"" + exePath + "\"";
    if (!tail.empty()) commandLine += " " + tail;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    const std::string::size_type slash = exePath.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string(".") : exePath.substr(0, slash);
    return CreateProcessA(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &startup, started) != 0;
}
