#include <gtest/gtest.h>

#include <vector>

#include "saver/bounce.h"

TEST(RenderSide, TruncatesTheSinglePrecisionProduct) {
    // 0.35f lies just below 0.35, so multiples of 20 lose a pixel.
    EXPECT_EQ(RenderSideForHeight(600), 209);
    EXPECT_EQ(RenderSideForHeight(480), 167);
    EXPECT_EQ(RenderSideForHeight(1200), 419);
    EXPECT_EQ(RenderSideForHeight(768), 268);
    EXPECT_EQ(RenderSideForHeight(1024), 358);
    EXPECT_EQ(RenderSideForHeight(112), 39);
    EXPECT_EQ(RenderSideForHeight(1080), 377);
    for (int h = 0; h <= 2; ++h) EXPECT_EQ(RenderSideForHeight(h), 0) << h;
}

TEST(RenderSide, MatchesExactArithmeticForEveryHeight) {
    // 0.35f == 0x3EB33333 / 2^24 * 2^-1 exactly: 11744051 / 2^25.
    for (long long h = 0; h <= 70000; ++h) {
        const long long exact = (h * 11744051LL) >> 25;
        ASSERT_EQ(RenderSideForHeight(static_cast<int>(h)), exact) << h;
    }
}

TEST(BounceAxisStep, LeftEdgeSequenceOn800By600) {
    const int side = RenderSideForHeight(600);
    int x = 0;
    int vx = 1;
    std::vector<int> seen;
    for (int tick = 0; tick < 2 * (800 - side) + 2 + 3; ++tick) {
        BounceAxisStep(x, vx, side, 800);
        seen.push_back(x);
    }
    std::vector<int> expected;
    for (int v = 1; v <= 591; ++v) expected.push_back(v);
    for (int v = 591; v >= 0; --v) expected.push_back(v);
    expected.push_back(0);
    expected.push_back(1);
    expected.push_back(2);
    expected.push_back(3);
    ASSERT_EQ(seen.size(), expected.size());
    EXPECT_EQ(seen, expected);
}

TEST(BounceAxisStep, RestsTwoTicksAtEachExtremeAndPeriodMatches) {
    for (int extent : {600, 800, 1080, 1920, 40}) {
        const int side = RenderSideForHeight(extent > 1000 ? 1080 : 600) % extent;
        int x = 0;
        int vx = 1;
        int previous = 0;
        int restsAtFar = 0;
        int restsAtNear = 0;
        const int period = 2 * (extent - side) + 2;
        for (int tick = 0; tick < period; ++tick) {
            BounceAxisStep(x, vx, side, extent);
            ASSERT_GE(x, 0);
            ASSERT_LE(x + side, extent);
            ASSERT_LE(std::abs(x - previous), 1);
            if (x == previous && x == extent - side) ++restsAtFar;
            if (x == previous && x == 0) ++restsAtNear;
            previous = x;
        }
        EXPECT_EQ(restsAtFar, 1) << extent;
        EXPECT_EQ(restsAtNear, 1) << extent;
        EXPECT_EQ(x, 0) << extent;
        EXPECT_EQ(vx, 1) << "one period returns to the start, extent " << extent;
    }
}

TEST(BounceAxisStep, NarrowerThanTheSideStaysAtTheLeftEdge) {
    int x = 0;
    int vx = 1;
    for (int tick = 0; tick < 10; ++tick) {
        BounceAxisStep(x, vx, 100, 60);
        EXPECT_EQ(x, 0);
        EXPECT_EQ(vx, 1);
    }
    // A saver window that shrank below the side keeps the square there too.
    x = 30;
    FitAxisInside(x, 100, 60);
    EXPECT_EQ(x, 0);
}

TEST(BounceAxisStep, ExactlyTouchingAnEdgeIsNoBounce) {
    int x = 9;
    int vx = 1;
    BounceAxisStep(x, vx, 10, 20);  // 10 + 10 == 20: touching only
    EXPECT_EQ(x, 10);
    EXPECT_EQ(vx, 1);
    x = 1;
    vx = -1;
    BounceAxisStep(x, vx, 10, 20);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(vx, -1);
}
