// The per-pass work allocates nothing: every operator new in this test
// binary is counted, and a few thousand passes must not add to the count.
#include "Canvas.h"
#include "CanvasHost.h"
#include "Font.h"
#include "HistogramFrame.h"
#include "RunLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocations{0};
}

// A counting replacement of the global allocator, over malloc and free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace brivello {
namespace {

TEST(FrameAllocation, PassesAllocateNothing) {
    std::string why;
    const auto font = graphics::Font::load("Arial", 16, &why);
    ASSERT_NE(font, nullptr) << why;
    graphics::Canvas canvas;
    canvas.setTextStyle(font.get());
    DrawTally tally(1u);
    CanvasHost host(canvas, 6000);  // across seed 1's first series end
    const long before = allocations.load();
    runLoop(host, tally);
    EXPECT_EQ(allocations.load() - before, 0);
}

}  // namespace
}  // namespace brivello
