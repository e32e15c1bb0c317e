// The no-tear guarantee: a presenting thread never copies a page while it is
// being drawn. Built with ThreadSanitizer, which also checks that the
// handshake orders every access to the pages.
#include "Canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace brivello::graphics {
namespace {

// Each pass draws a whole page in one colour, a row at a time, exactly as
// the run loop pages: select the hidden page, show the other, draw. Any
// copy that caught a page half-drawn would hold two colours.
TEST(PageSync, PresenterNeverCopiesAHalfDrawnPage) {
    Canvas canvas;
    std::atomic<bool> done{false};
    std::atomic<int> copies{0};
    std::atomic<int> torn{0};
    std::thread presenter([&] {
        std::vector<std::uint8_t> snapshot(kPagePixels);
        std::uint64_t generation = 0;
        while (!done.load()) {
            if (canvas.copyShownPage(snapshot.data(), &generation)) {
                ++copies;
                const std::uint8_t first = snapshot[0];
                if (std::any_of(snapshot.begin(), snapshot.end(),
                                [&](std::uint8_t v) { return v != first; })) {
                    ++torn;
                }
            }
        }
    });
    int pageIndex = 0;
    for (int pass = 0; pass < 4000; ++pass) {
        canvas.selectDrawingPage(pageIndex);
        pageIndex = 1 - pageIndex;
        canvas.showPage(pageIndex);
        canvas.setColour(static_cast<std::uint8_t>(1 + pass % 250));
        for (int y = 0; y < kHeight; ++y) {
            canvas.line(0, y, kWidth - 1, y);
            // Hand the presenter the processor mid-page, where a tear would be.
            if (y % 50 == 0)
                std::this_thread::yield();
        }
    }
    done = true;
    presenter.join();
    EXPECT_GT(copies.load(), 0);
    EXPECT_EQ(torn.load(), 0);
}

}  // namespace
}  // namespace brivello::graphics
