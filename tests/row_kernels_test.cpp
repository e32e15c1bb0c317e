// The row kernels: every width this processor runs writes the bytes the
// portable one does.
#include "RowKernels.h"

#include "Canvas.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace brivello::graphics {
namespace {

struct Template {
    std::vector<std::uint8_t> mask;
    std::vector<std::uint8_t> colour;
    RowTemplate view() const { return {mask.data(), colour.data()}; }
};

Template randomTemplate(std::mt19937& random) {
    Template t{std::vector<std::uint8_t>(kWidth), std::vector<std::uint8_t>(kWidth)};
    for (int i = 0; i < kWidth; ++i) {
        t.mask[i] = random() % 3 == 0 ? 0xFF : 0x00;
        t.colour[i] = t.mask[i] & static_cast<std::uint8_t>(random());
    }
    return t;
}

TEST(RowKernels, EveryWidthWritesWhatThePortableOneDoes) {
    const SupportedRowKernels supported = supportedRowKernels();
    const RowKernels* const* kernels = supported.sets;
    const int count = supported.count;
    ASSERT_GE(count, 1);
    EXPECT_EQ(&rowKernels(), kernels[count - 1]);
    std::mt19937 random(11);
    const Template edge = randomTemplate(random);
    const Template middle = randomTemplate(random);
    std::vector<std::uint8_t> start(kPagePixels);
    for (std::uint8_t& b : start)
        b = static_cast<std::uint8_t>(random());

    // Lengths round a wide store's size, and offsets that are not aligned.
    for (int n : {16, 32, 48, 64, 80, 112, 640, 784, 800}) {
        for (int offset : {0, 16, 48}) {
            if (offset + n > kWidth)
                continue;
            std::vector<std::uint8_t> expected = start;
            kernels[0]->blendRow(expected.data() + 300 * kWidth + offset, edge.view(), n);
            kernels[0]->blendDotRows(expected.data() + 500 * kWidth + offset, 40, 3 * kWidth,
                                     edge.view(), middle.view(), n);
            // The portable kernel against the plain rule, byte by byte.
            for (int i = 0; i < n; ++i) {
                const int at = 300 * kWidth + offset + i;
                ASSERT_EQ(expected[at], edge.mask[i] ? edge.colour[i] : start[at]) << n;
            }
            for (int i = 1; i < count; ++i) {
                std::vector<std::uint8_t> page = start;
                kernels[i]->blendRow(page.data() + 300 * kWidth + offset, edge.view(), n);
                kernels[i]->blendDotRows(page.data() + 500 * kWidth + offset, 40, 3 * kWidth,
                                         edge.view(), middle.view(), n);
                EXPECT_EQ(page, expected)
                    << kernels[i]->name << ", " << n << " bytes at " << offset;
            }
        }
    }
}

}  // namespace
}  // namespace brivello::graphics
