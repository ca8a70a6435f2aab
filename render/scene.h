// The scene: GL state, light, material, the sphere's texture and the display
// list that clears the frame and draws the sphere.
#pragma once

#include <windows.h>
#include <GL/gl.h>

extern GLuint g_sphereList;

// With the render window's context current, once per new context.
void SetupScene();
void ReleaseScene();
