// The scene as GL holds it after setup and after its display list runs.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstring>

#include "render/frame.h"
#include "render/render_window.h"
#include "render/scene.h"
#include "render/texture.h"
#include "resources/resource_ids.h"
#include "tests/render/gl_test_support.h"

namespace {

const unsigned char* TextureResource(DWORD& size) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDB_SPHERE_TEXTURE), RT_BITMAP);
    size = found != nullptr ? SizeofResource(nullptr, found) : 0;
    return found != nullptr ? static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, found)))
                            : nullptr;
}

GLint TextureParameter(GLenum pname) {
    GLint value = -1;
    glGetTexParameteriv(GL_TEXTURE_2D, pname, &value);
    return value;
}

GLint Integer(GLenum pname) {
    GLint value = -1;
    glGetIntegerv(pname, &value);
    return value;
}

bool Lit(const std::vector<unsigned char>& rgb, int side, int x, int y) {
    const unsigned char* p = &rgb[(static_cast<std::size_t>(y) * side + x) * 3];
    return p[0] > 8 || p[1] > 8 || p[2] > 8;
}

}  // namespace

TEST(SphereScene, SetupWrapsTheTextureAndLeavesItsFiltersToTheList) {
    CreateRenderWindow(64, false);  // before the first paint runs the list
    EXPECT_EQ(static_cast<GLuint>(Integer(GL_TEXTURE_BINDING_2D)), g_sphereTexture.textureName);
    EXPECT_EQ(TextureParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(TextureParameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(TextureParameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_LINEAR);
    EXPECT_EQ(TextureParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_LIGHT0) && glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
}

TEST(SphereScene, ListFiltersFollowTheAccelerationOfItsSetup) {
    CreateRenderWindow(64);
    ASSERT_EQ(g_isAccelerated, 1) << "Mesa under Wine offers no generic formats";

    // The list leaves the texture matrix as it found it, in modelview mode.
    GLfloat before[16];
    glMatrixMode(GL_TEXTURE);
    glTranslatef(0.25f, 0.5f, 0.0f);
    glGetFloatv(GL_TEXTURE_MATRIX, before);
    glCallList(g_sphereList);
    GLfloat after[16];
    glGetFloatv(GL_TEXTURE_MATRIX, after);
    EXPECT_EQ(0, std::memcmp(before, after, sizeof before));
    EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
    g_sphereTexture.Bind();
    EXPECT_EQ(TextureParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(TextureParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);

    // A software format: a scene set up again picks nearest filtering.
    g_isAccelerated = 0;
    SetupScene();
    g_sphereTexture.Bind();
    EXPECT_EQ(TextureParameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_LINEAR);
    glCallList(g_sphereList);
    EXPECT_EQ(TextureParameter(GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(TextureParameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST);
}

TEST(SphereScene, TextureHoldsTheBitmapResourceAsStored) {
    CreateRenderWindow(64);
    DWORD size = 0;
    const unsigned char* dib = TextureResource(size);
    ASSERT_NE(dib, nullptr);
    ASSERT_EQ(size, 40u + 256u * 512u * 3u);
    EXPECT_EQ(g_sphereTexture.loaded, 1);
    EXPECT_EQ(g_sphereTexture.width, 256);
    EXPECT_EQ(g_sphereTexture.height, 512);
    EXPECT_EQ(g_sphereTexture.pixels, dib);

    g_sphereTexture.Bind();
    const std::vector<unsigned char> texels = BoundTextureBytes(256, 512);
    EXPECT_EQ(texels[0], dib[40]);  // blue
    EXPECT_EQ(texels[1], dib[41]);  // green
    EXPECT_EQ(texels[2], dib[42]);  // red
    EXPECT_EQ(0, std::memcmp(texels.data(), dib + 40, texels.size())) << "no conversion, rows as stored";
}

TEST(SphereScene, EachCallOfTheListClearsBeforeItDraws) {
    CreateRenderWindow(128);
    // Sphere centres 6 units either side of the axis at depth 20: pixel x 18 and 110.
    glLoadIdentity();
    glTranslatef(-6.0f, 0.0f, -20.0f);
    glCallList(g_sphereList);
    EXPECT_TRUE(Lit(ReadBackBuffer(128, 128), 128, 18, 64));
    glTranslatef(12.0f, 0.0f, 0.0f);
    glCallList(g_sphereList);
    const std::vector<unsigned char> both = ReadBackBuffer(128, 128);
    EXPECT_FALSE(Lit(both, 128, 18, 64)) << "the first sphere was cleared";
    EXPECT_TRUE(Lit(both, 128, 110, 64));
}

TEST(SphereScene, WithoutAListNameNothingIsCompiledAndFramesStayBlack) {
    // No context yet: GL hands out no list name, so setup must not compile into list 0.
    SetupScene();
    EXPECT_EQ(g_sphereList, 0u);

    CreateRenderWindow(32);
    glDeleteLists(g_sphereList, 1);
    g_sphereList = 0;
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    DrawFrame();
    const std::vector<unsigned char> rgb = ReadBackBuffer(32, 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) ASSERT_FALSE(Lit(rgb, 32, x, y)) << x << "," << y;
    }
}
