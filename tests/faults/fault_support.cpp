#include "tests/faults/fault_support.h"

InputBurst& InputBurst::MoveTo(POINT screen) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    // Absolute coordinates run from 0 to 65535 across the primary screen.
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs_.push_back(input);
    return *this;
}

InputBurst& InputBurst::MoveBy(int dx, int dy) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    inputs_.push_back(input);
    return *this;
}

InputBurst& InputBurst::Click(DWORD downFlag, DWORD upFlag) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = downFlag;
    inputs_.push_back(input);
    input.mi.dwFlags = upFlag;
    inputs_.push_back(input);
    return *this;
}

InputBurst& InputBurst::KeyDown(WORD virtualKey) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    inputs_.push_back(input);
    return *this;
}

InputBurst& InputBurst::KeyUp(WORD virtualKey) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs_.push_back(input);
    return *this;
}

UINT InputBurst::Send() {
    const UINT sent = SendInput(static_cast<UINT>(inputs_.size()), inputs_.data(), sizeof(INPUT));
    inputs_.clear();
    return sent;
}

POINT CentreOf(HWND window) {
    const RECT rect = ScreenRectOf(window);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}
