// What a frame shows, and the projection of the view.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/frame.h"
#include "render/render_window.h"
#include "render/view.h"
#include "tests/render/gl_test_support.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Disc {
    int left = 1 << 30, right = -1, bottom = 1 << 30, top = -1;
    double sum[2][3] = {};  // mean colour of the upper-left and lower-right quarters
    int count[2] = {};
    double centreX() const { return (left + right) / 2.0; }
    double centreY() const { return (bottom + top) / 2.0; }
    double radius() const { return (right - left + 1) / 2.0; }
};

Disc FindDisc(int side) {
    const std::vector<unsigned char> rgb = ReadBackBuffer(side, side);
    Disc disc;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const unsigned char* p = &rgb[(static_cast<std::size_t>(y) * side + x) * 3];
            if (p[0] <= 8 && p[1] <= 8 && p[2] <= 8) continue;
            disc.left = std::min(disc.left, x);
            disc.right = std::max(disc.right, x);
            disc.bottom = std::min(disc.bottom, y);
            disc.top = std::max(disc.top, y);
            const int quarter = (x < side / 2 && y >= side / 2) ? 0 : (x >= side / 2 && y < side / 2) ? 1 : -1;
            if (quarter < 0) continue;
            for (int c = 0; c < 3; ++c) disc.sum[quarter][c] += p[c];
            ++disc.count[quarter];
        }
    }
    return disc;
}

// Screen radius of a sphere of radius r at distance d, for a 45-degree view `side` pixels high.
double ProjectedRadius(double r, double d, int side) {
    return side / 2.0 * std::tan(std::asin(r / d)) / std::tan(22.5 * kPi / 180.0);
}

double Brightness(const Disc& disc, int quarter) {
    return (disc.sum[quarter][0] + disc.sum[quarter][1] + disc.sum[quarter][2]) / disc.count[quarter];
}

void ExpectPerspective(float aspect) {
    const double f = 1.0 / std::tan(22.5 * kPi / 180.0);
    double expected[16] = {};
    expected[0] = aspect != 0.0f ? f / aspect : 1.0;  // GLU leaves the matrix alone for aspect 0
    expected[5] = aspect != 0.0f ? f : 1.0;
    expected[10] = aspect != 0.0f ? (70.0 + 1.0) / (1.0 - 70.0) : 1.0;
    expected[11] = aspect != 0.0f ? -1.0 : 0.0;
    expected[14] = aspect != 0.0f ? 2.0 * 70.0 * 1.0 / (1.0 - 70.0) : 0.0;
    expected[15] = aspect != 0.0f ? 0.0 : 1.0;
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(projection[i], expected[i], 1e-6 * (1.0 + std::fabs(expected[i]))) << "element " << i;
    }
}

}  // namespace

TEST(DrawFrame, ShowsALitDiscCentredInTheViewAtTheFrameDepth) {
    CreateRenderWindow(200);
    GLfloat modelviewBefore[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelviewBefore);

    DrawFrame();  // near the viewer: the first paints come at about -15
    const Disc nearDisc = FindDisc(200);
    const double nearRadius = ProjectedRadius(4.5, -g_sphereDepth, 200);
    EXPECT_NEAR(nearDisc.centreX(), 99.5, 1.0);
    EXPECT_NEAR(nearDisc.centreY(), 99.5, 1.0);
    EXPECT_GT(nearDisc.radius(), nearRadius * 0.98);
    EXPECT_LT(nearDisc.radius(), nearRadius + 1.0);
    // The light sits up and to the left of the eye; the texture colours the lit side.
    EXPECT_GT(Brightness(nearDisc, 0), 1.5 * Brightness(nearDisc, 1));
    const double* lit = nearDisc.sum[0];
    const auto range = std::minmax_element(lit, lit + 3);
    EXPECT_GT((*range.second - *range.first) / nearDisc.count[0], 30.0) << "not grey";

    GLfloat modelviewAfter[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelviewAfter);
    EXPECT_EQ(0, std::memcmp(modelviewBefore, modelviewAfter, sizeof modelviewBefore));

    for (int frame = 0; frame < 40 && g_sphereDepth > -28.0f; ++frame) DrawFrame();  // the far turn
    ASSERT_NEAR(g_sphereDepth, -28.2f, 1e-4f);
    const Disc farDisc = FindDisc(200);
    const double farRadius = ProjectedRadius(4.5, 28.2, 200);
    EXPECT_NEAR(farDisc.centreX(), 99.5, 1.0);
    EXPECT_GT(farDisc.radius(), farRadius * 0.98);
    EXPECT_LT(farDisc.radius(), farRadius + 1.0);
}

TEST(ResizeView, SetsTheViewportAndA45DegreePerspective) {
    CreateRenderWindow(64);
    GLint viewport[4];
    const struct {
        int width, height;
        GLint viewWidth, viewHeight;
        float aspect;
    } cases[] = {{400, 300, 400, 300, 400.0f / 300.0f}, {200, 0, 200, 1, 200.0f}, {0, 150, 0, 150, 0.0f}};
    for (const auto& c : cases) {
        glMatrixMode(GL_TEXTURE);
        glTranslatef(1.0f, 2.0f, 3.0f);  // a different mode and a moved modelview both get reset
        glMatrixMode(GL_MODELVIEW);
        glRotatef(30.0f, 0.0f, 1.0f, 0.0f);
        glMatrixMode(GL_TEXTURE);

        ResizeView(c.width, c.height);
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[0], 0);
        EXPECT_EQ(viewport[1], 0);
        EXPECT_EQ(viewport[2], c.viewWidth);
        EXPECT_EQ(viewport[3], c.viewHeight);
        ExpectPerspective(c.aspect);

        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
        GLfloat modelview[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
        for (int i = 0; i < 16; ++i) EXPECT_EQ(modelview[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
    }
}
