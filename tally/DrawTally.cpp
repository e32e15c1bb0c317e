#include "DrawTally.h"

namespace brivello {

void DrawTally::resetTally() {
    counts.fill(0);
    draws = 0;
    seriesFull = false;
}

void DrawTally::drawOnce() {
    std::array<std::uint16_t, kNumbers + 1> available{};
    available.fill(1);
    for (int pick = 0; pick < kPicksPerDraw; ++pick) {
        int number = numberFromOutput(static_cast<std::uint32_t>(generator()));
        while (available[number] == 0) {
            number = numberFromOutput(static_cast<std::uint32_t>(generator()));
        }
        available[number] = 0;
        ++counts[number];
        // Only the numbers raised by this draw can newly end the series.
        if (countEndsSeries(counts[number])) {
            seriesFull = true;
        }
    }
    ++draws;
}

}  // namespace brivello
