#include "tests/support/saver_process.h"

#include "tests/support/where_tests_run.h"
#include "tools/run_helpers/preview_monitor.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

std::string BinDir() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, length);
    return dir.substr(0, dir.find_last_of("\\/"));
}

ScratchDir::ScratchDir() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    char unique[32];
    std::snprintf(unique, sizeof(unique), "vorbix-%lu-%lu", GetCurrentProcessId(), GetTickCount());
    path_ = std::string(base) + unique;
    CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchDir::~ScratchDir() {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                DeleteFileA((path_ + "\\" + found.cFileName).c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path_.c_str());
}

std::string ScratchDir::CopyFromBin(const std::string& binName, const std::string& newName) const {
    std::string target = path_ + "\\" + newName;
    CopyFileA((BinDir() + "\\" + binName).c_str(), target.c_str(), FALSE);
    return target;
}

void ExpectSkippedAfterRefusal(const char* what) {
    if (!::testing::Test::IsSkipped()) {
        ADD_FAILURE() << "on Windows itself this test would have changed " << what
                      << "; it must skip before it gets there (SKIP_ON_WINDOWS_ITSELF)";
    }
}

std::string SystemFolder() {
    char folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder, length < MAX_PATH ? length : 0);
}

SystemFolderFile::SystemFolderFile(const std::string& binName, const std::string& name)
    : path_(SystemFolder() + "\\" + name), aside_(path_ + ".vorbix-aside"), refused_(OnWindowsItself()) {
    if (refused_) return;
    // A file set aside by a run that died is the platform's own: it goes back first.
    if (GetFileAttributesA(aside_.c_str()) != INVALID_FILE_ATTRIBUTES) {
        MoveFileExA(aside_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    MoveFileA(path_.c_str(), aside_.c_str());
    CopyFileA((BinDir() + "\\" + binName).c_str(), path_.c_str(), FALSE);
}

SystemFolderFile::~SystemFolderFile() {
    if (refused_) {
        ExpectSkippedAfterRefusal("the system folder");
        return;
    }
    Remove();
    MoveFileA(aside_.c_str(), path_.c_str());
}

void SystemFolderFile::Remove() const {
    if (!refused_) DeleteFileA(path_.c_str());
}

SaverProcess::~SaverProcess() {
    if (info_.hProcess == nullptr) return;
    if (Running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool SaverProcess::Start(const std::string& exePath, const std::string& tail) {
    return StartAsThePlatformDoes(exePath, tail, &info_);
}

DWORD SaverProcess::WaitForExit(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) break;
        const DWORD result = MsgWaitForMultipleObjects(1, &info_.hProcess, FALSE,
                                                       timeoutMs - elapsed, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0) break;
        PumpFor(0);
    }
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0) GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

bool SaverProcess::WaitUntilIdle(DWORD timeoutMs) const {
    // The platform marks a process idle while its main thread waits for messages. A message
    // that arrives just after the thread last looked at its queue, and before it started
    // waiting, lets the wait begin and end at once; a waiter can catch that moment with the
    // message still unread. The thread reads it before it waits again, so the second idle
    // moment comes after it.
    for (int look = 0; look < 2; ++look) {
        if (WaitForInputIdle(info_.hProcess, timeoutMs) != 0) return false;
    }
    return true;
}

bool SaverProcess::Running() const {
    return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

namespace {

struct WindowSearch {
    DWORD processId;
    const char* className;
    const char* title;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId) return TRUE;
    if (search->visibleOnly && !IsWindowVisible(window)) return TRUE;
    if (search->className != nullptr && ClassNameOf(window) != search->className) return TRUE;
    if (search->title != nullptr && TextOf(window) != search->title) return TRUE;
    search->found.push_back(window);
    return TRUE;
}

}  // namespace

HWND SaverProcess::WaitForTopLevel(const char* className, const char* title, DWORD timeoutMs) const {
    HWND result = nullptr;
    WaitUntil(
        [&] {
            WindowSearch search{info_.dwProcessId, className, title, false, {}};
            EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
            if (!search.found.empty()) result = search.found.front();
            return result != nullptr;
        },
        timeoutMs);
    return result;
}

std::vector<HWND> SaverProcess::VisibleTopLevels() const {
    WindowSearch search{info_.dwProcessId, nullptr, nullptr, true, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (ms > 0) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

void PressKey(WORD virtualKey) {
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = virtualKey;
    inputs[1] = inputs[0];
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

void ClickLeft() {
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].type = INPUT_MOUSE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

void MoveCursorBy(int dx, int dy, const std::function<void()>& meanwhile) {
    // A move through the input queue, as a mouse makes it. SetCursorPos from
    // another process is no mouse movement where the saver clips the cursor:
    // 64-bit Wine (with XInput) drops the warp that comes back as a stale event.
    POINT now;
    GetCursorPos(&now);
    // Absolute coordinates, in 1/65536 of the desktop of every monitor, are not subject
    // to pointer acceleration; rounded up, the platform's scaling lands on the pixel itself.
    const LONGLONG left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const LONGLONG top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const LONGLONG width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const LONGLONG height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((((now.x + dx - left) << 16) + width - 1) / width);
    input.mi.dy = static_cast<LONG>((((now.y + dy - top) << 16) + height - 1) / height);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    SendInput(1, &input, sizeof(INPUT));
    if (meanwhile) meanwhile();
    // Wine passes the new position on to the X server, and a saver that reads the
    // pointer before it gets there sees it unmoved. The same move once more, after
    // a pause, puts the cursor nowhere else and lets the saver look again.
    PumpFor(150);
    SendInput(1, &input, sizeof(INPUT));
}

std::string ClassNameOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

RECT ScreenRectOf(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

RECT ClientRectOf(HWND window) {
    RECT rect = {};
    GetClientRect(window, &rect);
    return rect;
}

POINT PositionInParent(HWND child) {
    RECT rect = ScreenRectOf(child);
    POINT corner = {rect.left, rect.top};
    ScreenToClient(GetParent(child), &corner);
    return corner;
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) lines.push_back(line);
    return lines;
}
