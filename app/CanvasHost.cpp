#include "CanvasHost.h"

#include "HistogramFrame.h"

namespace brivello {

void CanvasHost::clearDrawingPage() {
    ++passes_;  // a pass starts with its clear
    if (passes_ >= drawFrom_)
        canvas_.clearDrawingPage();
}

void CanvasHost::drawFrame(const DrawTally& tally) {
    if (passes_ >= drawFrom_)
        display::renderFrame(canvas_, tally);
    seriesEnded_ = tally.seriesFull;
}

}  // namespace brivello
