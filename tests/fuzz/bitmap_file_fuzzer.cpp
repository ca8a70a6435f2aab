// Whole bitmap files through the texture loader's decisions and reads: the same
// code the saver's file load runs, over a file image in memory.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "render/bitmap_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The pixels are freed with `loaded`; LeakSanitizer sees any path that keeps them.
    const LoadedBitmap loaded = ReadBitmapImage(data, size);
    if (loaded.verdict == BitmapVerdict::Accepted) {
        // An accepted file gives an image the upload can read in full.
        if (loaded.pixels == nullptr || loaded.width <= 0 || loaded.height <= 0) std::abort();
        // GL reads 3-byte pixels in rows padded to 4 bytes.
        const std::uint64_t rowBytes = (static_cast<std::uint64_t>(loaded.width) * 24 + 31) / 32 * 4;
        const std::uint64_t uploadBytes = rowBytes * static_cast<std::uint64_t>(loaded.height);
        if (uploadBytes > loaded.pixelBytes) std::abort();
        // Touch every byte the upload would read: ASan reports any shortfall.
        volatile unsigned char sum = 0;
        for (std::uint64_t i = 0; i < uploadBytes; ++i) sum = static_cast<unsigned char>(sum + loaded.pixels[i]);
        (void)sum;
    } else if (loaded.pixels != nullptr) {
        std::abort();  // a refusal keeps nothing allocated
    }
    // A resource's packed DIB takes the in-place path; feed it the same bytes.
    if (size <= UINT32_MAX) {
        const DibLayout dib = CheckPackedDib(data, static_cast<std::uint32_t>(size));
        if (dib.verdict == BitmapVerdict::Accepted) {
            const std::uint64_t rowBytes = (static_cast<std::uint64_t>(dib.width) * 24 + 31) / 32 * 4;
            if (dib.width <= 0 || dib.height <= 0 ||
                dib.pixelOffset + rowBytes * static_cast<std::uint64_t>(dib.height) > size) {
                std::abort();
            }
        }
    }
    return 0;
}
