// The window's 256-entry palette: the default palette of 8-bit VGA-style
// displays, and the expansion of a page through it into 32-bit pixels.
#pragma once

#include <array>
#include <cstdint>

namespace brivello::graphics {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

constexpr int kPaletteSize = 256;
using Palette = std::array<Rgb, kPaletteSize>;

// The default 256-colour palette: 16 EGA colours, 16 greys, 216 entries of
// hue cycles at three intensities and three saturations, 8 blacks. Components
// are the 6-bit DAC values times 4, so full intensity is 252.
const Palette& defaultPalette();

// Each entry as 0xAARRGGBB with alpha 255, the layout of SDL's ARGB8888.
using ArgbTable = std::array<std::uint32_t, kPaletteSize>;
ArgbTable argbTable(const Palette& palette);

// Writes count pixels: out[i] = table[indices[i]]. Caller owns both buffers.
void expandPixels(const std::uint8_t* indices, int count, const ArgbTable& table,
                  std::uint32_t* out);

}  // namespace brivello::graphics
