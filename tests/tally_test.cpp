#include "DrawTally.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace brivello {
namespace {

// The expected values here come from a separate MT19937 written from the
// published algorithm, not from the code under test.
TEST(Generator, StandardSequenceForDefaultSeed) {
    std::mt19937 generator(5489u);
    EXPECT_EQ(generator(), 3499211612u);
    generator.discard(9998);
    EXPECT_EQ(generator(), 4123659995u);  // the standard's 10000th output
}

TEST(Generator, MappingCoversOneToFortyNine) {
    struct Case {
        std::uint32_t output;
        int number;
    };
    const Case cases[] = {
        {0u, 1},           {0xFFFFFFFFu, 49},
        {3499211612u, 40},  // floor(3499211612 × 49 / 2^32) = 39
        {87652393u, 1},     // the last output below 2^32 / 49
        {87652394u, 2},     // the first output above it
        {4123659995u, 48},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(numberFromOutput(c.output), c.number) << c.output;
    }
}

TEST(DrawTally, FirstDrawsOfKnownSeeds) {
    struct Case {
        std::uint32_t seed;
        int first[6];
        int second[6];
    };
    const Case cases[] = {
        {5489u, {40, 7, 45, 41, 48, 11}, {31, 16, 5, 27, 14, 10}},
        {1u, {21, 49, 36, 46, 1, 7}, {15, 49, 8, 12, 5, 20}},  // 49 twice: once per draw
    };
    for (const Case& c : cases) {
        DrawTally tally(c.seed);
        tally.resetTally();
        tally.drawOnce();
        std::array<int, kNumbers + 1> expected{};
        for (int n : c.first) {
            ++expected[n];
        }
        for (int n = 1; n <= kNumbers; ++n) {
            EXPECT_EQ(tally.counts[n], expected[n]) << "seed " << c.seed << " number " << n;
        }
        tally.drawOnce();
        for (int n : c.second) {
            ++expected[n];
        }
        for (int n = 1; n <= kNumbers; ++n) {
            EXPECT_EQ(tally.counts[n], expected[n]) << "seed " << c.seed << " number " << n;
        }
        EXPECT_EQ(tally.draws, 2);
    }
}

TEST(DrawTally, ResetClearsTallyButNotGenerator) {
    DrawTally fresh(7u);
    DrawTally used(7u);
    used.resetTally();
    used.drawOnce();
    used.resetTally();
    EXPECT_EQ(used.draws, 0);
    EXPECT_FALSE(used.seriesFull);
    EXPECT_DOUBLE_EQ(used.meanCount(), 0.0);
    for (int n = 0; n <= kNumbers; ++n) {
        EXPECT_EQ(used.counts[n], 0);
    }
    // A reset tally goes on with the sequence rather than repeating it.
    fresh.resetTally();
    fresh.drawOnce();
    used.drawOnce();
    EXPECT_NE(fresh.counts, used.counts);
}

TEST(DrawTally, MeanCount) {
    DrawTally tally(3u);
    tally.resetTally();
    EXPECT_EQ(tally.meanCount(), 0.0);
    tally.drawOnce();
    EXPECT_EQ(tally.meanCount(), 6 / 49.0);
    for (int i = 1; i < 49; ++i) {
        tally.drawOnce();
    }
    EXPECT_EQ(tally.draws, 49);
    EXPECT_EQ(tally.meanCount(), 6.0);
}

// Runs whole series for several seeds and checks every draw against the
// tally's invariants; returns nothing, fails in place.
TEST(DrawTally, InvariantsHoldOverWholeSeries) {
    for (std::uint32_t seed : {0u, 1u, 42u, 5489u, 0xFFFFFFFFu}) {
        DrawTally tally(seed);
        for (int series = 0; series < 2; ++series) {
            tally.resetTally();
            while (!tally.seriesFull) {
                const auto before = tally.counts;
                tally.drawOnce();
                int raised = 0;
                int sum = 0;
                for (int n = 1; n <= kNumbers; ++n) {
                    const int step = tally.counts[n] - before[n];
                    ASSERT_TRUE(step == 0 || step == 1) << "seed " << seed;
                    raised += step;
                    sum += tally.counts[n];
                    ASSERT_LE(tally.counts[n], tally.draws);
                    ASSERT_LE(tally.counts[n], kSeriesEndCount);
                }
                ASSERT_EQ(raised, kPicksPerDraw) << "seed " << seed;
                ASSERT_EQ(sum, kPicksPerDraw * tally.draws);
                ASSERT_EQ(tally.counts[0], 0);
                const int top = *std::max_element(tally.counts.begin() + 1, tally.counts.end());
                ASSERT_EQ(tally.seriesFull, top == kSeriesEndCount) << "seed " << seed;
            }
        }
    }
}

TEST(DrawTally, SeriesOfSeedOneEndsOnItsKnownDraw) {
    DrawTally tally(1u);
    tally.resetTally();
    while (!tally.seriesFull) {
        tally.drawOnce();
    }
    EXPECT_EQ(tally.draws, 5056);
    EXPECT_EQ(*std::max_element(tally.counts.begin() + 1, tally.counts.end()), kSeriesEndCount);
}

TEST(DrawTally, HeightRuleBoundary) {
    struct Case {
        int count;
        bool ends;
    };
    const Case cases[] = {{0, false},   {1, false},  {664, false}, {665, false},
                          {668, false}, {669, true}, {670, true}};
    for (const Case& c : cases) {
        EXPECT_EQ(countEndsSeries(c.count), c.ends) << c.count;
    }

    // A tally standing at 668 goes on until a draw raises that number.
    DrawTally tally(11u);
    tally.resetTally();
    tally.counts[17] = 668;
    tally.draws = 668;
    while (tally.counts[17] == 668) {
        tally.drawOnce();
        ASSERT_EQ(tally.seriesFull, tally.counts[17] == kSeriesEndCount);
    }
    EXPECT_TRUE(tally.seriesFull);
}

// Chi-square of the 49 frequencies over ten whole series of a fixed seed.
// Deterministic; the bounds are wide (48 degrees of freedom: mean 48, sd 9.8).
TEST(DrawTally, FrequenciesAreUniform) {
    DrawTally tally(20261211u);
    std::array<std::int64_t, kNumbers + 1> totals{};
    std::int64_t draws = 0;
    for (int series = 0; series < 10; ++series) {
        tally.resetTally();
        while (!tally.seriesFull) {
            tally.drawOnce();
        }
        for (int n = 1; n <= kNumbers; ++n) {
            totals[n] += tally.counts[n];
        }
        draws += tally.draws;
    }
    const double expected = draws * kPicksPerDraw / double(kNumbers);
    double chiSquare = 0.0;
    for (int n = 1; n <= kNumbers; ++n) {
        const double d = totals[n] - expected;
        chiSquare += d * d / expected;
    }
    EXPECT_GT(chiSquare, 20.0);
    EXPECT_LT(chiSquare, 100.0);
}

}  // namespace
}  // namespace brivello
