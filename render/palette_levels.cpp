#include "render/palette_levels.h"

bool IsAcceleratedFormat(std::uint32_t formatFlags) {
    if ((formatFlags & kFormatGeneric) == 0) return true;
    return (formatFlags & kFormatGenericAccelerated) != 0;
}

unsigned PaletteEntryCount(unsigned colorBits) {
    if (colorBits > 8) return 0;
    return 1u << colorBits;
}

std::uint8_t PaletteChannelByte(unsigned index, unsigned bits, unsigned shift) {
    // The mask is an 8-bit value: a channel never has more than 8 bits of level.
    const unsigned mask = bits >= 8 ? 0xFFu : (1u << bits) - 1u;
    if (mask == 0) return 0;
    const unsigned level = (shift >= 32 ? 0u : index >> shift) & mask;
    // Truncation toward zero, not rounding: 3 bits give 36, 72, 109, ...
    const int value = static_cast<int>(level * 255.0 / mask);
    return static_cast<std::uint8_t>(value & 0xFF);
}
