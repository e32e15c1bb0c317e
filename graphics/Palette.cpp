#include "Palette.h"

namespace brivello::graphics {
namespace {

// 6-bit DAC values of the first 32 entries: EGA colours, then greys.
constexpr std::uint8_t kEga[16][3] = {{0, 0, 0},    {0, 0, 42},   {0, 42, 0},   {0, 42, 42},
                                      {42, 0, 0},   {42, 0, 42},  {42, 21, 0},  {42, 42, 42},
                                      {21, 21, 21}, {21, 21, 63}, {21, 63, 21}, {21, 63, 63},
                                      {63, 21, 21}, {63, 21, 63}, {63, 63, 21}, {63, 63, 63}};
constexpr std::uint8_t kGreys[16] = {0, 5, 8, 11, 14, 17, 20, 24, 28, 32, 36, 40, 45, 50, 56, 63};

// The nine hue cycles (high, medium, low intensity; each saturated, pale,
// paler): five levels from the cycle's floor to its ceiling.
constexpr std::uint8_t kCycleLevels[9][5] = {
    {0, 16, 31, 47, 63}, {31, 39, 47, 55, 63}, {45, 49, 54, 58, 63},
    {0, 7, 14, 21, 28},  {14, 17, 21, 24, 28}, {20, 22, 24, 26, 28},
    {0, 4, 8, 12, 16},   {8, 10, 12, 14, 16},  {11, 12, 13, 15, 16}};

// Level of the red component along a 24-step cycle blue → red → green → blue:
// rising over 0..4, full over 4..12, falling over 12..16, floor over 16..24.
// Green runs 8 steps behind red and blue 8 steps ahead.
int redLevel(int step) {
    step %= 24;
    if (step <= 4)
        return step;
    if (step <= 12)
        return 4;
    if (step <= 16)
        return 16 - step;
    return 0;
}

Palette makeDefaultPalette() {
    Palette palette{};
    auto dac = [](int v) { return static_cast<std::uint8_t>(v * 4); };
    for (int i = 0; i < 16; ++i) {
        palette[i] = {dac(kEga[i][0]), dac(kEga[i][1]), dac(kEga[i][2])};
        palette[16 + i] = {dac(kGreys[i]), dac(kGreys[i]), dac(kGreys[i])};
    }
    for (int cycle = 0; cycle < 9; ++cycle) {
        const std::uint8_t* level = kCycleLevels[cycle];
        for (int step = 0; step < 24; ++step) {
            palette[32 + 24 * cycle + step] = {dac(level[redLevel(step)]),
                                               dac(level[redLevel(step + 16)]),
                                               dac(level[redLevel(step + 8)])};
        }
    }
    // Entries 248..255 stay black. Entry 65 is pink rather than the cycle's
    // orange: the display's colour for number 31 depends on it.
    palette[65] = {252, 156, 252};
    return palette;
}

}  // namespace

const Palette& defaultPalette() {
    static const Palette palette = makeDefaultPalette();
    return palette;
}

ArgbTable argbTable(const Palette& palette) {
    ArgbTable table{};
    for (int i = 0; i < kPaletteSize; ++i) {
        table[i] = 0xFF000000u | (std::uint32_t{palette[i].r} << 16) |
                   (std::uint32_t{palette[i].g} << 8) | palette[i].b;
    }
    return table;
}

void expandPixels(const std::uint8_t* indices, int count, const ArgbTable& table,
                  std::uint32_t* out) {
    for (int i = 0; i < count; ++i) {
        out[i] = table[indices[i]];
    }
}

}  // namespace brivello::graphics
