// Several monitors, display changes and scaled displays, in-process: the platform's
// answers are replaced through this executable's import table, since neither a
// monitor left of the primary one, nor a monitor coming and going, nor a scaled
// display can be had under Wine here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "saver/bounce.h"
#include "saver/saver_proc.h"
#include "shell/shell.h"
#include "tests/shell/import_slot.h"

namespace {

constexpr char kSaverClass[] = "WindowsScreenSaverClass";

// What GetSystemMetrics answers for the screen; everything else is the platform's.
struct Layout {
    int virtualX, virtualY, virtualWidth, virtualHeight;
    int primaryWidth, primaryHeight;
};
Layout g_layout;
void* g_realGetSystemMetrics;

int WINAPI LayoutSystemMetrics(int index) {
    switch (index) {
        case SM_XVIRTUALSCREEN: return g_layout.virtualX;
        case SM_YVIRTUALSCREEN: return g_layout.virtualY;
        case SM_CXVIRTUALSCREEN: return g_layout.virtualWidth;
        case SM_CYVIRTUALSCREEN: return g_layout.virtualHeight;
        case SM_CXSCREEN: return g_layout.primaryWidth;
        case SM_CYSCREEN: return g_layout.primaryHeight;
        default: return reinterpret_cast<int(WINAPI*)(int)>(g_realGetSystemMetrics)(index);
    }
}

std::string WindowRectOf(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + " " + std::to_string(rect.right) + "," +
           std::to_string(rect.bottom);
}

// The full-screen saver window made under that layout: its rectangle as "left,top right,bottom".
std::string FullScreenRectUnder(const Layout& layout) {
    g_layout = layout;
    g_saverWidth = 0;
    HWND window = CreateSaverWindow(nullptr);
    const std::string rect = WindowRectOf(window);
    DestroyWindow(window);
    return rect;
}

// The saver's classes registered, and GetSystemMetrics answering for g_layout.
class FullScreenArea : public ::testing::Test {
protected:
    void SetUp() override {
        g_hInstance = GetModuleHandleA(nullptr);
        ASSERT_TRUE(RegisterClasses());
        ASSERT_TRUE(metrics_.found()) << "USER32!GetSystemMetrics not imported by this executable";
        g_realGetSystemMetrics = metrics_.original();
    }
    ScopedImport metrics_{"user32.dll", "GetSystemMetrics", reinterpret_cast<void*>(LayoutSystemMetrics)};
};

}  // namespace

TEST_F(FullScreenArea, CoversTheVirtualScreenOrThePrimaryMonitorWhereThereIsNone) {
    // A 1024 x 768 monitor left of an 800 x 600 primary one, its top 168 pixels higher.
    EXPECT_EQ(FullScreenRectUnder({-1024, -168, 1824, 768, 800, 600}), "-1024,-168 800,600");
    // The square bounces across all of it and takes its side from its whole height.
    EXPECT_EQ(g_saverWidth, 1824);
    EXPECT_EQ(g_renderSide, RenderSideForHeight(768));

    // Windows 95 and NT 4.0 answer 0 for what they do not know.
    EXPECT_EQ(FullScreenRectUnder({0, 0, 0, 0, 640, 480}), "0,0 640,480");
    EXPECT_EQ(g_saverHeight, 480);
}

