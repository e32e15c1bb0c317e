// The histogram frame: dot geometry, texts, the mean line, drawing order.
#include "Font.h"
#include "HistogramFrame.h"
#include "RowKernels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <utility>

namespace brivello::display {
namespace {

using graphics::Canvas;
using graphics::kHeight;
using graphics::kPagePixels;
using graphics::kWidth;
using Pixels = std::set<std::pair<int, int>>;

const graphics::Font& arial() {
    static std::unique_ptr<graphics::Font> font = [] {
        std::string why;
        auto loaded = graphics::Font::load("Arial", 16, &why);
        EXPECT_NE(loaded, nullptr) << why;
        return loaded;
    }();
    return *font;
}

DrawTally handMade(int draws, std::initializer_list<std::pair<int, int>> counts) {
    DrawTally tally(1u);
    tally.resetTally();
    tally.draws = static_cast<std::int16_t>(draws);
    for (auto [n, count] : counts)
        tally.counts[n] = static_cast<std::int16_t>(count);
    return tally;
}

Pixels pixelsOf(const Canvas& canvas, std::uint8_t entry, int maxX) {
    Pixels found;
    const std::uint8_t* p = canvas.page(canvas.drawingPage());
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x <= maxX; ++x) {
            if (p[y * kWidth + x] == entry)
                found.insert({x, y});
        }
    }
    return found;
}

// The eight pixels around each dot centre of a column of `count` dots of
// number n, cut to the page.
Pixels expectedDots(int n, int count) {
    Pixels expected;
    for (int k = 1; k <= count; ++k) {
        const int cx = 13 * (n - 1) + 3 * ((k - 1) % 4);
        const int cy = 599 - 3 * ((k - 1) / 4);
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                if ((dx || dy) && cx + dx >= 0 && cy + dy < kHeight) {
                    expected.insert({cx + dx, cy + dy});
                }
            }
        }
    }
    return expected;
}

TEST(HistogramFrame, DotColumns) {
    // 1000 draws puts the mean line at y = 599 − round(91.8) = 507.
    const DrawTally tally = handMade(1000, {{1, 5}, {2, 0}, {3, 4}, {25, 1}, {48, 669}, {49, 668}});
    Canvas canvas;
    renderFrame(canvas, tally);  // no text face: dots and line only
    for (int n = 1; n <= 49; ++n) {
        Pixels expected = expectedDots(n, tally.counts[n]);
        for (int x = 0; x <= 640; ++x)
            expected.erase({x, 507});  // under the mean line
        if (n == 10)
            continue;  // shares entry 44 with the line
        EXPECT_EQ(pixelsOf(canvas, numberColour(n), 645), expected) << "number " << n;
    }
    // Number 48 reaches row 167: its top dot centre at 599 − 501 = 98.
    const Pixels top = pixelsOf(canvas, numberColour(48), 645);
    EXPECT_EQ(top.begin()->second, 98 - 1);
    // Nothing but the line right of the last column's last pixel (634).
    const std::uint8_t* p = canvas.page(0);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 635; x < kWidth; ++x) {
            if (y == 507 && x <= 640) {
                EXPECT_EQ(p[y * kWidth + x], kSummaryColour);
            } else {
                EXPECT_EQ(p[y * kWidth + x], 0) << x << "," << y;
            }
        }
    }
}

TEST(HistogramFrame, MeanLine) {
    struct Case {
        int draws;
        int height;
    };
    const Case cases[] = {{1, 0}, {49, 4}, {98, 9}, {147, 14}, {5056, 464}};
    for (const Case& c : cases) {
        const DrawTally tally = handMade(c.draws, {});
        EXPECT_EQ(meanLineHeight(tally.meanCount()), c.height) << c.draws;
        Canvas canvas;
        renderFrame(canvas, tally);
        Pixels expected;
        for (int x = 0; x <= 640; ++x)
            expected.insert({x, 599 - c.height});
        EXPECT_EQ(pixelsOf(canvas, kSummaryColour, kWidth - 1), expected) << c.draws;
    }
}

TEST(HistogramFrame, Texts) {
    struct Case {
        int draws;
        std::initializer_list<std::pair<int, int>> counts;
        int label;
        const char* labelText;
        const char* drawsText;
        const char* meanText;
    };
    const Case cases[] = {
        {1, {{7, 1}}, 1, "1 : 0", "Extrageri : 1", "Medie : 0.122"},
        {49, {{7, 103}}, 7, "7 : 103", "Extrageri : 49", "Medie : 6.000"},
        {147, {{49, 18}}, 49, "49 : 18", "Extrageri : 147", "Medie : 18.000"},
        {5056, {{31, 669}}, 31, "31 : 669", "Extrageri : 5056", "Medie : 619.102"},
    };
    for (const Case& c : cases) {
        FrameTexts texts;
        composeFrameTexts(handMade(c.draws, c.counts), &texts);
        const FrameText& label = texts[c.label - 1];
        EXPECT_EQ(std::string(label.text, label.length), c.labelText);
        EXPECT_EQ(label.x, 650);
        EXPECT_EQ(label.y, 12 * c.label + 10);
        EXPECT_EQ(label.colour, c.label + 34);
        EXPECT_EQ(std::string(texts[49].text, texts[49].length), c.drawsText);
        EXPECT_EQ(std::string(texts[50].text, texts[50].length), c.meanText);
        EXPECT_EQ(texts[49].x, 700);
        EXPECT_EQ(texts[49].y, 40);
        EXPECT_EQ(texts[50].x, 700);
        EXPECT_EQ(texts[50].y, 60);
        EXPECT_EQ(texts[49].colour, 44);
        EXPECT_EQ(texts[50].colour, 44);
    }
}

