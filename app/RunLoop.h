// The series loop and the frame loop: one draw and one complete frame per
// pass, drawn on the hidden page while the previous frame is shown.
#pragma once

#include "DrawTally.h"

#include <cstdint>

namespace brivello {

// What one pass needs of the platform; the program's host forwards to the
// canvas and the window, a tool or a test provides its own. Called a few
// times per pass, never per pixel.
class FrameHost {
  public:
    virtual ~FrameHost() = default;
    virtual void selectDrawingPage(int page) = 0;
    virtual void showPage(int page) = 0;
    virtual void clearDrawingPage() = 0;
    virtual void drawFrame(const DrawTally& tally) = 0;
    virtual bool keyPending() = 0;
};

// Runs series after series until a key is pending after a complete frame.
// pageIndex starts at 0 and carries on across series.
void runLoop(FrameHost& host, DrawTally& tally);

// The monotonic millisecond tick count, truncated to 32 bits: the seed.
std::uint32_t millisecondTicks();

}  // namespace brivello
