// Texture loads from crafted files and from the executable's bitmaps, read
// back from GL.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <climits>
#include <string>

#include "render/texture.h"
#include "resources/resource_ids.h"
#include "tests/render/bmp_builder.h"
#include "tests/render/gl_test_support.h"
#include "tests/render/test_bitmap_ids.h"

namespace {

std::string WriteBmp(const char* name, const BmpShape& shape) {
    return WriteTempFile(name, BuildBmp(shape));
}

// The texture's rows must be the file's rows in `order` (bottom row first).
void ExpectRows(const Texture& texture, const std::vector<unsigned char>& file, std::uint32_t offBits,
                const std::vector<int>& order) {
    glBindTexture(GL_TEXTURE_2D, texture.textureName);
    const std::vector<unsigned char> texels = BoundTextureBytes(texture.width, texture.height);
    const std::size_t row = BmpRowBytes(texture.width);
    for (std::size_t r = 0; r < order.size(); ++r) {
        const unsigned char* fileRow = file.data() + offBits + order[r] * row;
        // Only the pixels: GL writes no padding.
        EXPECT_EQ(std::vector<unsigned char>(texels.begin() + r * row, texels.begin() + r * row + texture.width * 3),
                  std::vector<unsigned char>(fileRow, fileRow + texture.width * 3))
            << "texture row " << r;
    }
}

GLuint LoadGoodFile(Texture& texture) {
    BmpShape good;
    good.width = 4;
    good.height = 4;
    EXPECT_EQ(texture.LoadFromFile(WriteBmp("good.bmp", good).c_str()), 1);
    return texture.textureName;
}

}  // namespace

TEST(TextureFile, RefusedFilesLeaveNoTextureAndAreClosed) {
    CreateRenderWindow(16);
    struct Refusal {
        const char* name;
        BmpShape shape;
    };
    // One of each kind; ReadBitmapFile's own tests cover the kinds in depth.
    const Refusal refusals[] = {
        {"type.bmp", BmpWith([](BmpShape& s) { s.type = 0x4141; })},
        {"offbits.bmp", BmpWith([](BmpShape& s) { s.offBits = 53; })},
        {"core.bmp", BmpWith([](BmpShape& s) { s.infoSize = 12; })},
        {"eight.bmp", BmpWith([](BmpShape& s) { s.bitCount = 8; })},
        {"rle.bmp", BmpWith([](BmpShape& s) { s.compression = 1; })},
        {"sizeimage.bmp", BmpWith([](BmpShape& s) { s.sizeImage = 15; })},  // the upload reads 16
        {"width0.bmp", BmpWith([](BmpShape& s) { s.width = 0; })},
        {"widthneg.bmp", BmpWith([](BmpShape& s) { s.width = -4; })},
        {"height0.bmp", BmpWith([](BmpShape& s) { s.height = 0; })},
        {"overflow.bmp", BmpWith([](BmpShape& s) { s.width = 0x10000000; s.height = 64; s.pixelBytes = 16; })},
        {"huge.bmp", BmpWith([](BmpShape& s) { s.width = 16384; s.height = 16384; s.pixelBytes = 16; })},
        {"short.bmp", BmpWith([](BmpShape& s) { s.pixelBytes = 5; })},
    };
    for (const Refusal& r : refusals) {
        Texture texture;
        const GLuint before = LoadGoodFile(texture);
        const std::string path = WriteBmp(r.name, r.shape);
        EXPECT_EQ(texture.LoadFromFile(path.c_str()), 0) << r.name;
        EXPECT_EQ(texture.loaded, 0) << r.name;
        EXPECT_EQ(texture.textureName, 0u) << r.name;
        EXPECT_EQ(texture.pixels, nullptr) << r.name;
        EXPECT_FALSE(glIsTexture(before)) << r.name;
        EXPECT_TRUE(DeleteFileA(path.c_str())) << r.name << ": still open";
    }
    Texture texture;
    LoadGoodFile(texture);
    EXPECT_EQ(texture.LoadFromFile("Z:\\no\\such\\file.bmp"), 0);
    EXPECT_EQ(texture.textureName, 0u);
    const std::vector<unsigned char> tiny = {'B', 'M', 0, 0};
    EXPECT_EQ(texture.LoadFromFile(WriteTempFile("tiny.bmp", tiny).c_str()), 0);
}

