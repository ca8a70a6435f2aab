// The resources read back from the built saver, the way the platform, the
// dialog manager and the shell find them.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/resources/about_box_template.h"
#include "tests/resources/byte_reader.h"

namespace {

constexpr WORD kUsEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

std::string SaverPath() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string exe(path, length);
    return exe.substr(0, exe.find_last_of("\\/")) + "\\vorbix.scr";
}

using Entry = std::tuple<int, int, int>;  // type, identifier, language

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR found) {
    reinterpret_cast<std::set<Entry>*>(found)->emplace(
        IS_INTRESOURCE(type) ? static_cast<int>(reinterpret_cast<UINT_PTR>(type)) : -1,
        IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<UINT_PTR>(name)) : -1, language);
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR found) {
    EnumResourceLanguagesA(module, type, name, CollectLanguage, found);
    return TRUE;
}

BOOL CALLBACK CollectType(HMODULE module, LPSTR type, LONG_PTR found) {
    EnumResourceNamesA(module, type, CollectName, found);
    return TRUE;
}

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// Pixel (x, y) of a 24-bit bottom-up packed bitmap, y counted from the top.
Rgb PixelAt(const std::vector<unsigned char>& dib, int width, int height, int x, int y) {
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    const size_t at = 40 + static_cast<size_t>(height - 1 - y) * stride + static_cast<size_t>(x) * 3;
    return {dib[at + 2], dib[at + 1], dib[at]};
}

// The table's ASCII texts as the template stores them.
std::wstring Wide(const char* text) { return std::wstring(text, text + std::strlen(text)); }
// A name-or-ordinal field holding an ordinal, as ByteReader::NameOrOrdinal gives it.
std::wstring Ordinal(WORD number) { return L"#" + std::to_wstring(number); }

bool IsDarkBlue(const Rgb& c) { return c.b > c.r && c.b > c.g && c.r + c.g + c.b < 360; }
bool IsLight(const Rgb& c) { return c.r >= 200 && c.g >= 200 && c.b >= 200; }

BITMAPINFOHEADER InfoHeader(const std::vector<unsigned char>& bytes) {
    BITMAPINFOHEADER header = {};
    if (bytes.size() >= sizeof(header)) std::memcpy(&header, bytes.data(), sizeof(header));
    return header;
}

void ExpectInfoHeader(const BITMAPINFOHEADER& h, LONG width, LONG height, WORD bits,
                      DWORD imageSize) {
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, width);
    EXPECT_EQ(h.biHeight, height);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, bits);
    EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(h.biSizeImage, imageSize);
    EXPECT_EQ(h.biClrUsed, 0u);
    EXPECT_EQ(h.biClrImportant, 0u);
}

// A 24-bit bitmap resource as windres packs it: the info header, then exactly
// imageSize bytes of pixels, with no colour table between.
void ExpectPackedBitmap(const std::vector<unsigned char>& bytes, LONG width, LONG height, DWORD imageSize,
                        LONG pelsPerMeter) {
    ASSERT_EQ(bytes.size(), 40u + imageSize);
    const BITMAPINFOHEADER header = InfoHeader(bytes);
    ExpectInfoHeader(header, width, height, 24, imageSize);
    EXPECT_EQ(header.biXPelsPerMeter, pelsPerMeter);
    EXPECT_EQ(header.biYPelsPerMeter, pelsPerMeter);
}

// One node of a version resource: key, value and children.
struct VersionNode {
    std::wstring key;
    WORD type = 0;
    std::vector<unsigned char> value;
    std::vector<VersionNode> children;

    std::wstring Text() const {
        std::wstring text;
        for (size_t i = 0; i + 1 < value.size(); i += 2) {
            const wchar_t c = static_cast<wchar_t>(value[i] | value[i + 1] << 8);
            if (c == 0) break;
            text += c;
        }
        return text;
    }
};

VersionNode ReadVersionNode(ByteReader& reader) {
    VersionNode node;
    const size_t start = reader.offset();
    const WORD length = reader.Word();
    const WORD valueLength = reader.Word();
    node.type = reader.Word();
    node.key = reader.WideString();
    reader.AlignDword();
    node.value = reader.Bytes(node.type == 1 ? valueLength * 2u : valueLength);
    reader.AlignDword();
    while (reader.offset() < start + length && !reader.overrun()) {
        node.children.push_back(ReadVersionNode(reader));
        reader.AlignDword();
    }
    return node;
}

