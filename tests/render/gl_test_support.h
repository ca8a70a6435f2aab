// Real render windows with real GL contexts for the renderer tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A top-level square of the saver's render window class; its GL context is
// current when this returns. Unless `pump` is false, the messages that follow
// creation (the first paint among them) have been handled too.
HWND CreateRenderWindow(int side, bool pump = true);

// The saver window as full-screen mode creates it, with the square inside,
// without the message loop of RunSaver.
HWND CreateFullScreenSaver();

// Dispatches what is queued, leaving a quit message in the queue.
void PumpMessages();
bool QuitMessagePosted();

// RGB bytes of the back buffer, rows bottom-up.
std::vector<unsigned char> ReadBackBuffer(int width, int height);

// A file in the temporary folder holding `bytes`; its path.
std::string WriteTempFile(const char* name, const std::vector<unsigned char>& bytes);

// Level 0 of the bound 2D texture as blue-green-red rows padded to 4 bytes.
std::vector<unsigned char> BoundTextureBytes(int width, int height);
