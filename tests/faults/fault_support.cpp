#include "tests/faults/fault_support.h"

InputBurst& InputBurst::MouseEvent(LONG dx, LONG dy, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    inputs_.push_back(input);
    return *this;
}

InputBurst& InputBurst::KeyEvent(WORD virtualKey, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = flags;
    inputs_.push_back(input);
    return *this;
}

InputBurst& InputBurst::MoveTo(POINT screen) {
    // Absolute coordinates run from 0 to 65535 across the primary screen.
    return MouseEvent(MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1),
                      MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1),
                      MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE);
}

InputBurst& InputBurst::MoveBy(int dx, int dy) { return MouseEvent(dx, dy, MOUSEEVENTF_MOVE); }

InputBurst& InputBurst::Click(DWORD downFlag, DWORD upFlag) {
    return MouseEvent(0, 0, downFlag).MouseEvent(0, 0, upFlag);
}

InputBurst& InputBurst::KeyDown(WORD virtualKey) { return KeyEvent(virtualKey, 0); }

InputBurst& InputBurst::KeyUp(WORD virtualKey) { return KeyEvent(virtualKey, KEYEVENTF_KEYUP); }

UINT InputBurst::Send() {
    const UINT sent = SendInput(static_cast<UINT>(inputs_.size()), inputs_.data(), sizeof(INPUT));
    inputs_.clear();
    return sent;
}

POINT CentreOf(HWND window) {
    const RECT rect = ScreenRectOf(window);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}
