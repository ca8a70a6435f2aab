#include "render/bitmap_checks.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

namespace {

std::uint16_t ReadU16(const unsigned char* at) {
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

std::uint32_t ReadU32(const unsigned char* at) {
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

std::int32_t ReadS32(const unsigned char* at) {
    const std::uint32_t raw = ReadU32(at);
    std::int32_t value;
    std::memcpy(&value, &raw, sizeof value);
    return value;
}

DibLayout Refused(BitmapVerdict verdict) {
    DibLayout layout = {};
    layout.verdict = verdict;
    return layout;
}

DibLayout Refused(DibLayout layout, BitmapVerdict verdict) {
    layout.verdict = verdict;
    return layout;
}

void TurnUpright(unsigned char* rows, std::uint32_t rowBytes, std::int32_t height) {
    unsigned char* top = rows;
    unsigned char* bottom = rows + static_cast<std::size_t>(rowBytes) * (height - 1);
    for (; top < bottom; top += rowBytes, bottom -= rowBytes) {
        std::swap_ranges(top, top + rowBytes, bottom);
    }
}

struct BlockRead {
    BitmapVerdict verdict;
    HeapBlock<unsigned char[]> bytes;  // Accepted only
};

// The next `count` bytes of the source in a block of their own. Refused as
// `shortVerdict` before anything is allocated when the source has fewer than
// that `left`, and after the read when it gave fewer.
BlockRead ReadBlock(ReadBytesFn read, void* source, std::uint64_t left, std::uint32_t count,
                    BitmapVerdict shortVerdict) {
    if (left < count) return {shortVerdict, nullptr};
    HeapBlock<unsigned char[]> bytes = AllocateBlock<unsigned char[]>(count);
    if (bytes == nullptr) return {BitmapVerdict::OutOfMemory, nullptr};
    if (read(source, bytes.get(), count) != count) return {shortVerdict, nullptr};
    return {BitmapVerdict::Accepted, std::move(bytes)};
}

struct MemorySource {
    const unsigned char* data;
    std::size_t size;
    std::size_t position;
};

std::uint32_t ReadFromMemory(void* source, unsigned char* buffer, std::uint32_t count) {
    MemorySource& memory = *static_cast<MemorySource*>(source);
    const std::size_t left = memory.size - memory.position;
    const std::uint32_t taken = static_cast<std::uint32_t>(std::min<std::size_t>(left, count));
    if (taken != 0) std::memcpy(buffer, memory.data + memory.position, taken);
    memory.position += taken;
    return taken;
}

}  // namespace

FileHeaderCheck CheckFileHeader(const unsigned char* header, std::size_t size) {
    if (size < kFileHeaderBytes) return {BitmapVerdict::ShortFileHeader, 0};
    if (ReadU16(header) != kBitmapFileType) return {BitmapVerdict::NotBitmapFile, 0};
    const std::uint32_t offBits = ReadU32(header + 10);
    // Also keeps bfOffBits - 14 from wrapping below zero.
    if (offBits < kFileHeaderBytes + kInfoHeaderBytes) return {BitmapVerdict::HeaderBlockTooSmall, 0};
    const std::uint32_t block = offBits - kFileHeaderBytes;
    if (block > kMaxHeaderBlockBytes) return {BitmapVerdict::HeaderBlockTooLarge, 0};
    return {BitmapVerdict::Accepted, block};
}

DibLayout CheckInfoHeader(const unsigned char* block, std::uint32_t size) {
    if (size < kInfoHeaderBytes) return Refused(BitmapVerdict::HeaderBlockTooSmall);
    const std::uint32_t infoSize = ReadU32(block);
    // A smaller biSize is another header layout (the 12-byte core header);
    // a larger one than the block has overlaps the pixels.
    if (infoSize < kInfoHeaderBytes || infoSize > size) return Refused(BitmapVerdict::HeaderBlockTooSmall);

    const std::int32_t width = ReadS32(block + 4);
    const std::int32_t storedHeight = ReadS32(block + 8);
    const std::uint16_t bitCount = ReadU16(block + 14);
    const std::uint32_t compression = ReadU32(block + 16);
    const std::uint32_t sizeImage = ReadU32(block + 20);
    const std::uint32_t colorsUsed = ReadU32(block + 32);

    if (width <= 0 || storedHeight == 0) return Refused(BitmapVerdict::BadDimensions);
    if (storedHeight == INT32_MIN) return Refused(BitmapVerdict::SizeOverflow);

    DibLayout layout = {};
    layout.verdict = BitmapVerdict::Accepted;
    layout.sizeKnown = true;
    layout.width = width;
    layout.topDown = storedHeight < 0;
    layout.height = layout.topDown ? -storedHeight : storedHeight;

    if (bitCount != 24) return Refused(layout, BitmapVerdict::UnsupportedBitCount);
    if (compression != 0) return Refused(layout, BitmapVerdict::Compressed);

    // Rows of 24 bits a pixel padded to 32 bits, in the loader's 32-bit arithmetic.
    const std::uint64_t rowBits = 24ull * static_cast<std::uint64_t>(width) + 31u;
    if (rowBits > UINT32_MAX) return Refused(layout, BitmapVerdict::SizeOverflow);
    layout.rowBytes = static_cast<std::uint32_t>(rowBits / 32u * 4u);
    const std::uint64_t upload = static_cast<std::uint64_t>(layout.rowBytes) * layout.height;
    if (upload > UINT32_MAX) return Refused(layout, BitmapVerdict::SizeOverflow);
    layout.uploadBytes = static_cast<std::uint32_t>(upload);
    if (layout.uploadBytes > kMaxPixelBytes) return Refused(layout, BitmapVerdict::TooLarge);

    if (sizeImage == 0) {
        layout.pixelBytes = layout.uploadBytes;
    } else if (sizeImage < layout.uploadBytes) {
        return Refused(layout, BitmapVerdict::PixelCountTooSmall);
    } else if (sizeImage > kMaxPixelBytes) {
        return Refused(layout, BitmapVerdict::TooLarge);
    } else {
        layout.pixelBytes = sizeImage;
    }

    const std::uint64_t offset = static_cast<std::uint64_t>(infoSize) + 4ull * colorsUsed;
    layout.pixelOffset = offset > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(offset);
    return layout;
}

DibLayout CheckPackedDib(const unsigned char* dib, std::uint32_t size) {
    DibLayout layout = CheckInfoHeader(dib, size);
    if (layout.verdict != BitmapVerdict::Accepted) return layout;
    if (layout.topDown) {
        layout.verdict = BitmapVerdict::TopDownResource;
    } else if (layout.pixelOffset > size || size - layout.pixelOffset < layout.uploadBytes) {
        layout.verdict = BitmapVerdict::ShortPixelData;
    }
    return layout;
}

std::uint64_t FileSizeFromWords(std::uint32_t low, std::uint32_t high, std::uint32_t lastError) {
    if (low == 0xFFFFFFFFu && lastError != 0) return kUnknownFileSize;
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

LoadedBitmap ReadBitmapFile(ReadBytesFn read, void* source, std::uint64_t fileSize) {
    LoadedBitmap result = {};

    unsigned char fileHeader[kFileHeaderBytes];
    const std::uint32_t headerRead = read(source, fileHeader, kFileHeaderBytes);
    const FileHeaderCheck file = CheckFileHeader(fileHeader, headerRead);
    if (file.verdict != BitmapVerdict::Accepted) {
        result.verdict = file.verdict;
        return result;
    }

    std::uint64_t left = fileSize >= kFileHeaderBytes ? fileSize - kFileHeaderBytes : 0;
    BlockRead header = ReadBlock(read, source, left, file.headerBlockBytes, BitmapVerdict::ShortHeaderBlock);
    if (header.verdict != BitmapVerdict::Accepted) {
        result.verdict = header.verdict;
        return result;
    }
    left -= file.headerBlockBytes;
    const DibLayout layout = CheckInfoHeader(header.bytes.get(), file.headerBlockBytes);
    header.bytes.reset();  // before the pixels are allocated: never both at once

    result.verdict = layout.verdict;
    result.sizeKnown = layout.sizeKnown;
    result.width = layout.width;
    result.height = layout.height;
    if (layout.verdict != BitmapVerdict::Accepted) return result;

    BlockRead pixels = ReadBlock(read, source, left, layout.pixelBytes, BitmapVerdict::ShortPixelData);
    if (pixels.verdict != BitmapVerdict::Accepted) {
        result.verdict = pixels.verdict;
        return result;
    }
    // GL takes the first row as the bottom one.
    if (layout.topDown) TurnUpright(pixels.bytes.get(), layout.rowBytes, layout.height);
    result.pixels = std::move(pixels.bytes);
    result.pixelBytes = layout.pixelBytes;
    return result;
}

LoadedBitmap ReadBitmapImage(const unsigned char* data, std::size_t size) {
    MemorySource memory = {data, size, 0};
    return ReadBitmapFile(ReadFromMemory, &memory, size);
}
