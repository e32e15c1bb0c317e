// The whole state of the simulation: how often each of the numbers 1..49 has
// come up in the current series, how many draws the series holds, and whether
// it has reached its end. Plain data over fixed arrays; no allocation.
#pragma once

#include <array>
#include <cstdint>
#include <random>

namespace brivello {

constexpr int kNumbers = 49;      // numbers run from 1 to kNumbers
constexpr int kPicksPerDraw = 6;  // distinct numbers in one draw
// The count whose dot first lies more than 500 pixels above the bottom row.
constexpr int kSeriesEndCount = 669;

// Maps one 32-bit generator output to a number in 1..49: the high 32 bits of
// output × 49, plus 1. Unbiased enough for 49 and branch-free.
constexpr int numberFromOutput(std::uint32_t output) {
    return static_cast<int>((static_cast<std::uint64_t>(output) * kNumbers) >> 32) + 1;
}

// True when a number with this count has a dot more than 500 pixels above the
// bottom row: dot rows are 3 pixels apart and hold four dots each.
constexpr bool countEndsSeries(int count) {
    return count >= 1 && 3 * ((count - 1) / 4) > 500;
}

struct DrawTally {
    // counts[n] for the numbers n = 1..49; counts[0] is unused and stays 0.
    std::array<std::int16_t, kNumbers + 1> counts{};
    std::int16_t draws = 0;
    bool seriesFull = false;
    // Seeded once per run and never reseeded, so series follow one another
    // in a single random sequence.
    std::mt19937 generator;

    explicit DrawTally(std::uint32_t seed) : generator(seed) {}

    // Every count 0, draws 0, seriesFull false. Leaves the generator alone.
    void resetTally();
    // One draw of six distinct numbers (redrawing a number already taken in
    // this draw), tallied; sets seriesFull on the draw that brings a count to 669.
    void drawOnce();
    // draws × 6 / 49, the integer product divided in floating point.
    double meanCount() const { return (draws * kPicksPerDraw) / 49.0; }
};

}  // namespace brivello
