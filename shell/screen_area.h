// Where the full-screen saver window goes. Free of <windows.h> so that it can
// be built natively.
#pragma once

struct ScreenArea {
    int x;
    int y;
    int width;
    int height;
};

// The virtual screen, which spans every monitor and may start left of or above
// the primary one. A platform that knows no virtual screen (Windows 95, NT 4.0)
// answers 0 for its size; then the primary monitor at the origin.
ScreenArea FullScreenArea(int virtualX, int virtualY, int virtualWidth, int virtualHeight, int primaryWidth,
                          int primaryHeight);
