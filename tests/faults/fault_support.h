// Pieces shared by the fault tests: real input sent as one ordered burst.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/saver/saver_fixture.h"

// Real input, queued in one SendInput call so that the platform delivers it
// in exactly this order.
class InputBurst {
public:
    InputBurst& MoveTo(POINT screen);
    InputBurst& MoveBy(int dx, int dy);
    InputBurst& Click(DWORD downFlag, DWORD upFlag);
    InputBurst& ClickLeft() { return Click(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP); }
    InputBurst& ClickRight() { return Click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP); }
    InputBurst& ClickMiddle() { return Click(MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP); }
    InputBurst& KeyDown(WORD virtualKey);
    InputBurst& KeyUp(WORD virtualKey);
    InputBurst& Key(WORD virtualKey) { return KeyDown(virtualKey).KeyUp(virtualKey); }
    // Returns how many events the platform took.
    UINT Send();

private:
    InputBurst& MouseEvent(LONG dx, LONG dy, DWORD flags);
    InputBurst& KeyEvent(WORD virtualKey, DWORD flags);
    std::vector<INPUT> inputs_;
};

POINT CentreOf(HWND window);
