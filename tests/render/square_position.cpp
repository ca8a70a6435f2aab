// Reports where the running saver's square is, for scripts that capture the
// screen: one line "x y width height" (client area in screen pixels) for each
// line read from standard input, "none" while there is no square.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

int main() {
    _setmode(_fileno(stdout), _O_BINARY);  // plain "\n" line ends for the script
    char request[64];
    while (std::fgets(request, sizeof request, stdin) != nullptr) {
        HWND saver = FindWindowA("WindowsScreenSaverClass", nullptr);
        HWND square = saver != nullptr ? FindWindowExA(saver, nullptr, "NTDEVCLASS", nullptr) : nullptr;
        RECT client = {};
        POINT origin = {0, 0};
        if (square != nullptr && GetClientRect(square, &client) && ClientToScreen(square, &origin)) {
            std::printf("%ld %ld %ld %ld\n", origin.x, origin.y, client.right, client.bottom);
        } else {
            std::printf("none\n");
        }
        std::fflush(stdout);
    }
    return 0;
}
