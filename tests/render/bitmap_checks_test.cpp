#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "render/bitmap_checks.h"
#include "tests/render/bmp_builder.h"

namespace {

LoadedBitmap Read(const std::vector<unsigned char>& file) { return ReadBitmapImage(file.data(), file.size()); }

struct Refusal {
    const char* what;
    BmpShape shape;
    BitmapVerdict verdict;
};

}  // namespace

TEST(ReadBitmapImage, RefusesEveryKindItCannotUploadSafely) {
    const Refusal refusals[] = {
        {"type MB", BmpWith([](BmpShape& s) { s.type = 0x424D; }), BitmapVerdict::NotBitmapFile},
        {"bfOffBits 53", BmpWith([](BmpShape& s) { s.offBits = 53; }), BitmapVerdict::HeaderBlockTooSmall},
        {"bfOffBits below 14", BmpWith([](BmpShape& s) { s.offBits = 10; }), BitmapVerdict::HeaderBlockTooSmall},
        {"bfOffBits huge", BmpWith([](BmpShape& s) { s.offBits = 0xFFFFFFF0u; }), BitmapVerdict::HeaderBlockTooLarge},
        {"core header", BmpWith([](BmpShape& s) { s.infoSize = 12; }), BitmapVerdict::HeaderBlockTooSmall},
        {"biSize past block", BmpWith([](BmpShape& s) { s.infoSize = 124; }), BitmapVerdict::HeaderBlockTooSmall},
        {"8 bits", BmpWith([](BmpShape& s) { s.bitCount = 8; }), BitmapVerdict::UnsupportedBitCount},
        {"32 bits", BmpWith([](BmpShape& s) { s.bitCount = 32; }), BitmapVerdict::UnsupportedBitCount},
        {"RLE8", BmpWith([](BmpShape& s) { s.compression = 1; }), BitmapVerdict::Compressed},
        {"bitfields", BmpWith([](BmpShape& s) { s.compression = 3; }), BitmapVerdict::Compressed},
        {"width 0", BmpWith([](BmpShape& s) { s.width = 0; }), BitmapVerdict::BadDimensions},
        {"width -2", BmpWith([](BmpShape& s) { s.width = -2; }), BitmapVerdict::BadDimensions},
        {"height 0", BmpWith([](BmpShape& s) { s.height = 0; }), BitmapVerdict::BadDimensions},
        {"height INT_MIN", BmpWith([](BmpShape& s) { s.height = INT_MIN; s.pixelBytes = 0; }),
         BitmapVerdict::SizeOverflow},
        {"row overflow", BmpWith([](BmpShape& s) { s.width = INT_MAX; s.pixelBytes = 0; }),
         BitmapVerdict::SizeOverflow},
        {"image overflow", BmpWith([](BmpShape& s) { s.width = 65536; s.height = -65536; s.pixelBytes = 0; }),
         BitmapVerdict::SizeOverflow},
        {"too large", BmpWith([](BmpShape& s) { s.width = 20000; s.height = 20000; s.pixelBytes = 0; }),
         BitmapVerdict::TooLarge},
        {"biSizeImage one short", BmpWith([](BmpShape& s) { s.width = 3; s.sizeImage = 12 * 2 - 1; }),
         BitmapVerdict::PixelCountTooSmall},
        {"biSizeImage huge", BmpWith([](BmpShape& s) { s.sizeImage = 0xFFFFFFF0u; }), BitmapVerdict::TooLarge},
        {"pixels one short", BmpWith([](BmpShape& s) { s.width = 5; s.height = -4; s.pixelBytes = 16 * 4 - 1; }),
         BitmapVerdict::ShortPixelData},
    };
    for (const Refusal& r : refusals) {
        const LoadedBitmap bitmap = Read(BuildBmp(r.shape));
        EXPECT_EQ(bitmap.verdict, r.verdict) << r.what;
        EXPECT_EQ(bitmap.pixels.get(), nullptr) << r.what;
    }
}

TEST(ReadBitmapImage, EveryTruncationIsRefusedAndShortDataKeepsTheSize) {
    BmpShape shape;
    shape.width = 5;
    shape.height = 3;
    shape.offBits = 54 + 8;  // a colour table nobody reads
    const std::vector<unsigned char> file = BuildBmp(shape);
    for (std::size_t cut = 0; cut < file.size(); ++cut) {
        const LoadedBitmap bitmap = ReadBitmapImage(file.data(), cut);
        const BitmapVerdict expected = cut < 14   ? BitmapVerdict::ShortFileHeader
                                       : cut < 62 ? BitmapVerdict::ShortHeaderBlock
                                                  : BitmapVerdict::ShortPixelData;
        ASSERT_EQ(bitmap.verdict, expected) << cut;
        ASSERT_EQ(bitmap.pixels.get(), nullptr) << cut;
        ASSERT_EQ(bitmap.sizeKnown, cut >= 62) << cut;
        if (bitmap.sizeKnown) {
            ASSERT_EQ(bitmap.width, 5);
            ASSERT_EQ(bitmap.height, 3);
        }
    }
    EXPECT_EQ(ReadBitmapImage(nullptr, 0).verdict, BitmapVerdict::ShortFileHeader);
}

