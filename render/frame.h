// Per-frame drawing with the sphere's animation, and the view's projection.
#pragma once

extern float g_spinAngle;
extern float g_sphereDepth;
extern float g_depthStep;

// One animation step and one draw into the back buffer; the caller swaps.
void DrawFrame();
// Viewport and perspective for a client area of width x height pixels.
void ResizeView(int width, int height);
