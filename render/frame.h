// Per-frame drawing with the sphere's animation.
#pragma once

extern float g_spinAngle;
extern float g_sphereDepth;
extern float g_depthStep;

// One animation step and one draw into the back buffer; the caller swaps.
void DrawFrame();
