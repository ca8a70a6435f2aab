// The program's own saver procedure: it owns the bouncing render window.
#pragma once

#include <windows.h>

constexpr UINT_PTR kBounceTimerId = 101;
constexpr UINT kBounceIntervalMs = 16;

extern HWND g_renderWindow;
extern int g_saverWidth;
extern int g_saverHeight;
extern int g_renderSide;
extern int g_renderX;
extern int g_renderY;
extern int g_velocityX;
extern int g_velocityY;

constexpr char kRenderClassName[] = "NTDEVCLASS";
constexpr char kRenderTitle[] = "Child1";

LRESULT CALLBACK SaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The render window's class, with RenderWindowProc; registered again on every
// creation of the saver window, its result not looked at.
void RegisterRenderClass();
