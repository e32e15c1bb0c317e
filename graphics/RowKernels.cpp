#include "RowKernels.h"

#include "Canvas.h"

#include <cstring>

namespace brivello::graphics {
namespace {

// One body for every width, through the compiler's portable vector types;
// each instantiation below is compiled for its instruction set.
template <int W>
__attribute__((always_inline)) inline void blendBlocks(std::uint8_t* row, RowTemplate with,
                                                       int from, int to) {
    // 64-bit lanes: the blend is bitwise, and AVX-512F has no byte lanes.
    typedef std::uint64_t Bytes __attribute__((vector_size(W)));
    for (int i = from; i < to; i += W) {
        Bytes pixels;
        Bytes mask;
        Bytes colour;
        std::memcpy(&pixels, row + i, W);
        std::memcpy(&mask, with.mask + i, W);
        std::memcpy(&colour, with.colour + i, W);
        pixels = (pixels & ~mask) | colour;
        std::memcpy(row + i, &pixels, W);
    }
}

template <int W>
__attribute__((always_inline)) inline void blendRowOf(std::uint8_t* row, RowTemplate with, int n) {
    const int wide = n - n % W;
    blendBlocks<W>(row, with, 0, wide);
    blendBlocks<16>(row, with, wide, n);
}

template <int W>
__attribute__((always_inline)) inline void blendDotRowsOf(std::uint8_t* centre, int count,
                                                          std::ptrdiff_t step, RowTemplate edge,
                                                          RowTemplate middle, int n) {
    for (int r = 0; r < count; ++r, centre -= step) {
        blendRowOf<W>(centre + kWidth, edge, n);
        blendRowOf<W>(centre, middle, n);
        blendRowOf<W>(centre - kWidth, edge, n);
    }
}

void blendRow16(std::uint8_t* row, RowTemplate with, int n) {
    blendRowOf<16>(row, with, n);
}
void blendDotRows16(std::uint8_t* centre, int count, std::ptrdiff_t step, RowTemplate edge,
                    RowTemplate middle, int n) {
    blendDotRowsOf<16>(centre, count, step, edge, middle, n);
}
constexpr RowKernels kPortable{"16-byte", blendRow16, blendDotRows16};

#if defined(__x86_64__) && defined(__GNUC__)
#define BRIVELLO_WIDE_KERNELS 1
__attribute__((target("avx2"))) void blendRow32(std::uint8_t* row, RowTemplate with, int n) {
    blendRowOf<32>(row, with, n);
}
__attribute__((target("avx2"))) void blendDotRows32(std::uint8_t* centre, int count,
                                                    std::ptrdiff_t step, RowTemplate edge,
                                                    RowTemplate middle, int n) {
    blendDotRowsOf<32>(centre, count, step, edge, middle, n);
}
__attribute__((target("avx512f"))) void blendRow64(std::uint8_t* row, RowTemplate with, int n) {
    blendRowOf<64>(row, with, n);
}
__attribute__((target("avx512f"))) void blendDotRows64(std::uint8_t* centre, int count,
                                                       std::ptrdiff_t step, RowTemplate edge,
                                                       RowTemplate middle, int n) {
    blendDotRowsOf<64>(centre, count, step, edge, middle, n);
}
constexpr RowKernels kAvx2{"32-byte (AVX2)", blendRow32, blendDotRows32};
constexpr RowKernels kAvx512{"64-byte (AVX-512)", blendRow64, blendDotRows64};
#endif

}  // namespace

SupportedRowKernels supportedRowKernels() {
    SupportedRowKernels supported{{&kPortable}, 1};
#ifdef BRIVELLO_WIDE_KERNELS
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2"))
        supported.sets[supported.count++] = &kAvx2;
    if (__builtin_cpu_supports("avx512f"))
        supported.sets[supported.count++] = &kAvx512;
#endif
    return supported;
}

const RowKernels& rowKernels() {
    static const RowKernels* const widest = [] {
        const SupportedRowKernels supported = supportedRowKernels();
        return supported.sets[supported.count - 1];
    }();
    return *widest;
}

}  // namespace brivello::graphics
