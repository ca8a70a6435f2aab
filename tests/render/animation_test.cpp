#include <gtest/gtest.h>

#include <vector>

#include "render/animation.h"

namespace {

struct Frame {
    float spin;
    float depth;
    float step;
};

// Frames 1..count as drawn from the start values; index 0 holds frame 1.
std::vector<Frame> RunFrames(int count) {
    float spin = kInitialSpinAngle;
    float depth = kInitialSphereDepth;
    float step = kInitialDepthStep;
    std::vector<Frame> frames;
    for (int i = 0; i < count; ++i) {
        AdvanceAnimation(spin, depth, step);
        frames.push_back({spin, depth, step});
    }
    return frames;
}

}  // namespace

TEST(AdvanceAnimation, FirstFrameTurnsTheStepAtOnce) {
    const Frame first = RunFrames(1)[0];
    EXPECT_EQ(first.spin, 2.5f);
    EXPECT_EQ(first.depth, -14.6f);
    EXPECT_EQ(first.step, -0.4f);
}

TEST(AdvanceAnimation, SpinWrapsToZeroAfter360) {
    const std::vector<Frame> f = RunFrames(300);
    EXPECT_EQ(f[143].spin, 360.0f);
    EXPECT_EQ(f[144].spin, 0.0f);
    EXPECT_EQ(f[145].spin, 2.5f);
    EXPECT_EQ(f[142].spin, 357.5f);
    // A full turn is 145 frames.
    for (int i = 0; i + 145 < 300; ++i) ASSERT_EQ(f[i].spin, f[i + 145].spin) << "frame " << i + 1;
}

TEST(AdvanceAnimation, DepthTurnsJustBeyondEachBound) {
    const std::vector<Frame> f = RunFrames(70);
    EXPECT_NEAR(f[34].depth, -28.199987f, 2e-6f);  // frame 35
    EXPECT_LT(f[34].depth, kDepthFarLimit);
    EXPECT_GT(f[34].step, 0.0f);
    EXPECT_NEAR(f[35].depth, -27.8f, 2e-5f);  // frame 36
    EXPECT_NEAR(f[68].depth, -14.6f, 2e-5f);  // frame 69
    EXPECT_GT(f[68].depth, kDepthNearLimit);
    EXPECT_LT(f[68].step, 0.0f);
    EXPECT_NEAR(f[69].depth, -15.0f, 2e-5f);  // frame 70
    for (int i = 0; i < 70; ++i) {
        ASSERT_NE(f[i].depth, kDepthNearLimit);
        ASSERT_NE(f[i].depth, kDepthFarLimit);
        ASSERT_TRUE(f[i].step == 0.4f || f[i].step == -0.4f) << f[i].step;
    }
}

TEST(AdvanceAnimation, BobRepeatsEvery68FramesWithTheSameTurningValues) {
    const std::vector<Frame> f = RunFrames(1 + 68 * 5);
    for (int i = 0; i + 68 < static_cast<int>(f.size()); ++i) {
        ASSERT_EQ(f[i].depth, f[i + 68].depth) << "frame " << i + 1;
        ASSERT_EQ(f[i].step, f[i + 68].step) << "frame " << i + 1;
    }
    int turns = 0;
    for (std::size_t i = 1; i < f.size(); ++i) turns += f[i].step != f[i - 1].step;
    EXPECT_EQ(turns, 10);  // beyond -28 on frames 35, 103, ...; beyond -14.8 on 69, 137, ...
}