namespace {

// Where the square lies in the saver window, and its size: "x,y side".
std::string SquarePlace() {
    RECT rect = {};
    GetWindowRect(g_renderWindow, &rect);
    MapWindowPoints(nullptr, g_saverWindow, reinterpret_cast<POINT*>(&rect), 2);
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + " " + std::to_string(rect.right - rect.left);
}

// Whether the saver asked itself to close: a close request waits in this thread's queue.
bool CloseIsQueued() {
    MSG msg;
    return PeekMessageA(&msg, g_saverWindow, WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0;
}

}  // namespace

TEST_F(FullScreenArea, FollowsADisplayChangeAndRunsOn) {
    // Two monitors at the start; the square has travelled to the far right of the second.
    g_layout = {-1024, -168, 1824, 768, 800, 600};
    g_saverWidth = 0;
    SetCursorPos(400, 300);
    ASSERT_NE(CreateSaverWindow(nullptr), nullptr);
    g_renderX = 1501;
    g_renderY = 451;

    // The left monitor goes to sleep. The platform moves the cursor off it: no hand moved it.
    g_layout = {0, 0, 800, 600, 800, 600};
    SetCursorPos(420, 310);
    SendMessageA(g_saverWindow, WM_DISPLAYCHANGE, 32, MAKELPARAM(800, 600));
    EXPECT_EQ(WindowRectOf(g_saverWindow), "0,0 800,600");
    EXPECT_EQ(g_saverWidth, 800) << "the square bounces across the new width";
    EXPECT_EQ(SquarePlace(), "591,391 209") << "the square takes its side from the new height and stays inside";
    SendMessageA(g_saverWindow, WM_MOUSEMOVE, 0, 0);
    EXPECT_FALSE(CloseIsQueued()) << "a display change counted as input";

    // Movement by a hand still ends it.
    SetCursorPos(421, 310);
    SendMessageA(g_saverWindow, WM_MOUSEMOVE, 0, 0);
    EXPECT_TRUE(CloseIsQueued()) << "a cursor movement after the display change did not end the saver";
    DestroyWindow(g_saverWindow);
}

namespace {

void* g_realGetProcAddress;
// The DPI calls the saver made, in order, with their arguments.
std::vector<std::string> g_scaleCalls;
bool g_declaredBeforeTheSaverClass;
int g_passwordChangeLookups;

// What the stand-ins of one run offer and answer.
struct ScalePlatform {
    bool hasContext;  // USER32!SetProcessDpiAwarenessContext (Windows 10 1703)
    BOOL contextAnswer;
    bool hasShcore;  // SHCORE!SetProcessDpiAwareness (Windows 8.1)
    LONG shcoreAnswer;
    bool hasSystemAware;  // USER32!SetProcessDPIAware (Vista)
};
ScalePlatform g_platform;

void NoteDeclaration(const std::string& call) {
    g_scaleCalls.push_back(call);
    WNDCLASSA saverClass;
    g_declaredBeforeTheSaverClass =
        g_declaredBeforeTheSaverClass && GetClassInfoA(GetModuleHandleA(nullptr), kSaverClass, &saverClass) == FALSE;
}

BOOL WINAPI RecordingSetContext(HANDLE context) {
    NoteDeclaration("context " + std::to_string(reinterpret_cast<INT_PTR>(context)));
    return g_platform.contextAnswer;
}
LONG WINAPI RecordingSetAwareness(int awareness) {
    NoteDeclaration("shcore " + std::to_string(awareness));
    return g_platform.shcoreAnswer;
}
BOOL WINAPI RecordingSetAware() {
    NoteDeclaration("system-aware");
    return TRUE;
}

// The stand-in, when it is asked of its own DLL and this platform has the call.
FARPROC StandIn(HMODULE module, const char* dll, bool present, void* standIn) {
    return present && module == GetModuleHandleA(dll) ? reinterpret_cast<FARPROC>(standIn) : nullptr;
}

// Hands out the recording stand-ins for the DPI calls, as far as this platform has them,
// and no platform dialog for the password change. Everything else is looked up as usual.
FARPROC WINAPI RecordingGetProcAddress(HMODULE module, LPCSTR name) {
    const std::string asked = HIWORD(reinterpret_cast<UINT_PTR>(name)) != 0 ? name : "";
    if (asked == "SetProcessDpiAwarenessContext") {
        return StandIn(module, "user32.dll", g_platform.hasContext, reinterpret_cast<void*>(RecordingSetContext));
    }
    if (asked == "SetProcessDpiAwareness") {
        return StandIn(module, "shcore.dll", g_platform.hasShcore, reinterpret_cast<void*>(RecordingSetAwareness));
    }
    if (asked == "SetProcessDPIAware") {
        return StandIn(module, "user32.dll", g_platform.hasSystemAware, reinterpret_cast<void*>(RecordingSetAware));
    }
    if (asked == "PwdChangePasswordA") {
        ++g_passwordChangeLookups;
        return nullptr;
    }
    return reinterpret_cast<FARPROC(WINAPI*)(HMODULE, LPCSTR)>(g_realGetProcAddress)(module, name);
}

void CALLBACK EndSaverOnceMade(HWND, UINT, UINT_PTR timer, DWORD) {
    if (g_saverWindow == nullptr) return;
    KillTimer(nullptr, timer);
    DestroyWindow(g_saverWindow);
}

void CALLBACK ConfirmAboutBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = FindWindowA("#32770", nullptr);
    if (box == nullptr || GetWindowThreadProcessId(box, nullptr) != GetCurrentThreadId()) return;
    KillTimer(nullptr, timer);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

class DisplayScale : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(lookups_.found()) << "KERNEL32!GetProcAddress not imported by this executable";
        g_realGetProcAddress = lookups_.original();
    }

