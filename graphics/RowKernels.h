// The canvas's innermost loops over pixel rows, compiled once for each vector
// width and picked by what the processor has: the one seam where the canvas
// depends on the processor. Every kernel writes the same bytes; wider ones
// only take fewer stores (a page clear goes 64 bytes a store, and so should
// drawing that keeps up with it).
#pragma once

#include <cstddef>
#include <cstdint>

namespace brivello::graphics {

// What one pixel row receives: where mask[i] is 0xFF the row's byte i becomes
// colour[i], where it is 0 the byte keeps its value (and colour[i] is 0).
struct RowTemplate {
    const std::uint8_t* mask = nullptr;
    const std::uint8_t* colour = nullptr;
};

struct RowKernels {
    const char* name;
    // Blends the `n` bytes at row with the template's first n bytes; n is a
    // multiple of 16.
    void (*blendRow)(std::uint8_t* row, RowTemplate with, int n);
    // `count` rows of dots whose three pixel rows are centre + kWidth (edge),
    // centre (middle) and centre − kWidth (edge), then the same `step` bytes
    // further up each time: blendRow on each of them.
    void (*blendDotRows)(std::uint8_t* centre, int count, std::ptrdiff_t step, RowTemplate edge,
                         RowTemplate middle, int n);
};

// The widest kernels this processor runs.
const RowKernels& rowKernels();

// Every set of kernels this processor runs, narrowest (the portable one,
// 16 bytes a store) first, for tests and benchmarks.
struct SupportedRowKernels {
    static constexpr int kMax = 3;  // 16, 32 and 64 bytes
    const RowKernels* sets[kMax];
    int count;
};
SupportedRowKernels supportedRowKernels();

}  // namespace brivello::graphics
