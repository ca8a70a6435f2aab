#include "shell/screen_area.h"

ScreenArea FullScreenArea(int virtualX, int virtualY, int virtualWidth, int virtualHeight, int primaryWidth,
                          int primaryHeight) {
    if (virtualWidth <= 0 || virtualHeight <= 0) return {0, 0, primaryWidth, primaryHeight};
    return {virtualX, virtualY, virtualWidth, virtualHeight};
}