    // Runs WinMain with the tail on the given platform; the DPI calls it made go to g_scaleCalls.
    int Run(const std::string& tail, const ScalePlatform& platform = {true, TRUE, true, 0, true}) {
        g_platform = platform;
        g_scaleCalls.clear();
        g_declaredBeforeTheSaverClass = true;
        UnregisterClassA(kSaverClass, GetModuleHandleA(nullptr));
        g_saverWindow = nullptr;
        g_saverWidth = 0;
        std::string line = tail;
        return WinMain(GetModuleHandleA(nullptr), nullptr, &line[0], SW_SHOWDEFAULT);
    }

    ScopedImport lookups_{"kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(RecordingGetProcAddress)};
};

}  // namespace

// Full screen takes the highest awareness the platform grants, before its first window: per
// monitor (v2), else per monitor through SHCORE (which the shell loads from the system folder,
// as the password tests show), else system-wide. Each stand-in answers only when asked of its
// own DLL.
TEST_F(DisplayScale, FullScreenTakesTheFirstAwarenessThePlatformGrants) {
    constexpr LONG kAccessDenied = static_cast<LONG>(0x80070005);
    const struct {
        const char* platform;
        ScalePlatform offers;
        std::vector<std::string> calls;
    } cases[] = {
        {"Windows 10 1703 and later", {true, TRUE, true, 0, true}, {"context -4"}},
        {"Windows 10 before 1703", {true, FALSE, true, 0, true}, {"context -4", "shcore 2"}},
        {"Windows 8.1", {false, FALSE, true, 0, true}, {"shcore 2"}},
        {"SHCORE refuses", {false, FALSE, true, kAccessDenied, true}, {"shcore 2", "system-aware"}},
        {"Windows Vista to 8", {false, FALSE, false, 0, true}, {"system-aware"}},
        {"Windows 95 to XP", {false, FALSE, false, 0, false}, {}},
    };
    for (const auto& each : cases) {
        SetTimer(nullptr, 0, 50, EndSaverOnceMade);
        EXPECT_EQ(Run("/s", each.offers), 0) << each.platform;
        EXPECT_EQ(g_scaleCalls, each.calls) << each.platform;
        EXPECT_TRUE(g_declaredBeforeTheSaverClass) << each.platform << ": declared after the saver class existed";
    }
}

TEST_F(DisplayScale, PreviewConfigureAndPasswordChangeLeaveTheAwarenessAlone) {
    // The preview's window is a child of another process's: it keeps the process as it is.
    HWND parent = CreateWindowExA(0, "STATIC", "parent", WS_POPUP | WS_VISIBLE, 0, 0, 152, 112, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    SetTimer(nullptr, 0, 50, EndSaverOnceMade);
    EXPECT_EQ(Run("/p " + std::to_string(reinterpret_cast<UINT_PTR>(parent))), 0);
    EXPECT_NE(g_saverWindow, nullptr) << "the preview did not run";
    EXPECT_EQ(g_scaleCalls, std::vector<std::string>{});
    DestroyWindow(parent);
    g_isPreview = 0;

    SetTimer(nullptr, 0, 50, ConfirmAboutBox);
    EXPECT_EQ(Run("/c"), 0);
    EXPECT_EQ(g_scaleCalls, std::vector<std::string>{});

    EXPECT_EQ(Run("/a"), 0);
    // The password change did look its function up through the same path.
    EXPECT_EQ(g_passwordChangeLookups, 1);
    EXPECT_EQ(g_scaleCalls, std::vector<std::string>{});
}
