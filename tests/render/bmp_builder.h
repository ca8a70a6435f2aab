// Builds BMP file images byte by byte, well-formed or broken on purpose.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

struct BmpShape {
    std::int32_t width = 2;
    std::int32_t height = 2;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
    std::uint32_t offBits = 54;
    std::uint32_t infoSize = 40;
    std::uint32_t colorsUsed = 0;
    std::uint16_t type = 0x4D42;
    long long pixelBytes = -1;  // bytes present after offBits; -1: rowBytes * |height|
};

// A default shape with one change, for tables of cases.
inline BmpShape BmpWith(void (*change)(BmpShape&)) {
    BmpShape shape;
    change(shape);
    return shape;
}

inline std::uint32_t BmpRowBytes(std::int32_t width) { return (24u * width + 31u) / 32u * 4u; }

// Pixel byte k of a built file; padding bytes too, so misplaced rows show.
inline unsigned char BmpPixelByte(std::size_t k) { return static_cast<unsigned char>(k * 37u + 11u); }

inline void PutLE(std::vector<unsigned char>& out, std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

inline std::vector<unsigned char> BuildBmp(const BmpShape& shape) {
    const long long rows = std::llabs(static_cast<long long>(shape.height));
    const long long rowBytes = shape.width > 0 ? BmpRowBytes(shape.width) : 0;
    const long long pixels = shape.pixelBytes >= 0 ? shape.pixelBytes : rowBytes * rows;
    // Pixels start at bfOffBits where that is plausible, else right after the headers.
    const std::size_t headerEnd = shape.offBits >= 54 && shape.offBits <= (1u << 20) ? shape.offBits : 54;
    const std::size_t fileSize = headerEnd + static_cast<std::size_t>(pixels);
    // The headers go into a fixed block first: GCC cannot tell that a vector
    // of a run-time size is never empty and warns of a null data pointer.
    unsigned char headers[54] = {};
    const auto put = [&headers](std::size_t at, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) headers[at + i] = static_cast<unsigned char>(value >> (8 * i));
    };
    put(0, shape.type, 2);
    put(2, static_cast<std::uint32_t>(fileSize), 4);
    put(10, shape.offBits, 4);
    put(14, shape.infoSize, 4);
    put(18, static_cast<std::uint32_t>(shape.width), 4);
    put(22, static_cast<std::uint32_t>(shape.height), 4);
    put(26, 1, 2);
    put(28, shape.bitCount, 2);
    put(30, shape.compression, 4);
    put(34, shape.sizeImage, 4);
    put(46, shape.colorsUsed, 4);
    std::vector<unsigned char> out(headers, headers + sizeof headers);
    out.resize(fileSize, 0);
    for (long long k = 0; k < pixels; ++k) out[headerEnd + k] = BmpPixelByte(static_cast<std::size_t>(k));
    return out;
}
