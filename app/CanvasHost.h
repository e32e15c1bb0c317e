// The program's passes on a canvas: pages selected, shown and cleared and the
// histogram frame drawn, as the program does. The program adds its window's
// keys; the frame tool, the benchmarks and the tests stop after a number of
// passes instead, as if a key had been pressed then.
#pragma once

#include "Canvas.h"
#include "RunLoop.h"

namespace brivello {

class CanvasHost : public FrameHost {
  public:
    // passLimit: keyPending() is true once that many passes are done (0: never).
    // drawFrom: passes before it only flip pages; their clear and frame are
    // skipped, which leaves the tally, and so every later frame, the same.
    explicit CanvasHost(graphics::Canvas& canvas, long long passLimit = 0, long long drawFrom = 1)
        : canvas_(canvas), passLimit_(passLimit), drawFrom_(drawFrom) {}

    void selectDrawingPage(int page) override { canvas_.selectDrawingPage(page); }
    void showPage(int page) override { canvas_.showPage(page); }
    void clearDrawingPage() override;
    void drawFrame(const DrawTally& tally) override;
    bool keyPending() override { return passLimit_ > 0 && passes_ >= passLimit_; }

    long long passes() const { return passes_; }
    // Whether the last frame drawn ended its series.
    bool seriesEnded() const { return seriesEnded_; }

  private:
    graphics::Canvas& canvas_;
    long long passLimit_;
    long long drawFrom_;
    long long passes_ = 0;
    bool seriesEnded_ = false;
};

}  // namespace brivello
