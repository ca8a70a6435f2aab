// The colour levels of a logical palette for a palette-indexed pixel format,
// and the acceleration rule read from a pixel format's flags.
#pragma once

#include <cstdint>

// Pixel format flags as the platform defines them.
constexpr std::uint32_t kFormatGeneric = 0x40;               // PFD_GENERIC_FORMAT
constexpr std::uint32_t kFormatNeedPalette = 0x80;           // PFD_NEED_PALETTE
constexpr std::uint32_t kFormatGenericAccelerated = 0x1000;  // PFD_GENERIC_ACCELERATED

// A driver's own format, or a generic one with hardware acceleration; only the
// plain generic software format is not accelerated.
bool IsAcceleratedFormat(std::uint32_t formatFlags);

// Entries of the palette for a format of colorBits bits an index: 2^colorBits,
// or 0 when the format is too deep for a palette (more than 8 bits).
unsigned PaletteEntryCount(unsigned colorBits);

// The byte of one channel in palette entry `index`: the channel's level
// (index >> shift, masked to `bits` bits) spread over 0..255 and truncated,
// i.e. floor(level * 255 / mask). A channel of 0 bits gives 0.
std::uint8_t PaletteChannelByte(unsigned index, unsigned bits, unsigned shift);
