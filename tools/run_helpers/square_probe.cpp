// Prints where the running saver's square is on the screen, "x y width height",
// so that a capture of its off-screen GL frame can be laid over a root shot.
#include <windows.h>

#include <cstdio>

int main() {
    HWND saver = FindWindowA("WindowsScreenSaverClass", nullptr);
    HWND square = saver != nullptr ? FindWindowExA(saver, nullptr, "NTDEVCLASS", nullptr) : nullptr;
    if (square == nullptr) {
        std::fprintf(stderr, "no running saver square\n");
        return 1;
    }
    RECT rect;
    GetWindowRect(square, &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    return 0;
}
