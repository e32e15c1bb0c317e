// A page of short runs of many palette entries, so that drawing that touches
// a pixel it must leave shows up.
#pragma once

#include "Canvas.h"

namespace brivello::testing {

inline void fillWithRuns(graphics::Canvas& canvas, unsigned seed) {
    for (int y = 0; y < graphics::kHeight; ++y) {
        for (int x = 0; x < graphics::kWidth;) {
            seed = seed * 1103515245u + 12345u;
            const int length = 1 + static_cast<int>((seed >> 16) % 7);
            canvas.setColour(static_cast<std::uint8_t>(seed >> 24));
            canvas.line(x, y, x + length - 1, y);
            x += length;
        }
    }
}

}  // namespace brivello::testing
