// Several monitors and scaled displays, in-process: the platform's answers are
// replaced through this executable's import table, since neither a monitor left
// of the primary one nor a scaled display can be had under Wine here.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

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

// The full-screen saver window made under that layout: its rectangle as "left,top right,bottom".
std::string FullScreenRectUnder(const Layout& layout) {
    g_layout = layout;
    g_saverWidth = 0;
    RECT rect = {};
    HWND window = CreateSaverWindow(nullptr);
    GetWindowRect(window, &rect);
    DestroyWindow(window);
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + " " + std::to_string(rect.right) + "," +
           std::to_string(rect.bottom);
}

}  // namespace

TEST(FullScreenArea, CoversTheVirtualScreenOrThePrimaryMonitorWhereThereIsNone) {
    g_hInstance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(RegisterClasses());
    ScopedImport metrics("user32.dll", "GetSystemMetrics", reinterpret_cast<void*>(LayoutSystemMetrics));
    ASSERT_TRUE(metrics.found()) << "USER32!GetSystemMetrics not imported by this executable";
    g_realGetSystemMetrics = metrics.original();

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

void* g_realGetProcAddress;
int g_awareLookups;
int g_passwordChangeLookups;
int g_awareCalls;
bool g_awareBeforeTheSaverClass;
bool g_awareAskedOfUser32;

BOOL WINAPI RecordingSetProcessDpiAware() {
    ++g_awareCalls;
    WNDCLASSA saverClass;
    g_awareBeforeTheSaverClass = GetClassInfoA(GetModuleHandleA(nullptr), kSaverClass, &saverClass) == FALSE;
    return TRUE;
}

// Hands out the recording stand-in for the DPI call; no platform dialog for the
// password change. Everything else is looked up as usual.
FARPROC WINAPI RecordingGetProcAddress(HMODULE module, LPCSTR name) {
    const bool byName = HIWORD(reinterpret_cast<UINT_PTR>(name)) != 0;
    if (byName && std::strcmp(name, "SetProcessDPIAware") == 0) {
        ++g_awareLookups;
        g_awareAskedOfUser32 = module == GetModuleHandleA("user32.dll");
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(RecordingSetProcessDpiAware));
    }
    if (byName && std::strcmp(name, "PwdChangePasswordA") == 0) {
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

    int Run(const std::string& tail) {
        g_awareLookups = g_awareCalls = 0;
        std::string line = tail;
        return WinMain(GetModuleHandleA(nullptr), nullptr, &line[0], SW_SHOWDEFAULT);
    }

    ScopedImport lookups_{"kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(RecordingGetProcAddress)};
};

}  // namespace

TEST_F(DisplayScale, FullScreenAndPreviewDrawAtTheDisplaysResolutionFromTheirFirstWindow) {
    SetTimer(nullptr, 0, 50, EndSaverOnceMade);
    EXPECT_EQ(Run("/s"), 0);
    EXPECT_EQ(g_awareCalls, 1);
    EXPECT_TRUE(g_awareBeforeTheSaverClass) << "declared only after the saver window's class was registered";
    EXPECT_TRUE(g_awareAskedOfUser32);

    UnregisterClassA(kSaverClass, g_hInstance);
    g_saverWindow = nullptr;
    g_saverWidth = 0;
    HWND parent = CreateWindowExA(0, "STATIC", "parent", WS_POPUP | WS_VISIBLE, 0, 0, 152, 112, nullptr, nullptr,
                                  g_hInstance, nullptr);
    SetTimer(nullptr, 0, 50, EndSaverOnceMade);
    EXPECT_EQ(Run("/p " + std::to_string(reinterpret_cast<UINT_PTR>(parent))), 0);
    EXPECT_EQ(g_awareCalls, 1);
    EXPECT_TRUE(g_awareBeforeTheSaverClass);
    DestroyWindow(parent);
    g_isPreview = 0;
}

TEST_F(DisplayScale, ConfigureAndPasswordChangeLeaveTheProcessAsItIs) {
    SetTimer(nullptr, 0, 50, ConfirmAboutBox);
    EXPECT_EQ(Run("/c"), 0);
    EXPECT_EQ(g_awareLookups, 0);

    EXPECT_EQ(Run("/a"), 0);
    // The password change did look its function up through the same path.
    EXPECT_EQ(g_passwordChangeLookups, 1);
    EXPECT_EQ(g_awareLookups, 0);
}
