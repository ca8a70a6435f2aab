// Prints where the running saver's square is on the screen, "x y width height"
// (its client area, where GL draws, in screen pixels), so that a capture of
// its off-screen GL frame can be laid over a root shot.
//   square_probe               one line and exit; no square: a message on
//                              standard error and exit code 1
//   square_probe --each-line   one line for every line read from standard
//                              input, "none" while there is no square; for
//                              scripts that ask again and again without
//                              starting a Wine process each time
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

bool FindSquare(RECT& onScreen) {
    HWND saver = FindWindowA("WindowsScreenSaverClass", nullptr);
    HWND square = saver != nullptr ? FindWindowExA(saver, nullptr, "NTDEVCLASS", nullptr) : nullptr;
    RECT client = {};
    POINT origin = {0, 0};
    if (square == nullptr || !GetClientRect(square, &client) || !ClientToScreen(square, &origin)) return false;
    onScreen = {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    return true;
}

void PrintSquare(const RECT& square) {
    std::printf("%ld %ld %ld %ld\n", square.left, square.top, square.right - square.left,
                square.bottom - square.top);
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // plain "\n" line ends for the scripts
    RECT square;
    if (argc > 1 && std::strcmp(argv[1], "--each-line") == 0) {
        char request[64];
        while (std::fgets(request, sizeof request, stdin) != nullptr) {
            if (FindSquare(square)) {
                PrintSquare(square);
            } else {
                std::printf("none\n");
            }
            std::fflush(stdout);
        }
        return 0;
    }
    if (!FindSquare(square)) {
        std::fprintf(stderr, "no running saver square\n");
        return 1;
    }
    PrintSquare(square);
    return 0;
}
