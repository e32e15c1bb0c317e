#include "Palette.h"

#include <gtest/gtest.h>

namespace brivello::graphics {
namespace {

// Entries 35..83 are the colours of the numbers 1..49; 44 is also the colour
// of the summary and the mean line.
TEST(Palette, NumberColoursAndBlack) {
    const Rgb expected[] = {
        {188, 0, 252},   {252, 0, 252},   {252, 0, 188},   {252, 0, 124},   {252, 0, 64},
        {252, 0, 0},     {252, 64, 0},    {252, 124, 0},   {252, 188, 0},   {252, 252, 0},
        {188, 252, 0},   {124, 252, 0},   {64, 252, 0},    {0, 252, 0},     {0, 252, 64},
        {0, 252, 124},   {0, 252, 188},   {0, 252, 252},   {0, 188, 252},   {0, 124, 252},
        {0, 64, 252},    {124, 124, 252}, {156, 124, 252}, {188, 124, 252}, {220, 124, 252},
        {252, 124, 252}, {252, 124, 220}, {252, 124, 188}, {252, 124, 156}, {252, 124, 124},
        {252, 156, 252}, {252, 188, 124}, {252, 220, 124}, {252, 252, 124}, {220, 252, 124},
        {188, 252, 124}, {156, 252, 124}, {124, 252, 124}, {124, 252, 156}, {124, 252, 188},
        {124, 252, 220}, {124, 252, 252}, {124, 220, 252}, {124, 188, 252}, {124, 156, 252},
        {180, 180, 252}, {196, 180, 252}, {216, 180, 252}, {232, 180, 252}};
    const Palette& palette = defaultPalette();
    for (int n = 1; n <= 49; ++n) {
        const Rgb& got = palette[n + 34];
        const Rgb& want = expected[n - 1];
        EXPECT_EQ(got, want) << "entry " << n + 34 << ": " << int(got.r) << "," << int(got.g) << ","
                             << int(got.b);
    }
    EXPECT_EQ(palette[0], (Rgb{0, 0, 0}));
    EXPECT_EQ(palette[44], (Rgb{252, 252, 0}));
}

// A few landmarks of the rest of the default palette.
TEST(Palette, DefaultLandmarks) {
    struct Case {
        int entry;
        Rgb rgb;
    };
    const Case cases[] = {{1, {0, 0, 168}},   {6, {168, 84, 0}},     {15, {252, 252, 252}},
                          {16, {0, 0, 0}},    {31, {252, 252, 252}}, {32, {0, 0, 252}},
                          {104, {0, 0, 112}}, {176, {0, 0, 64}},     {247, {44, 48, 64}},
                          {248, {0, 0, 0}},   {255, {0, 0, 0}}};
    for (const Case& c : cases) {
        EXPECT_EQ(defaultPalette()[c.entry], c.rgb) << c.entry;
    }
}

TEST(Palette, ExpandsThroughTheTable) {
    const ArgbTable table = argbTable(defaultPalette());
    const std::uint8_t indices[] = {0, 44, 65, 255};
    std::uint32_t out[4] = {};
    expandPixels(indices, 4, table, out);
    EXPECT_EQ(out[0], 0xFF000000u);
    EXPECT_EQ(out[1], 0xFFFCFC00u);
    EXPECT_EQ(out[2], 0xFFFC9CFCu);
    EXPECT_EQ(out[3], 0xFF000000u);
}

}  // namespace
}  // namespace brivello::graphics
