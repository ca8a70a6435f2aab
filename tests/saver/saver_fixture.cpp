#include "tests/saver/saver_fixture.h"

#include "tests/support/where_tests_run.h"

PreviewParent::PreviewParent(int clientWidth, int clientHeight, ParentFrame frameKind)
    : window_(CreatePreviewMonitor(500, 40, clientWidth, clientHeight, frameKind == ParentFrame::Captioned)) {
    // What its creation queued for this thread; it is a window the saver can use already.
    PumpFor(0);
}

PreviewParent::~PreviewParent() { Destroy(); }

void PreviewParent::Destroy() {
    if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
    window_ = nullptr;
}

ScopedRegistryValue::ScopedRegistryValue(HKEY root, const std::string& key, const std::string& name,
                                         DWORD value)
    : root_(root), key_(key), name_(name), refused_(OnWindowsItself()) {
    if (refused_) return;
    Remember();
    HKEY handle;
    RegCreateKeyA(root_, key_.c_str(), &handle);
    RegSetValueExA(handle, name_.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(handle);
}

ScopedRegistryValue::ScopedRegistryValue(HKEY root, const std::string& key, const std::string& name,
                                         const std::string& value)
    : root_(root), key_(key), name_(name), refused_(OnWindowsItself()) {
    if (refused_) return;
    Remember();
    HKEY handle;
    RegCreateKeyA(root_, key_.c_str(), &handle);
    RegSetValueExA(handle, name_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(handle);
}

void ScopedRegistryValue::Remember() {
    HKEY handle;
    if (RegOpenKeyA(root_, key_.c_str(), &handle) != ERROR_SUCCESS) return;
    char data[1024];
    DWORD size = sizeof(data);
    if (RegQueryValueExA(handle, name_.c_str(), nullptr, &oldType_, reinterpret_cast<BYTE*>(data), &size) ==
        ERROR_SUCCESS) {
        hadValue_ = true;
        oldData_.assign(data, size);
    }
    RegCloseKey(handle);
}

ScopedRegistryValue::~ScopedRegistryValue() {
    if (refused_) {
        ExpectSkippedAfterRefusal("the registry");
        return;
    }
    HKEY handle;
    if (RegOpenKeyA(root_, key_.c_str(), &handle) != ERROR_SUCCESS) return;
    if (hadValue_) {
        RegSetValueExA(handle, name_.c_str(), 0, oldType_, reinterpret_cast<const BYTE*>(oldData_.data()),
                       static_cast<DWORD>(oldData_.size()));
    } else {
        RegDeleteValueA(handle, name_.c_str());
    }
    RegCloseKey(handle);
}

::testing::AssertionResult WaitUntilReadyForInput(const SaverProcess& saver, HWND window) {
    if (!WaitUntil([&] { return GetForegroundWindow() == window || !saver.Running(); }, kStartTimeoutMs)) {
        return ::testing::AssertionFailure() << "the saver window never became the foreground window (it is a \""
                                             << ClassNameOf(GetForegroundWindow()) << "\")";
    }
    if (!saver.Running()) return ::testing::AssertionFailure() << "the saver ended while starting";
    if (!saver.WaitUntilIdle(kStartTimeoutMs)) {
        return ::testing::AssertionFailure() << "the saver never went idle after its start";
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult StartFullScreen(SaverProcess& saver, const std::string& exePath, HWND* window) {
    *window = nullptr;
    if (!saver.Start(exePath, "/s")) return ::testing::AssertionFailure() << "cannot start " << exePath;
    *window = FindSaverWindow(saver);
    if (*window == nullptr) return ::testing::AssertionFailure() << "no saver window appeared";
    return WaitUntilReadyForInput(saver, *window);
}

::testing::AssertionResult RunsOn(SaverProcess& saver) {
    if (!saver.WaitUntilIdle(kExitTimeoutMs)) {
        return ::testing::AssertionFailure() << "the saver never went idle";
    }
    const DWORD code = saver.WaitForExit(kQuietMs);
    if (code != STILL_ACTIVE) return ::testing::AssertionFailure() << "the saver ended with exit code " << code;
    return ::testing::AssertionSuccess();
}

void ParkCursor() { ParkCursorAt(GetSystemMetrics(SM_CXSCREEN) * 7 / 8, GetSystemMetrics(SM_CYSCREEN) * 5 / 6); }

void ParkCursorAt(int x, int y) {
    POINT now;
    if (GetCursorPos(&now) && now.x == x && now.y == y) return;
    SetCursorPos(x, y);
    // Wine passes a warp of the cursor on through the X server, later, as motion over the
    // windows under it; this thread takes its share now rather than while a saver watches.
    PumpFor(100);
}
