// The about box from the linked resources, opened with DialogBoxParamA as in
// configure mode and driven from inside its own modal loop: each step runs
// from a thread timer, and a timer is only delivered when no posted message
// or input is waiting, so whatever one step sends is handled before the next.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "resources/about_dialog.h"
#include "resources/resource_ids.h"
#include "tests/resources/about_box_template.h"
#include "tests/support/where_tests_run.h"

namespace {

using Step = std::function<void(HWND dialog)>;

// The result when the steps have run out and the box is still open.
constexpr INT_PTR kStillOpen = 77;

struct Session {
    std::vector<Step> steps;
    size_t next = 0;
    HWND dialog = nullptr;
    WNDPROC dialogProc = nullptr;
    std::vector<WORD> commands;  // identifiers of the WM_COMMANDs the box received
};
Session* g_session = nullptr;

LRESULT CALLBACK RecordCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) g_session->commands.push_back(LOWORD(wParam));
    return CallWindowProcA(g_session->dialogProc, window, message, wParam, lParam);
}

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    char className[16];
    GetClassNameA(window, className, sizeof(className));
    if (std::strcmp(className, "#32770") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

void CALLBACK RunNextStep(HWND, UINT, UINT_PTR, DWORD) {
    Session& session = *g_session;
    if (session.dialog == nullptr) {
        EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&session.dialog));
        if (session.dialog != nullptr) {
            session.dialogProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                session.dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordCommands)));
        }
        return;
    }
    if (session.next < session.steps.size()) {
        session.steps[session.next++](session.dialog);
    } else {
        EndDialog(session.dialog, kStillOpen);
    }
}

INT_PTR RunAboutBox(Session& session, HWND owner = nullptr) {
    g_session = &session;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, RunNextStep);
    const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT),
                                           owner, AboutDialogProc, 0);
    KillTimer(nullptr, timer);
    g_session = nullptr;
    return result;
}

// Real keyboard input: the keys go down in order and come up in reverse.
void PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto key = keys.end(); key != keys.begin();) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *--key;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    EXPECT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)), inputs.size());
}

void ClickAt(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    EXPECT_EQ(SendInput(2, inputs, sizeof(INPUT)), 2u);
}

POINT CentreOf(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// Dialog units in pixels. The dialog manager rounds a control's position and
// its size each on its own, so they are mapped apart here too.
POINT DialogUnits(HWND dialog, int x, int y) {
    RECT rect = {x, y, 0, 0};
    MapDialogRect(dialog, &rect);
    return {rect.left, rect.top};
}

RECT RectInDialog(HWND dialog, HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

POINT ClientOriginOnScreen(HWND window) {
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    return origin;
}

std::string TextOf(HWND window) {
    char text[128] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

// Runs `look` once on the open box, which stays open: `look` must neither
// close it nor stop the modal loop.
void InspectOpenBox(const Step& look, HWND owner = nullptr) {
    Session session;
    session.steps = {look};
    EXPECT_EQ(RunAboutBox(session, owner), kStillOpen);
    EXPECT_EQ(session.next, 1u);
}

// The action has to reach the box as IDCANCEL and leave it open: the next
// step only runs while the modal loop still does, and Enter then ends it.
void ExpectLeftOpenBy(const Step& action) {
    Session session;
    bool openAfterwards = false;
    session.steps = {action, [&](HWND dialog) { openAfterwards = IsWindowVisible(dialog) != 0; },
                     [](HWND) { PressKeys({VK_RETURN}); }};
    EXPECT_EQ(RunAboutBox(session), 1);
    EXPECT_TRUE(openAfterwards);
    EXPECT_EQ(session.commands, (std::vector<WORD>{IDCANCEL, IDOK}));
}

TEST(AboutBoxClosing, EnterEndsItWithResultOne) {
    Session session;
    session.steps = {[](HWND) { PressKeys({VK_RETURN}); }};
    EXPECT_EQ(RunAboutBox(session), 1);
    EXPECT_EQ(session.commands, std::vector<WORD>{IDOK});
}

TEST(AboutBoxClosing, SpaceOnTheFocusedOkEndsIt) {
    Session session;
    session.steps = {[](HWND) { PressKeys({VK_SPACE}); }};
    EXPECT_EQ(RunAboutBox(session), 1);
    EXPECT_EQ(session.commands, std::vector<WORD>{IDOK});
}

TEST(AboutBoxClosing, MouseClickOnOkEndsIt) {
    Session session;
    session.steps = {[](HWND dialog) { ClickAt(CentreOf(GetDlgItem(dialog, IDOK))); }};
    EXPECT_EQ(RunAboutBox(session), 1);
    EXPECT_EQ(session.commands, std::vector<WORD>{IDOK});
}

TEST(AboutBoxClosing, EscapeLeavesItOpen) {
    ExpectLeftOpenBy([](HWND) { PressKeys({VK_ESCAPE}); });
}

TEST(AboutBoxClosing, AltF4LeavesItOpen) {
    ExpectLeftOpenBy([](HWND) { PressKeys({VK_MENU, VK_F4}); });
}

TEST(AboutBoxClosing, CloseMessageLeavesItOpen) {
    ExpectLeftOpenBy([](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); });
}

TEST(AboutBoxClosing, SystemCloseCommandLeavesItOpen) {
    ExpectLeftOpenBy([](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); });
}

TEST(AboutBoxClosing, CaptionCloseButtonLeavesItOpen) {
    ExpectLeftOpenBy([](HWND dialog) {
        RECT frame;
        GetWindowRect(dialog, &frame);
        for (int y = frame.top; y < frame.top + 48; ++y) {
            for (int x = frame.right - 1; x > frame.right - 64; --x) {
                if (SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                    ClickAt({x, y});
                    return;
                }
            }
        }
        ADD_FAILURE() << "no close button on the caption";
    });
}

TEST(AboutBoxLayout, ControlsInTemplateOrder) {
    InspectOpenBox([](HWND dialog) {
        EXPECT_EQ(TextOf(dialog), kAboutBoxCaption);
        HWND control = GetWindow(dialog, GW_CHILD);
        for (const AboutBoxControl& e : kAboutBoxControls) {
            SCOPED_TRACE(e.text != nullptr ? e.text : "banner");
            ASSERT_NE(control, nullptr);
            EXPECT_EQ(ClassOf(control), e.className);
            EXPECT_EQ(LOWORD(GetDlgCtrlID(control)), e.id);
            EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE)), e.style);
            const RECT placed = RectInDialog(dialog, control);
            const POINT position = DialogUnits(dialog, e.x, e.y);
            EXPECT_EQ(placed.left, position.x);
            EXPECT_EQ(placed.top, position.y);
            // The banner takes its bitmap's size instead (the next test).
            if (e.text != nullptr) {
                const POINT size = DialogUnits(dialog, e.cx, e.cy);
                EXPECT_EQ(TextOf(control), e.text);
                EXPECT_EQ(placed.right - placed.left, size.x);
                EXPECT_EQ(placed.bottom - placed.top, size.y);
            }
            control = GetWindow(control, GW_HWNDNEXT);
        }
        EXPECT_EQ(control, nullptr) << "more controls than the template's";
    });
}