class SaverResources : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExA(SaverPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << SaverPath();
    }
    void TearDown() override {
        if (module_ != nullptr) FreeLibrary(module_);
    }

    std::vector<unsigned char> Bytes(LPCSTR type, int id) const {
        HRSRC found = FindResourceExA(module_, type, MAKEINTRESOURCEA(id), kUsEnglish);
        if (found == nullptr) {
            ADD_FAILURE() << "resource " << id << " not found";
            return {};
        }
        const auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(module_, found)));
        return std::vector<unsigned char>(data, data + SizeofResource(module_, found));
    }

    HMODULE module_ = nullptr;
};

TEST_F(SaverResources, HoldsExactlyTheEightResourcesInUsEnglish) {
    std::set<Entry> found;
    EnumResourceTypesA(module_, CollectType, reinterpret_cast<LONG_PTR>(&found));
    const std::set<Entry> expected = {
        {2, IDB_SPHERE_TEXTURE, kUsEnglish}, {2, IDB_BANNER, kUsEnglish},
        {3, IDI_VORBIX_16, kUsEnglish},      {3, IDI_VORBIX_32, kUsEnglish},
        {5, IDD_ABOUT, kUsEnglish},          {6, IDS_DESCRIPTION / 16 + 1, kUsEnglish},  // its block
        {14, IDI_VORBIX, kUsEnglish},        {16, VS_VERSION_INFO, kUsEnglish},
    };
    EXPECT_EQ(found, expected);

    // The saver window class asks for icon 100, which is not there.
    EXPECT_EQ(FindResourceA(module_, MAKEINTRESOURCEA(100), MAKEINTRESOURCEA(14)), nullptr);
    EXPECT_EQ(FindResourceA(module_, MAKEINTRESOURCEA(100), MAKEINTRESOURCEA(3)), nullptr);
}

TEST_F(SaverResources, TextureIsAPackedBitmapWithItsPixelsRightAfterTheHeader) {
    const auto bytes = Bytes(MAKEINTRESOURCEA(2), IDB_SPHERE_TEXTURE);
    EXPECT_EQ(bytes.size(), 393256u);
    ExpectPackedBitmap(bytes, 256, 512, 768 * 512, 2795);
}

TEST_F(SaverResources, TextureRingFillsTheMiddleHalfOnPlainOrange) {
    const auto bytes = Bytes(MAKEINTRESOURCEA(2), IDB_SPHERE_TEXTURE);
    ASSERT_EQ(bytes.size(), 393256u);
    const Rgb orange = PixelAt(bytes, 256, 512, 0, 0);
    EXPECT_TRUE(orange.r > 200 && orange.r > orange.g && orange.g > orange.b);

    int offField = 0;
    for (int y = 0; y < 512; ++y) {
        if (y == 128) y = 384;
        for (int x = 0; x < 256; ++x) offField += !(PixelAt(bytes, 256, 512, x, y) == orange);
    }
    EXPECT_EQ(offField, 0) << "pixels in the top and bottom quarters that are not plain orange";

    for (int y = 128; y < 384; ++y) {
        bool marked = false;
        for (int x = 0; x < 256 && !marked; ++x) marked = !(PixelAt(bytes, 256, 512, x, y) == orange);
        EXPECT_TRUE(marked) << "row " << y << " of the middle half is plain";
    }
    // At its widest the ring reaches both sides (the outermost columns are its
    // anti-aliased rim), in dark red.
    for (int x : {1, 254}) {
        const Rgb side = PixelAt(bytes, 256, 512, x, 256);
        EXPECT_TRUE(side.r >= 100 && side.r <= 180 && side.g < 60 && side.b < 60) << x;
    }
}

TEST_F(SaverResources, BannerIsAPackedBitmapOfTheMakersName) {
    const auto bytes = Bytes(MAKEINTRESOURCEA(2), IDB_BANNER);
    EXPECT_EQ(bytes.size(), 5800u);
    ASSERT_NO_FATAL_FAILURE(ExpectPackedBitmap(bytes, 120, 16, 5760, 2834));

    // Light lettering on dark blue at the left, dark blue lettering on white at the right.
    int leftDark = 0, leftLight = 0, rightWhite = 0, rightDark = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 120; ++x) {
            const Rgb c = PixelAt(bytes, 120, 16, x, y);
            if (x < 60) {
                leftDark += IsDarkBlue(c);
                leftLight += IsLight(c);
            } else {
                rightWhite += c == Rgb{255, 255, 255};
                rightDark += IsDarkBlue(c);
            }
        }
    }
    EXPECT_EQ(leftDark + leftLight, 60 * 16);
    EXPECT_GT(leftDark, leftLight);
    EXPECT_GT(leftLight, 0);
    EXPECT_EQ(rightWhite + rightDark, 60 * 16);
    EXPECT_GT(rightWhite, rightDark);
    EXPECT_GT(rightDark, 0);
}