TEST(TextureFile, AcceptedShapesUploadTheRowsAsStored) {
    CreateRenderWindow(16);
    struct Shape {
        std::int32_t width, height;
        std::uint32_t sizeImage, offBits;
    };
    // Rows padded from 3 and 6 bytes, biSizeImage 0 and larger than needed, a colour table.
    const Shape shapes[] = {{256, 4, 0, 54}, {2, 2, 0, 54}, {1, 4, 0, 54}, {4, 2, 100, 54}, {2, 4, 0, 54 + 64}};
    for (const Shape& s : shapes) {
        BmpShape shape;
        shape.width = s.width;
        shape.height = s.height;
        shape.sizeImage = s.sizeImage;
        shape.offBits = s.offBits;
        if (s.sizeImage != 0) shape.pixelBytes = s.sizeImage;
        const std::vector<unsigned char> file = BuildBmp(shape);
        Texture texture;
        ASSERT_EQ(texture.LoadFromFile(WriteTempFile("accepted.bmp", file).c_str()), 1) << s.width;
        EXPECT_EQ(texture.loaded, 1);
        EXPECT_EQ(texture.pixels, nullptr);
        EXPECT_EQ(texture.width, s.width);
        EXPECT_EQ(texture.height, s.height);
        std::vector<int> order;
        for (int r = 0; r < s.height; ++r) order.push_back(r);
        ExpectRows(texture, file, s.offBits, order);
    }
}

TEST(TextureFile, TopDownFileStandsUpright) {
    CreateRenderWindow(16);
    BmpShape shape;
    shape.width = 2;
    shape.height = -4;
    const std::vector<unsigned char> file = BuildBmp(shape);
    Texture texture;
    ASSERT_EQ(texture.LoadFromFile(WriteTempFile("topdown.bmp", file).c_str()), 1);
    EXPECT_EQ(texture.height, 4);
    ExpectRows(texture, file, 54, {3, 2, 1, 0});
}

TEST(TextureFile, ShortPixelDataKeepsTheFileSizeAndNoPixels) {
    CreateRenderWindow(16);
    BmpShape shape;
    shape.width = 8;
    shape.height = -2;
    shape.pixelBytes = 47;
    Texture texture;
    EXPECT_EQ(texture.LoadFromFile(WriteBmp("cut.bmp", shape).c_str()), 0);
    EXPECT_EQ(texture.width, 8);
    EXPECT_EQ(texture.height, 2);
    EXPECT_EQ(texture.pixels, nullptr);
}

TEST(TextureFile, LoadingAgainDeletesTheFirstName) {
    CreateRenderWindow(16);
    Texture texture;
    const GLuint first = LoadGoodFile(texture);
    GLuint other;
    glGenTextures(1, &other);  // keeps the next name from simply being the same
    glBindTexture(GL_TEXTURE_2D, other);
    const GLuint second = LoadGoodFile(texture);
    EXPECT_NE(second, 0u);
    EXPECT_TRUE(second == first || !glIsTexture(first));
}

TEST(TextureResource, RefusesBitmapsItCannotUploadInPlace) {
    CreateRenderWindow(16);
    Texture texture;
    ASSERT_EQ(texture.LoadFromResource(IDB_SPHERE_TEXTURE), 1);
    const GLuint name = texture.textureName;
    const unsigned char* const pixels = texture.pixels;
    for (int id : {IDB_TEST_EIGHT_BIT, IDB_TEST_TOP_DOWN, IDB_TEST_MISSING}) {
        EXPECT_EQ(texture.LoadFromResource(id), 0) << id;
        EXPECT_EQ(texture.loaded, 0) << id;
        EXPECT_EQ(texture.textureName, name) << id;
        EXPECT_EQ(texture.pixels, pixels) << id;
        EXPECT_EQ(texture.width, 256) << id;
        EXPECT_EQ(texture.height, 512) << id;
    }
    EXPECT_TRUE(glIsTexture(name)) << "a refused load keeps the texture it had";
}

TEST(TextureResource, LoadingAgainReplacesTheName) {
    CreateRenderWindow(16);
    Texture texture;
    EXPECT_EQ(texture.LoadFromResource(IDB_SPHERE_TEXTURE), 1);
    const GLuint first = texture.textureName;
    GLuint other;
    glGenTextures(1, &other);
    glBindTexture(GL_TEXTURE_2D, other);
    EXPECT_EQ(texture.LoadFromResource(IDB_SPHERE_TEXTURE), 1);
    EXPECT_TRUE(texture.textureName == first || !glIsTexture(first));
}
