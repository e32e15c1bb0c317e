// The run loop against a host that records what it is asked to do.
#include "RunLoop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brivello {
namespace {

struct Pass {
    int drawn = -1;
    int shown = -1;
    int draws = 0;
    bool cleared = false;
    bool seriesFull = false;
};

// Records each pass; a key becomes pending once `keyAfter` frames are drawn,
// or once `keyAfterSeriesEnds` series have ended. Checks that keys are only
// ever asked for after a complete frame.
class RecordingHost : public FrameHost {
  public:
    int keyAfter = 1 << 30;
    int keyAfterSeriesEnds = 1 << 30;
    std::vector<Pass> passes;
    int seriesEnds = 0;
    bool keyAskedMidFrame = false;

    void selectDrawingPage(int page) override {
        passes.push_back(Pass{});
        passes.back().drawn = page;
        frameComplete_ = false;
    }
    void showPage(int page) override { passes.back().shown = page; }
    void clearDrawingPage() override { passes.back().cleared = true; }
    void drawFrame(const DrawTally& tally) override {
        passes.back().draws = tally.draws;
        passes.back().seriesFull = tally.seriesFull;
        if (tally.seriesFull)
            ++seriesEnds;
        frameComplete_ = passes.back().cleared;
    }
    bool keyPending() override {
        if (!frameComplete_)
            keyAskedMidFrame = true;
        return static_cast<int>(passes.size()) >= keyAfter || seriesEnds >= keyAfterSeriesEnds;
    }

  private:
    bool frameComplete_ = false;
};

TEST(RunLoop, PagesAlternateFromDrawingZeroShowingOne) {
    RecordingHost host;
    host.keyAfter = 5;
    DrawTally tally(1u);
    runLoop(host, tally);
    ASSERT_EQ(host.passes.size(), 5u);
    for (std::size_t i = 0; i < host.passes.size(); ++i) {
        EXPECT_EQ(host.passes[i].drawn, static_cast<int>(i % 2)) << i;
        EXPECT_EQ(host.passes[i].shown, static_cast<int>(1 - i % 2)) << i;
        EXPECT_TRUE(host.passes[i].cleared);
        EXPECT_EQ(host.passes[i].draws, static_cast<int>(i + 1));
    }
    EXPECT_FALSE(host.keyAskedMidFrame);
}

// Seed 1's first series ends on pass 5056: the next pass starts a new series
// with one draw, and the pages keep alternating across the end.
TEST(RunLoop, SeriesEndStartsAFreshSeriesAndPagingCarriesOn) {
    RecordingHost host;
    host.keyAfter = 5058;
    DrawTally tally(1u);
    runLoop(host, tally);
    ASSERT_EQ(host.passes.size(), 5058u);
    EXPECT_TRUE(host.passes[5055].seriesFull);
    EXPECT_EQ(host.passes[5055].draws, 5056);
    EXPECT_EQ(host.passes[5056].draws, 1);
    EXPECT_EQ(host.passes[5057].draws, 2);
    EXPECT_EQ(host.passes[5056].drawn, 5056 % 2);
    EXPECT_EQ(host.passes[5056].shown, 1 - 5056 % 2);
    EXPECT_EQ(host.seriesEnds, 1);
}

// A key pending at the end of the frame that filled the series ends the run:
// no new series starts.
TEST(RunLoop, KeyAtSeriesEndStopsWithoutANewSeries) {
    RecordingHost host;
    host.keyAfterSeriesEnds = 1;
    DrawTally tally(1u);
    runLoop(host, tally);
    EXPECT_EQ(host.passes.size(), 5056u);
    EXPECT_TRUE(host.passes.back().seriesFull);
    EXPECT_FALSE(host.keyAskedMidFrame);
}

}  // namespace
}  // namespace brivello
