// Full screen on scaled displays. Windows Vista and later give a process that does
// not declare how it handles the display scale virtual coordinates, and stretch its
// windows. A system-aware process is still given them on every monitor whose scale
// differs from the primary one's, so on a desk of mixed scales part of a monitor can
// stay uncovered or be drawn stretched. A per-monitor-aware process works in physical
// pixels everywhere. Each call is looked up by name: older Windows lack them and must
// still load the file.
#include <windows.h>

#include "shell/shell.h"

namespace {

// Values of the platform's headers for Windows 8.1 and 10, newer than those the saver
// is built against.
constexpr INT_PTR kPerMonitorAwareV2Context = -4;  // a DPI_AWARENESS_CONTEXT handle value
constexpr int kProcessPerMonitorDpiAware = 2;

typedef BOOL(WINAPI* SetAwarenessContextFn)(HANDLE context);
typedef LONG(WINAPI* SetAwarenessFn)(int awareness);  // answers an HRESULT
typedef BOOL(WINAPI* SetAwareFn)();

// Windows 10 1703 and later; earlier releases of Windows 10 answer FALSE for this context.
bool DeclarePerMonitorV2(HMODULE user32) {
    const auto setContext = LookUp<SetAwarenessContextFn>(user32, "SetProcessDpiAwarenessContext");
    return setContext != nullptr && setContext(reinterpret_cast<HANDLE>(kPerMonitorAwareV2Context)) != FALSE;
}

// Windows 8.1 and later.
bool DeclarePerMonitor() {
    HMODULE shcore = LoadSystemLibrary("SHCORE.DLL");
    if (shcore == nullptr) return false;
    const auto setAwareness = LookUp<SetAwarenessFn>(shcore, "SetProcessDpiAwareness");
    const bool declared = setAwareness != nullptr && setAwareness(kProcessPerMonitorDpiAware) >= 0;
    // The awareness belongs to the process, not to the library: it outlives the unload.
    FreeLibrary(shcore);
    return declared;
}

// Windows Vista to 8: system-aware, the best they offer.
void DeclareSystemAware(HMODULE user32) {
    const auto setAware = LookUp<SetAwareFn>(user32, "SetProcessDPIAware");
    if (setAware != nullptr) setAware();
}

}  // namespace

void DrawInPhysicalPixels() {
    HMODULE user32 = GetModuleHandleA("USER32.DLL");
    if (user32 == nullptr) return;
    if (DeclarePerMonitorV2(user32)) return;
    if (DeclarePerMonitor()) return;
    DeclareSystemAware(user32);
}
