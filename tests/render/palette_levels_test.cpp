#include <gtest/gtest.h>

#include <vector>

#include "render/palette_levels.h"

namespace {

std::vector<int> Levels(unsigned bits) {
    std::vector<int> levels;
    for (unsigned i = 0; i < (1u << bits); ++i) levels.push_back(PaletteChannelByte(i, bits, 0));
    return levels;
}

}  // namespace

TEST(PaletteChannelByte, TruncatesRatherThanRounds) {
    EXPECT_EQ(Levels(3), (std::vector<int>{0, 36, 72, 109, 145, 182, 218, 255}));
    EXPECT_EQ(Levels(2), (std::vector<int>{0, 85, 170, 255}));
    EXPECT_EQ(Levels(1), (std::vector<int>{0, 255}));
    for (unsigned i = 0; i < 256; ++i) {
        ASSERT_EQ(PaletteChannelByte(i, 8, 0), i);
        ASSERT_EQ(PaletteChannelByte(i, 0, 0), 0) << i;
        ASSERT_EQ(PaletteChannelByte(i, 0, 5), 0) << i;
    }
}

TEST(PaletteChannelByte, ThreeThreeTwoEntries) {
    struct Rgb {
        int r, g, b;
        bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    };
    auto entry = [](unsigned i) {
        return Rgb{PaletteChannelByte(i, 3, 0), PaletteChannelByte(i, 3, 3), PaletteChannelByte(i, 2, 6)};
    };
    EXPECT_TRUE(entry(255) == (Rgb{255, 255, 255}));
    EXPECT_TRUE(entry(7) == (Rgb{255, 0, 0}));
    EXPECT_TRUE(entry(1) == (Rgb{36, 0, 0}));
    EXPECT_TRUE(entry(0b10111000) == (Rgb{0, 255, 170}));
    EXPECT_EQ(PaletteEntryCount(8), 256u);
}

TEST(PaletteChannelByte, OddShiftsAndWidthsStayInRange) {
    EXPECT_EQ(PaletteChannelByte(0xFFFFFFFFu, 3, 40), 0);  // shifted past the index
    EXPECT_EQ(PaletteChannelByte(0xFFu, 12, 0), 255);     // the mask is 8 bits at most
    EXPECT_EQ(PaletteEntryCount(0), 1u);
    EXPECT_EQ(PaletteEntryCount(9), 0u);
    EXPECT_EQ(PaletteEntryCount(24), 0u);
}

TEST(IsAcceleratedFormat, OnlyThePlainGenericFormatIsSoftware) {
    EXPECT_FALSE(IsAcceleratedFormat(kFormatGeneric));
    EXPECT_FALSE(IsAcceleratedFormat(kFormatGeneric | 0x25 | kFormatNeedPalette));
    EXPECT_TRUE(IsAcceleratedFormat(kFormatGeneric | kFormatGenericAccelerated));
    EXPECT_TRUE(IsAcceleratedFormat(0));
    EXPECT_TRUE(IsAcceleratedFormat(0x25));
    EXPECT_TRUE(IsAcceleratedFormat(kFormatGenericAccelerated));
}
