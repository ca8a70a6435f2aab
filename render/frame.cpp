#include "render/frame.h"

#include <windows.h>
#include <GL/gl.h>

#include "render/animation.h"
#include "render/scene.h"

float g_spinAngle = kInitialSpinAngle;
float g_sphereDepth = kInitialSphereDepth;
float g_depthStep = kInitialDepthStep;

void DrawFrame() {
    AdvanceAnimation(g_spinAngle, g_sphereDepth, g_depthStep);

    glPushMatrix();
    glTranslatef(0.0f, 0.0f, g_sphereDepth);
    // The sphere's polar axis (its z) stands vertical on screen.
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(g_spinAngle, 0.0f, 0.0f, 1.0f);
    if (g_sphereList != 0) {
        glCallList(g_sphereList);
    } else {
        // No list could be made: show black rather than whatever the back buffer held.
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glPopMatrix();
    glFlush();
}
