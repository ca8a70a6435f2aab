// What the texture loader accepts from a 24-bit bitmap, and how much it reads.
// Free of platform calls: the file loader runs ReadBitmapFile over its file
// handle, and ReadBitmapImage runs the same decisions and reads over a file
// image in memory (tests, fuzzing).
#pragma once

#include <cstddef>
#include <cstdint>

#include "render/heap_block.h"

constexpr std::uint32_t kFileHeaderBytes = 14;  // BITMAPFILEHEADER
constexpr std::uint32_t kInfoHeaderBytes = 40;  // BITMAPINFOHEADER
constexpr std::uint16_t kBitmapFileType = 0x4D42;  // "BM"
// A header block beyond this is no bitmap this loader wants.
constexpr std::uint32_t kMaxHeaderBlockBytes = 1u << 20;
// More pixel data than a 32-bit process can reasonably hold twice (heap copy
// and GL's own); refused before any allocation is tried.
constexpr std::uint32_t kMaxPixelBytes = 1u << 30;

enum class BitmapVerdict {
    Accepted,
    ShortFileHeader,      // fewer than 14 bytes
    NotBitmapFile,        // bfType is not "BM"
    HeaderBlockTooSmall,  // room for less than a BITMAPINFOHEADER, or biSize outside the block
    HeaderBlockTooLarge,  // bfOffBits beyond kMaxHeaderBlockBytes
    ShortHeaderBlock,     // the file ends inside the header block
    BadDimensions,        // width not positive, height 0
    UnsupportedBitCount,  // not 24 bits a pixel
    Compressed,           // biCompression not BI_RGB
    SizeOverflow,         // a size does not fit the 32-bit arithmetic
    TooLarge,             // more than kMaxPixelBytes
    PixelCountTooSmall,   // biSizeImage below the rows the upload reads
    TopDownResource,      // a resource is uploaded in place and cannot be turned upright
    OutOfMemory,          // an allocation failed
    ShortPixelData,       // the data ends before the pixel byte count
};

// The 14-byte file header: type and the size of the header block that follows
// it (everything up to bfOffBits).
struct FileHeaderCheck {
    BitmapVerdict verdict;
    std::uint32_t headerBlockBytes;
};
FileHeaderCheck CheckFileHeader(const unsigned char* header, std::size_t size);

// What a BITMAPINFOHEADER at the start of `block` allows.
struct DibLayout {
    BitmapVerdict verdict;
    bool sizeKnown;             // width and height below are valid image dimensions
    std::int32_t width;         // pixels, positive
    std::int32_t height;        // pixels, positive: the upright height that is uploaded
    bool topDown;               // rows stored top row first (negative biHeight)
    std::uint32_t rowBytes;     // 3 bytes a pixel, padded to 4
    std::uint32_t uploadBytes;  // rowBytes * height: what the upload reads
    std::uint32_t pixelBytes;   // what a file load reads: biSizeImage, or uploadBytes when that is 0
    std::uint32_t pixelOffset;  // in a packed DIB: biSize + 4 * biClrUsed
};
DibLayout CheckInfoHeader(const unsigned char* block, std::uint32_t size);

// A packed DIB as bitmap resources hold it; its pixels are uploaded in place,
// so they must lie inside `size` and be stored bottom-up.
DibLayout CheckPackedDib(const unsigned char* dib, std::uint32_t size);

// Reads up to `count` bytes at the source's current position; returns how many it read.
typedef std::uint32_t (*ReadBytesFn)(void* source, unsigned char* buffer, std::uint32_t count);

struct LoadedBitmap {
    BitmapVerdict verdict;
    bool sizeKnown;  // the header block was read and gave valid dimensions
    std::int32_t width;
    std::int32_t height;
    // Accepted only: the pixel rows bottom-up, uploadBytes of them valid,
    // freed with the LoadedBitmap. Null on refusal.
    HeapBlock<unsigned char[]> pixels;
    std::uint32_t pixelBytes;
};

// File header, header block, pixel data, in that order, each with one read.
// Top-down files are turned upright in the copy. Nothing is read or written
// outside what was allocated, and on refusal nothing stays allocated. A file
// shorter than its headers promise is refused before anything is allocated for
// it, so a few bytes cannot make the loader reserve a gigabyte; fileSize is
// the source's length in bytes (kUnknownFileSize when it cannot be told).
constexpr std::uint64_t kUnknownFileSize = UINT64_MAX;

// The length GetFileSize reports in two words. A low word of 0xFFFFFFFF
// (INVALID_FILE_SIZE) is a real length unless the call left an error code;
// with one, the length is kUnknownFileSize.
std::uint64_t FileSizeFromWords(std::uint32_t low, std::uint32_t high, std::uint32_t lastError);
LoadedBitmap ReadBitmapFile(ReadBytesFn read, void* source, std::uint64_t fileSize);

// ReadBitmapFile over a whole file image.
LoadedBitmap ReadBitmapImage(const unsigned char* data, std::size_t size);
