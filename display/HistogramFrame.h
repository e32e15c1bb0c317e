// One complete picture of the tally: a column of dots per number, a label per
// number, the draw count and mean, and the mean line. Drawn from scratch on
// every pass; keeps no state.
#pragma once

#include "Canvas.h"
#include "DrawTally.h"

#include <array>
#include <cstdint>

namespace brivello::display {

// The colour table: number n is drawn in palette entry n + 34 (35..83).
constexpr std::uint8_t numberColour(int n) {
    return static_cast<std::uint8_t>(n + 34);
}
// The summary texts and the mean line: entry 44, (252, 252, 0), nearest to yellow.
constexpr std::uint8_t kSummaryColour = 44;

// Dots of number n: four to a row, 3 pixels apart both ways, from the bottom
// row up, in a slot 13 pixels wide starting at x = 13 × (n − 1).
constexpr int kSlotWidth = 13;
constexpr int kDotsPerRow = 4;
constexpr int kDotPitch = 3;
constexpr int kMeanLineEnd = 640;

// A text of the frame, where and in which colour it is drawn.
struct FrameText {
    int x = 0;
    int y = 0;
    std::uint8_t colour = 0;
    int length = 0;
    char text[32] = {};
};
constexpr int kFrameTextCount = kNumbers + 2;  // the labels, then the two summary texts
using FrameTexts = std::array<FrameText, kFrameTextCount>;

// The texts in drawing order: "n : count" at (650, 12n + 10) for n = 1..49,
// "Extrageri : draws" at (700, 40) and "Medie : mean" with three decimals at
// (700, 60).
void composeFrameTexts(const DrawTally& tally, FrameTexts* texts);

// Height of the mean line above the bottom row: mean × 3 / 4 rounded to the
// nearest integer, halves to even.
int meanLineHeight(double mean);

// Draws the frame onto the canvas's drawing page, which the caller has
// cleared, with the text style already set. Reads the tally only.
void renderFrame(graphics::Canvas& canvas, const DrawTally& tally);

}  // namespace brivello::display