TEST(ReadBitmapImage, ReadsWhatTheHeaderAsksFromBfOffBits) {
    struct Accepted {
        std::int32_t width;
        std::uint32_t sizeImage;
        std::uint32_t offBits;
        std::uint32_t expectedBytes;
    };
    // biSizeImage 0: padded rows times the height; otherwise biSizeImage itself.
    const Accepted cases[] = {
        {256, 0, 54, 768 * 3}, {2, 0, 54, 8 * 3}, {1, 0, 54, 4 * 3},
        {3, 0, 54 + 1024, 12 * 3}, {2, 8 * 3 + 5, 54, 8 * 3 + 5},
    };
    for (const Accepted& c : cases) {
        BmpShape shape;
        shape.width = c.width;
        shape.height = 3;
        shape.sizeImage = c.sizeImage;
        shape.offBits = c.offBits;
        shape.pixelBytes = c.expectedBytes;
        const std::vector<unsigned char> file = BuildBmp(shape);
        const LoadedBitmap bitmap = Read(file);
        ASSERT_EQ(bitmap.verdict, BitmapVerdict::Accepted) << c.width;
        EXPECT_EQ(bitmap.width, c.width);
        EXPECT_EQ(bitmap.height, 3);
        ASSERT_EQ(bitmap.pixelBytes, c.expectedBytes);
        EXPECT_EQ(0, std::memcmp(bitmap.pixels.get(), file.data() + c.offBits, c.expectedBytes)) << c.width;
    }
}

TEST(ReadBitmapImage, TopDownRowsComeOutBottomUp) {
    BmpShape shape;
    shape.width = 3;  // 9 bytes a row plus 3 of padding
    shape.height = -4;
    const std::vector<unsigned char> file = BuildBmp(shape);
    const LoadedBitmap bitmap = Read(file);
    ASSERT_EQ(bitmap.verdict, BitmapVerdict::Accepted);
    EXPECT_EQ(bitmap.height, 4);
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(0, std::memcmp(&bitmap.pixels[row * 12], file.data() + 54 + (3 - row) * 12, 12)) << row;
    }
}

TEST(CheckPackedDib, PixelsMustLieInsideTheResourceBottomUp) {
    BmpShape shape;
    shape.width = 2;
    shape.height = 2;
    shape.colorsUsed = 2;
    shape.offBits = 54 + 8;
    std::vector<unsigned char> file = BuildBmp(shape);
    std::vector<unsigned char> dib(file.begin() + 14, file.end());

    DibLayout layout = CheckPackedDib(dib.data(), static_cast<std::uint32_t>(dib.size()));
    EXPECT_EQ(layout.verdict, BitmapVerdict::Accepted);
    EXPECT_EQ(layout.pixelOffset, 48u);
    EXPECT_EQ(layout.uploadBytes, 16u);
    EXPECT_EQ(CheckPackedDib(dib.data(), static_cast<std::uint32_t>(dib.size() - 1)).verdict,
              BitmapVerdict::ShortPixelData);

    PutLE(dib, 32, 0x40000000u, 4);  // a colour table far beyond the resource
    EXPECT_EQ(CheckPackedDib(dib.data(), static_cast<std::uint32_t>(dib.size())).verdict,
              BitmapVerdict::ShortPixelData);
    PutLE(dib, 32, 2, 4);
    PutLE(dib, 8, static_cast<std::uint32_t>(-2), 4);
    EXPECT_EQ(CheckPackedDib(dib.data(), static_cast<std::uint32_t>(dib.size())).verdict,
              BitmapVerdict::TopDownResource);
    EXPECT_EQ(CheckPackedDib(dib.data(), 39).verdict, BitmapVerdict::HeaderBlockTooSmall);
}

TEST(FileSizeFromWords, BothWordsCountAndOnlyAnErrorMakesTheSizeUnknown) {
    EXPECT_EQ(FileSizeFromWords(54, 0, 0), 54u);
    EXPECT_EQ(FileSizeFromWords(5, 1, 0), 0x100000005ull) << "the high word is part of the size";
    // 0xFFFFFFFF in the low word is a real size when no error code came with it.
    EXPECT_EQ(FileSizeFromWords(0xFFFFFFFFu, 0, 0), 0xFFFFFFFFull);
    EXPECT_EQ(FileSizeFromWords(0xFFFFFFFFu, 2, 0), 0x2FFFFFFFFull);
    EXPECT_EQ(FileSizeFromWords(0xFFFFFFFFu, 0, 6), kUnknownFileSize) << "ERROR_INVALID_HANDLE";
    // A stale error code beside a low word other than 0xFFFFFFFF is no failure.
    EXPECT_EQ(FileSizeFromWords(100, 0, 87), 100u);
}
