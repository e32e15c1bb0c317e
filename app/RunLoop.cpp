#include "RunLoop.h"

#include <chrono>

namespace brivello {

void runLoop(FrameHost& host, DrawTally& tally) {
    std::int16_t pageIndex = 0;
    for (;;) {
        tally.resetTally();
        for (;;) {
            host.selectDrawingPage(pageIndex);
            pageIndex = static_cast<std::int16_t>(1 - pageIndex);
            host.showPage(pageIndex);
            host.clearDrawingPage();
            tally.drawOnce();
            host.drawFrame(tally);
            // Only now, with the frame complete: a frame is never abandoned.
            if (host.keyPending() || tally.seriesFull)
                break;
        }
        if (host.keyPending())
            return;
    }
}

std::uint32_t millisecondTicks() {
    const auto ticks = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(ticks.count());
}

}  // namespace brivello
