// Brivello: a 6-of-49 lottery drawn as fast as it can be, and its tally.
// Until the window exists this runs the tally alone: series after series,
// printing nothing, until interrupted.
#include "DrawTally.h"

#include <chrono>
#include <cstdint>

int main() {
    const auto ticks = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    brivello::DrawTally tally(static_cast<std::uint32_t>(ticks.count()));
    for (;;) {
        tally.resetTally();
        while (!tally.seriesFull) {
            tally.drawOnce();
        }
    }
}
