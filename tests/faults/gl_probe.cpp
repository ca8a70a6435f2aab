// Two small jobs for the test without OpenGL.
//   gl_probe            whether a Win32 program here gets an OpenGL context: it
//                       asks for the saver's pixel format on a window of its
//                       own and prints "pixel format N, context made|none"
//   gl_probe --backdrop SECONDS
//                       covers the screen with white for that long, so that a
//                       black screen is something the saver drew
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int ProbeContext() {
    WNDCLASSA probeClass = {};
    probeClass.style = CS_OWNDC;
    probeClass.lpfnWndProc = DefWindowProcA;
    probeClass.hInstance = GetModuleHandleA(nullptr);
    probeClass.lpszClassName = "GlProbe";
    RegisterClassA(&probeClass);
    HWND window = CreateWindowExA(0, probeClass.lpszClassName, "GL probe", WS_POPUP, 0, 0, 16, 16, nullptr,
                                  nullptr, probeClass.hInstance, nullptr);
    if (window == nullptr) return 1;
    HDC dc = GetDC(window);
    PIXELFORMATDESCRIPTOR request = {};
    request.nSize = sizeof(request);
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | PFD_DEPTH_DONTCARE;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = 24;
    const int format = ChoosePixelFormat(dc, &request);
    SetPixelFormat(dc, format, &request);
    HGLRC context = wglCreateContext(dc);
    std::printf("pixel format %d, context %s\n", format, context != nullptr ? "made" : "none");
    if (context != nullptr) wglDeleteContext(context);
    ReleaseDC(window, dc);
    DestroyWindow(window);
    return 0;
}

int ShowBackdrop(DWORD seconds) {
    WNDCLASSA backdropClass = {};
    backdropClass.lpfnWndProc = DefWindowProcA;
    backdropClass.hInstance = GetModuleHandleA(nullptr);
    backdropClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    backdropClass.lpszClassName = "GlProbeBackdrop";
    RegisterClassA(&backdropClass);
    HWND window = CreateWindowExA(0, backdropClass.lpszClassName, "Backdrop", WS_POPUP | WS_VISIBLE, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                  backdropClass.hInstance, nullptr);
    if (window == nullptr) return 1;
    std::printf("backdrop up\n");
    std::fflush(stdout);
    const DWORD start = GetTickCount();
    while (IsWindow(window) && GetTickCount() - start < seconds * 1000) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "--backdrop") == 0) {
        return ShowBackdrop(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
    }
    return ProbeContext();
}
