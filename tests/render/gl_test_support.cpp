#include "tests/render/gl_test_support.h"

#include <GL/gl.h>

#include <fstream>

#include "saver/saver_proc.h"
#include "shell/shell.h"

HWND CreateRenderWindow(int side, bool pump) {
    g_hInstance = GetModuleHandleA(nullptr);
    RegisterRenderClass();
    HWND window = CreateWindowExA(0, kRenderClassName, kRenderTitle, WS_POPUP | WS_VISIBLE, 0, 0, side,
                                  side, nullptr, nullptr, g_hInstance, nullptr);
    if (pump) PumpMessages();
    return window;
}

HWND CreateFullScreenSaver() {
    g_hInstance = GetModuleHandleA(nullptr);
    RegisterClasses();
    CreateSaverWindow(nullptr);
    PumpMessages();
    return g_saverWindow;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (msg.message == WM_QUIT) return;
        PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool QuitMessagePosted() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
}

std::vector<unsigned char> ReadBackBuffer(int width, int height) {
    std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return rgb;
}

std::string WriteTempFile(const char* name, const std::vector<unsigned char>& bytes) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "vorbix_render_" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::vector<unsigned char> BoundTextureBytes(int width, int height) {
    const std::size_t row = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    std::vector<unsigned char> bytes(row * height, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGR_EXT, GL_UNSIGNED_BYTE, bytes.data());
    return bytes;
}