TEST_F(SaverResources, IconsAreOpaqueSixteenColourImagesOfTheLogo) {
    const BYTE standard[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                  {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {128, 128, 128},
                                  {192, 192, 192}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                  {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    enum { kNavy = 4, kTeal = 6, kSilver = 8, kRed = 9 };
    struct Image {
        int id, size;
        size_t total;
        DWORD imageSize;
    };
    for (const Image image : {Image{IDI_VORBIX_16, 16, 296, 192}, Image{IDI_VORBIX_32, 32, 744, 640}}) {
        SCOPED_TRACE(image.id);
        const auto bytes = Bytes(MAKEINTRESOURCEA(3), image.id);
        ASSERT_EQ(bytes.size(), image.total);
        ExpectInfoHeader(InfoHeader(bytes), image.size, 2 * image.size, 4, image.imageSize);
        for (int i = 0; i < 16; ++i) {
            const unsigned char* quad = &bytes[40 + 4 * i];
            EXPECT_TRUE(quad[2] == standard[i][0] && quad[1] == standard[i][1] &&
                        quad[0] == standard[i][2] && quad[3] == 0)
                << "palette entry " << i;
        }
        const size_t colourBytes = static_cast<size_t>(image.size) * image.size / 2;
        const size_t maskStart = 40 + 64 + colourBytes;
        EXPECT_EQ(bytes.size() - maskStart, static_cast<size_t>(image.size) * 4);
        for (size_t i = maskStart; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], 0) << "mask byte " << i;

        // Teal, red and silver, inside a navy border on the large image.
        std::set<int> inside;
        int border = 0, borderNavy = 0;
        for (int y = 0; y < image.size; ++y) {
            for (int x = 0; x < image.size; ++x) {
                const unsigned char pair = bytes[40 + 64 + (y * image.size + x) / 2];
                const int index = x % 2 == 0 ? pair >> 4 : pair & 15;
                const bool edge = x == 0 || y == 0 || x == image.size - 1 || y == image.size - 1;
                if (image.size == 32 && edge) {
                    ++border;
                    borderNavy += index == kNavy;
                } else {
                    inside.insert(index);
                }
            }
        }
        EXPECT_EQ(borderNavy, border);
        EXPECT_EQ(inside, (std::set<int>{kTeal, kSilver, kRed}));
    }
}

TEST_F(SaverResources, IconGroupListsBothImages) {
    const std::vector<unsigned char> expected = {
        0, 0, 1, 0, 2, 0,                                        // reserved, type icon, two entries
        16, 16, 16, 0, 1, 0, 4, 0, 0x28, 0x01, 0, 0, 1, 0,       // 16 x 16, 296 bytes, icon 1
        32, 32, 16, 0, 1, 0, 4, 0, 0xE8, 0x02, 0, 0, 2, 0,       // 32 x 32, 744 bytes, icon 2
    };
    EXPECT_EQ(Bytes(MAKEINTRESOURCEA(14), IDI_VORBIX), expected);
}

TEST_F(SaverResources, AboutDialogTemplateFieldByField) {
    const auto bytes = Bytes(MAKEINTRESOURCEA(5), IDD_ABOUT);
    ByteReader reader(bytes);
    EXPECT_EQ(reader.Dword(), kAboutBoxStyle);
    EXPECT_EQ(reader.Dword(), 0u);
    EXPECT_EQ(reader.Word(), std::size(kAboutBoxControls));
    EXPECT_EQ(reader.Short(), kAboutBoxX);
    EXPECT_EQ(reader.Short(), kAboutBoxY);
    EXPECT_EQ(reader.Short(), kAboutBoxWidth);
    EXPECT_EQ(reader.Short(), kAboutBoxHeight);
    EXPECT_EQ(reader.NameOrOrdinal(), L"") << "menu";
    EXPECT_EQ(reader.NameOrOrdinal(), L"") << "window class";
    EXPECT_EQ(reader.WideString(), Wide(kAboutBoxCaption));
    EXPECT_EQ(reader.Word(), kAboutBoxFontPoints);
    EXPECT_EQ(reader.WideString(), Wide(kAboutBoxFont));

    for (const AboutBoxControl& c : kAboutBoxControls) {
        SCOPED_TRACE(c.text != nullptr ? c.text : "banner");
        reader.AlignDword();
        EXPECT_EQ(reader.Dword(), c.style);
        EXPECT_EQ(reader.Dword(), 0u) << "extended style";
        EXPECT_EQ(reader.Short(), c.x);
        EXPECT_EQ(reader.Short(), c.y);
        EXPECT_EQ(reader.Short(), c.cx);
        EXPECT_EQ(reader.Short(), c.cy);
        EXPECT_EQ(reader.Word(), c.id);
        EXPECT_EQ(reader.NameOrOrdinal(), c.predefinedClass != 0 ? Ordinal(c.predefinedClass) : Wide(c.className));
        EXPECT_EQ(reader.NameOrOrdinal(), c.text != nullptr ? Wide(c.text) : Ordinal(IDB_BANNER));
        EXPECT_EQ(reader.Word(), 0) << "creation data";
    }
    EXPECT_FALSE(reader.overrun());
    EXPECT_EQ(reader.offset(), bytes.size());
}

TEST_F(SaverResources, StringBlockHoldsOnlyTheDescription) {
    const auto bytes = Bytes(MAKEINTRESOURCEA(6), 1);  // strings 0 to 15
    ByteReader reader(bytes);
    for (int index = 0; index < 16; ++index) {
        std::wstring text;
        for (WORD length = reader.Word(); length > 0; --length) text += static_cast<wchar_t>(reader.Word());
        EXPECT_EQ(text, index == IDS_DESCRIPTION ? L"Wygaszacz Vorbix3D" : L"") << index;
    }
    EXPECT_FALSE(reader.overrun());
    EXPECT_EQ(reader.offset(), bytes.size());
}

TEST_F(SaverResources, VersionBlockFixedPart) {
    const auto bytes = Bytes(MAKEINTRESOURCEA(16), VS_VERSION_INFO);
    ByteReader reader(bytes);
    const VersionNode root = ReadVersionNode(reader);
    EXPECT_EQ(root.key, L"VS_VERSION_INFO");
    ASSERT_EQ(root.value.size(), sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, root.value.data(), sizeof(fixed));
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwStrucVersion, 0x00010000u);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x0003000Au);  // 3.10
    EXPECT_EQ(fixed.dwFileVersionLS, 0x00000067u);  // 0.103
    EXPECT_EQ(fixed.dwProductVersionMS, 0x0003000Au);
    EXPECT_EQ(fixed.dwProductVersionLS, 0x00000067u);
    EXPECT_EQ(fixed.dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed.dwFileFlags, 0u);
    EXPECT_EQ(fixed.dwFileOS, static_cast<DWORD>(VOS__WINDOWS16));
    EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed.dwFileSubtype, 0u);
    EXPECT_EQ(fixed.dwFileDateMS, 0u);
    EXPECT_EQ(fixed.dwFileDateLS, 0u);
}

