#include "render/scene.h"

#include <GL/glu.h>

#include "render/render_window.h"
#include "render/texture.h"
#include "resources/resource_ids.h"

GLuint g_sphereList;
Texture g_sphereTexture;

namespace {

const GLfloat kLightAmbient[] = {0.1f, 0.1f, 0.1f, 1.0f};
const GLfloat kLightDiffuse[] = {0.6f, 0.6f, 0.6f, 1.0f};
const GLfloat kLightSpecular[] = {1.0f, 1.0f, 1.0f, 1.0f};
// Positional, fixed to the eye: up, left and behind the viewer.
const GLfloat kLightPosition[] = {-150.0f, 150.0f, 150.0f, 1.0f};
const GLfloat kMaterialSpecular[] = {1.0f, 1.0f, 1.0f, 1.0f};

constexpr GLdouble kSphereRadius = 4.5;
constexpr GLint kSphereSlices = 35;
constexpr GLint kSphereStacks = 35;
// The texture wraps this many times round the sphere's axis.
constexpr GLfloat kTextureWraps = 4.0f;

void CompileSphereList() {
    glNewList(g_sphereList, GL_COMPILE);
    glClear(GL_COLOR_BUFFER_BIT);

    GLUquadric* quadric = gluNewQuadric();
    if (quadric != nullptr) {
        gluQuadricDrawStyle(quadric, GLU_FILL);
        gluQuadricNormals(quadric, GLU_SMOOTH);
        gluQuadricTexture(quadric, GL_TRUE);
    }
    // Linear filtering costs too much on the software renderer.
    const GLint filter = g_isAccelerated == 1 ? GL_LINEAR : GL_NEAREST;
    g_sphereTexture.SetParameter(GL_TEXTURE_MAG_FILTER, filter);
    g_sphereTexture.SetParameter(GL_TEXTURE_MIN_FILTER, filter);

    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glScalef(kTextureWraps, 1.0f, 1.0f);
    // Without a quadric the list still clears: frames stay black, not stale.
    if (quadric != nullptr) gluSphere(quadric, kSphereRadius, kSphereSlices, kSphereStacks);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);

    if (quadric != nullptr) gluDeleteQuadric(quadric);
    glEndList();
}

}  // namespace

void SetupScene() {
    glShadeModel(GL_SMOOTH);
    // One convex object: back-face culling alone decides visibility.
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);

    // The modelview matrix is still the identity: the light stays put relative to the eye.
    glLightfv(GL_LIGHT0, GL_AMBIENT, kLightAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, kLightDiffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, kLightSpecular);
    glLightfv(GL_LIGHT0, GL_POSITION, kLightPosition);
    glEnable(GL_LIGHT0);

    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glColor3f(1.0f, 1.0f, 1.0f);
    glMaterialfv(GL_FRONT, GL_SPECULAR, kMaterialSpecular);
    glMateriali(GL_FRONT, GL_SHININESS, 128);

    g_sphereTexture.LoadFromResource(IDB_SPHERE_TEXTURE);
    g_sphereTexture.SetParameter(GL_TEXTURE_WRAP_S, GL_REPEAT);
    g_sphereTexture.SetParameter(GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(GL_MODULATE));

    g_sphereList = glGenLists(1);
    // With no list name, glNewList(0) would fail and the commands meant for
    // the list would run now, changing filters and matrices at setup.
    if (g_sphereList != 0) CompileSphereList();
}

void ReleaseScene() { glDeleteLists(g_sphereList, 1); }