// Labels in their numbers' colours, and the summary on top of them where
// they meet.
TEST(HistogramFrame, LabelsThenSummaryOnTop) {
    const DrawTally tally = handMade(4999, {{1, 669}, {2, 9}, {3, 600}, {4, 612}});
    Canvas canvas;
    canvas.setTextStyle(&arial());
    renderFrame(canvas, tally);
    for (int n = 1; n <= 49; ++n) {
        const Pixels label = pixelsOf(canvas, numberColour(n), kWidth - 1);
        int inCell = 0;
        for (auto [x, y] : label) {
            if (x >= 650 && y >= 12 * n + 10 - 16 && y < 12 * n + 10)
                ++inCell;
        }
        EXPECT_GT(inCell, 10) << "label " << n;
    }
    // Each summary text alone, on a blank page: all of its pixels are 44 in
    // the frame, whatever label lies beneath.
    FrameTexts texts;
    composeFrameTexts(tally, &texts);
    for (int i : {49, 50}) {
        Canvas alone;
        alone.setTextStyle(&arial());
        alone.setColour(kSummaryColour);
        alone.writeText(texts[i].x, texts[i].y, std::string_view(texts[i].text, texts[i].length));
        for (auto [x, y] : pixelsOf(alone, kSummaryColour, kWidth - 1)) {
            EXPECT_EQ(canvas.page(0)[y * kWidth + x], kSummaryColour) << x << "," << y;
        }
    }
}

TEST(HistogramFrame, ReadsTheTallyOnlyAndRepeatsExactly) {
    DrawTally tally(99u);
    tally.resetTally();
    for (int i = 0; i < 1234; ++i)
        tally.drawOnce();
    const auto counts = tally.counts;
    const auto draws = tally.draws;
    Canvas canvas;
    canvas.setTextStyle(&arial());
    renderFrame(canvas, tally);
    canvas.selectDrawingPage(1);
    renderFrame(canvas, tally);
    EXPECT_EQ(std::memcmp(canvas.page(0), canvas.page(1), kPagePixels), 0);
    EXPECT_EQ(tally.counts, counts);
    EXPECT_EQ(tally.draws, draws);
    EXPECT_FALSE(tally.seriesFull);
}

// The frame drawn the plain way: one circle call per tally, each glyph pixel
// written alone. The renderer's fast paths must give the same bytes.
void referenceFrame(Canvas& canvas, const DrawTally& tally) {
    const int maxY = canvas.maxY();
    for (int n = 1; n <= 49; ++n) {
        canvas.setColour(numberColour(n));
        for (int k = 1; k <= tally.counts[n]; ++k) {
            canvas.circle(13 * (n - 1) + 3 * ((k - 1) % 4), maxY - 3 * ((k - 1) / 4), 1);
        }
    }
    FrameTexts texts;
    composeFrameTexts(tally, &texts);
    std::uint8_t* page = const_cast<std::uint8_t*>(canvas.page(canvas.drawingPage()));
    for (const FrameText& text : texts) {
        int penX = text.x;
        for (int i = 0; i < text.length; ++i) {
            const graphics::Glyph* g = arial().glyph(text.text[i]);
            for (int row = 0; row < g->height; ++row) {
                for (int column = 0; column < g->width; ++column) {
                    const int x = penX + g->left + column;
                    const int y = text.y + g->top + row;
                    if (g->pixel(row, column) && x >= 0 && x < kWidth && y >= 0 && y < kHeight) {
                        page[y * kWidth + x] = text.colour;
                    }
                }
            }
            penX += g->advance;
        }
    }
    canvas.setColour(kSummaryColour);
    const int y = maxY - meanLineHeight(tally.meanCount());
    for (int x = 0; x <= 640; ++x)
        canvas.circle(x, y, 0);
}

TEST(HistogramFrame, FastPathMatchesReferenceByteForByte) {
    // Seed 1's first series ends on pass 5056; its heaviest frames are the
    // last two.
    DrawTally tally(1u);
    tally.resetTally();
    for (int pass = 1; pass <= 5056; ++pass) {
        tally.drawOnce();
        if (pass == 1 || pass == 2500 || pass >= 5055) {
            Canvas reference;
            referenceFrame(reference, tally);
            // With every set of row kernels this processor runs.
            const graphics::SupportedRowKernels kernels = graphics::supportedRowKernels();
            for (int i = 0; i < kernels.count; ++i) {
                Canvas fast;
                fast.useRowKernels(*kernels.sets[i]);
                fast.setTextStyle(&arial());
                renderFrame(fast, tally);
                EXPECT_EQ(std::memcmp(fast.page(0), reference.page(0), kPagePixels), 0)
                    << "pass " << pass << ", " << kernels.sets[i]->name;
            }
        }
    }
    EXPECT_TRUE(tally.seriesFull);
}

}  // namespace
}  // namespace brivello::display