TEST_F(SaverResources, VersionBlockStringsInOrderAndTranslation) {
    const auto bytes = Bytes(MAKEINTRESOURCEA(16), VS_VERSION_INFO);
    ByteReader reader(bytes);
    const VersionNode root = ReadVersionNode(reader);
    ASSERT_EQ(root.children.size(), 2u);

    const VersionNode& strings = root.children[0];
    EXPECT_EQ(strings.key, L"StringFileInfo");
    ASSERT_EQ(strings.children.size(), 1u);
    EXPECT_EQ(strings.children[0].key, L"040904e4");
    std::vector<std::pair<std::wstring, std::wstring>> values;
    for (const VersionNode& value : strings.children[0].children) {
        EXPECT_EQ(value.type, 1) << "text value";
        values.emplace_back(value.key, value.Text());
    }
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"CompanyName", L"Vorbix Studio"}, {L"FileDescription", L"Wygaszacz Vorbix3D"},
        {L"FileVersion", L"0.01"},          {L"InternalName", L""},
        {L"OriginalFilename", L"vorbix.scr"}, {L"ProductName", L""},
        {L"ProductVersion", L"1.0"},
    };
    EXPECT_EQ(values, expected);

    const VersionNode& variables = root.children[1];
    EXPECT_EQ(variables.key, L"VarFileInfo");
    ASSERT_EQ(variables.children.size(), 1u);
    EXPECT_EQ(variables.children[0].key, L"Translation");
    EXPECT_EQ(variables.children[0].value, (std::vector<unsigned char>{0x09, 0x04, 0xE4, 0x04}));
}

}  // namespace