TEST(AboutBoxLayout, BannerTakesTheBitmapsSizeWithASunkenEdge) {
    InspectOpenBox([](HWND dialog) {
        HWND banner = GetWindow(GetDlgItem(dialog, IDOK), GW_HWNDLAST);
        RECT client, frame;
        GetClientRect(banner, &client);
        GetWindowRect(banner, &frame);
        const int edgeX = frame.right - frame.left - client.right;
        const int edgeY = frame.bottom - frame.top - client.bottom;
        EXPECT_GT(edgeX, 0);
        EXPECT_EQ(edgeX, edgeY);
        // Windows sizes the client area to the bitmap, inside the edge; Wine's
        // static control gives the bitmap's size to the whole window instead.
        const RECT sized = UnderWine() ? RECT{0, 0, frame.right - frame.left, frame.bottom - frame.top}
                                           : client;
        EXPECT_EQ(sized.right, 120);
        EXPECT_EQ(sized.bottom, 16);

        BITMAP bitmap = {};
        const HGDIOBJ image = reinterpret_cast<HGDIOBJ>(SendMessageA(banner, STM_GETIMAGE, IMAGE_BITMAP, 0));
        ASSERT_NE(image, nullptr);
        ASSERT_NE(GetObjectA(image, sizeof(bitmap), &bitmap), 0);
        EXPECT_EQ(bitmap.bmWidth, 120);
        EXPECT_EQ(bitmap.bmHeight, 16);
    });
}

TEST(AboutBoxLayout, TextLinesFitTheirControls) {
    InspectOpenBox([](HWND dialog) {
        HWND line = GetWindow(GetDlgItem(dialog, IDOK), GW_HWNDNEXT);
        for (int i = 0; i < 3; ++i, line = GetWindow(line, GW_HWNDNEXT)) {
            const std::string text = TextOf(line);
            HDC dc = GetDC(line);
            const HGDIOBJ previous =
                SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(line, WM_GETFONT, 0, 0)));
            SIZE extent = {};
            GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            SelectObject(dc, previous);
            ReleaseDC(line, dc);
            RECT client;
            GetClientRect(line, &client);
            EXPECT_LE(extent.cx, client.right) << text;
        }
    });
}

TEST(AboutBoxFocus, OkHasTheFocusAndIsTheDefaultButton) {
    InspectOpenBox([](HWND dialog) {
        HWND ok = GetDlgItem(dialog, IDOK);
        EXPECT_EQ(GetFocus(), ok);
        EXPECT_EQ(GetForegroundWindow(), dialog);
        EXPECT_EQ(SendMessageA(dialog, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
        EXPECT_EQ(GetWindowLongA(ok, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    });
}

TEST(AboutBoxPlacement, WithoutOwnerAtItsOffsetFromTheScreenCorner) {
    InspectOpenBox([](HWND dialog) {
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
        const POINT offset = DialogUnits(dialog, kAboutBoxX, kAboutBoxY);
        const POINT origin = ClientOriginOnScreen(dialog);
        EXPECT_EQ(origin.x, offset.x);
        EXPECT_EQ(origin.y, offset.y);
    });
}

TEST(AboutBoxPlacement, WithOwnerAtItsOffsetFromTheOwnersClientArea) {
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 120, 90, 400,
                                 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    InspectOpenBox([owner](HWND dialog) {
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
        const POINT offset = DialogUnits(dialog, kAboutBoxX, kAboutBoxY);
        const POINT ownerOrigin = ClientOriginOnScreen(owner);
        const POINT origin = ClientOriginOnScreen(dialog);
        EXPECT_EQ(origin.x, ownerOrigin.x + offset.x);
        EXPECT_EQ(origin.y, ownerOrigin.y + offset.y);
    }, owner);
    DestroyWindow(owner);
}

}  // namespace
