#include "render/view.h"

#include <windows.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include "render/single_precision.h"

void ResizeView(int width, int height) {
    if (height == 0) height = 1;
    const float aspect = StoreSingle(static_cast<float>(width) / static_cast<float>(height));

    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, aspect, 1.0, 70.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
