// A stand-in for the display settings' preview monitor, and the way the platform
// starts a saver. One copy for tools/run's preview host and for the tests.
#pragma once

#include <windows.h>

#include <string>

// The client size of the platform's preview monitor.
constexpr int kPreviewMonitorWidth = 152;
constexpr int kPreviewMonitorHeight = 112;

// A visible top-level window at (x, y) whose client area measures exactly
// clientWidth x clientHeight: captioned (with a close button), or borderless,
// which alone can be as small as 0 x 0.
HWND CreatePreviewMonitor(int x, int y, int clientWidth, int clientHeight, bool captioned);

// The decimal handle number that follows "/p" on the platform's command line.
std::string WindowNumber(HWND window);

// Starts exePath with the command line "<exePath>" tail, in the folder that
// holds it, as the platform starts a screen saver.
bool StartAsThePlatformDoes(const std::string& exePath, const std::string& tail, PROCESS_INFORMATION* started);
