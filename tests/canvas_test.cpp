// Pixel contracts of the canvas primitives, checked pixel by pixel.
#include "Canvas.h"
#include "RowKernels.h"
#include "support/PageRuns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

namespace brivello::graphics {
namespace {

using Pixels = std::set<std::pair<int, int>>;

// Every pixel of a page that holds `entry`.
Pixels pixelsOf(const Canvas& canvas, int page, std::uint8_t entry) {
    Pixels found;
    const std::uint8_t* p = canvas.page(page);
    for (int i = 0; i < kPagePixels; ++i) {
        if (p[i] == entry)
            found.insert({i % kWidth, i / kWidth});
    }
    return found;
}

int nonBlack(const Canvas& canvas, int page) {
    const std::uint8_t* p = canvas.page(page);
    return static_cast<int>(kPagePixels - std::count(p, p + kPagePixels, 0));
}

// The ring of a radius-1 circle, cut to the page.
Pixels ring(int x, int y) {
    Pixels expected;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int px = x + dx;
            const int py = y + dy;
            if ((dx || dy) && px >= 0 && px < kWidth && py >= 0 && py < kHeight) {
                expected.insert({px, py});
            }
        }
    }
    return expected;
}

TEST(Canvas, StartsBlackWithPageZeroDrawnAndShown) {
    Canvas canvas;
    EXPECT_EQ(canvas.drawingPage(), 0);
    EXPECT_EQ(canvas.shownPage(), 0);
    EXPECT_EQ(canvas.maxY(), 599);
    for (int page = 0; page < kPageCount; ++page) {
        EXPECT_EQ(nonBlack(canvas, page), 0);
    }
}

// Radius 1 is the eight pixels around the centre; the centre keeps what it
// had. At an edge or corner only the on-page part is written, and the pages
// on either side of the drawing page stay black.
TEST(Canvas, RadiusOneCircleIsTheEightNeighboursClippedToThePage) {
    const std::pair<int, int> centres[] = {{10, 10},   {0, 300}, {799, 300}, {400, 0},   {400, 599},
                                           {0, 0},     {799, 0}, {0, 599},   {799, 599}, {-1, 300},
                                           {400, 600}, {-2, -2}, {1, 1},     {798, 598}};
    for (auto [x, y] : centres) {
        Canvas canvas;
        canvas.selectDrawingPage(1);
        if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) {
            canvas.setColour(7);
            canvas.line(x, y, x, y);
        }
        canvas.setColour(40);
        canvas.circle(x, y, 1);
        EXPECT_EQ(pixelsOf(canvas, 1, 40), ring(x, y)) << x << "," << y;
        if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) {
            EXPECT_EQ(canvas.page(1)[y * kWidth + x], 7) << x << "," << y;
        }
        EXPECT_EQ(nonBlack(canvas, 0), 0);
        EXPECT_EQ(nonBlack(canvas, 2), 0);
    }
}

TEST(Canvas, OtherRadii) {
    struct Case {
        int radius;
        int pixels;  // how many pixels an unclipped circle writes
    };
    const Case cases[] = {{-1, 0}, {0, 1}, {1, 8}, {2, 12}, {5, 28}};
    for (const Case& c : cases) {
        Canvas canvas;
        canvas.setColour(12);
        canvas.circle(100, 100, c.radius);
        const Pixels drawn = pixelsOf(canvas, 0, 12);
        EXPECT_EQ(static_cast<int>(drawn.size()), c.pixels) << c.radius;
        for (auto [x, y] : drawn) {
            const int d2 = (x - 100) * (x - 100) + (y - 100) * (y - 100);
            if (c.radius == 0) {
                EXPECT_EQ(d2, 0);
            } else {
                EXPECT_GT(d2, c.radius * c.radius - c.radius);
                EXPECT_LE(d2, c.radius * c.radius + c.radius);
            }
        }
    }
    // A huge radius is clipped, not walked: only the page is touched.
    Canvas canvas;
    canvas.circle(400, 300, 1 << 30);
    EXPECT_EQ(nonBlack(canvas, 1), 0);
}

// circleRows is a fast way to draw many circles: its pages must equal those
// of the same circles drawn one by one.
TEST(Canvas, CircleRowsEqualsItsCirclesOneByOne) {
    struct Case {
        int x, y, count, perRow, pitchX, pitchY;
    };
    const Case cases[] = {
        {0, 599, 669, 4, 3, 3},      {624, 599, 669, 4, 3, 3},      {13, 599, 5, 4, 3, 3},
        {100, 300, 7, 4, 3, 3},      {797, 599, 10, 4, 3, 3},       {-5, 10, 40, 4, 3, 3},
        {100, 599, 50, 3, 1, 1},     {100, 599, 50, 5, 2, 2},       {100, 400, 30, 2, 13, 7},
        {100, 700, 300, 4, 3, 3},    {100, 599, 0, 4, 3, 3},        {100, 599, -3, 4, 3, 3},
        {100, 599, 9, 30, 3, 3},     {100, 599, 9, 4, 0, 3},        {100, 599, 9, 4, 3, -3},
        {100, 599, 200000, 4, 3, 3}, {400, 2000000000, 5, 4, 3, 3}, {100, 0, 9, 4, 3, 3},
        {100, 1, 9, 4, 3, 3},        {100, -1, 9, 4, 3, 3},         {100, 2, 30, 4, 3, 3},
        {100, 601, 30, 4, 3, 3},     {100, 600, 30, 4, 3, 3},       {787, 300, 30, 4, 3, 3},
        {788, 300, 30, 4, 3, 3},     {100, 300, 30, 4, 2, 3},       {100, 300, 31, 4, 3, 2},
        {100, 300, 30, 6, 3, 3},     {100, 300, 30, 1, 3, 3},
    };
    for (const Case& c : cases) {
        Canvas fast;
        Canvas slow;
        fast.setColour(35);
        slow.setColour(35);
        fast.circleRows(c.x, c.y, c.count, c.perRow, c.pitchX, c.pitchY);
        for (int k = 0; k < c.count && k < 4000; ++k) {
            slow.circle(c.x + c.pitchX * (k % c.perRow), c.y - c.pitchY * (k / c.perRow), 1);
        }
        EXPECT_EQ(std::memcmp(fast.page(0), slow.page(0), kPagePixels), 0)
            << c.x << "," << c.y << " count " << c.count << " perRow " << c.perRow;
        EXPECT_EQ(nonBlack(fast, 1), 0);
    }
}

// circleColumns draws a row at a time across columns: whatever the layout,
// its page must equal that of the same circles drawn one by one, column after
// column, with every set of row kernels this processor runs.
TEST(Canvas, CircleColumnsEqualsItsCirclesOneByOne) {
    struct Case {
        const char* what;
        int y, perRow, pitchX, pitchY;
        std::vector<DotColumn> columns;
    };
    // The histogram's layout, with counts of a late frame.
    std::vector<DotColumn> histogram;
    for (int n = 0; n < 49; ++n)
        histogram.push_back({13 * n, 560 + (n * 37) % 110, static_cast<std::uint8_t>(35 + n)});
    histogram[5].count = 669;
    histogram[6].count = 0;
    histogram[7].count = 1;
    const std::vector<DotColumn> three = {{20, 30, 40}, {33, 7, 41}, {46, 669, 42}};
    const Case cases[] = {
        {"histogram", 599, 4, 3, 3, histogram},
        {"histogram one row up", 598, 4, 3, 3, histogram},
        {"histogram at the page's foot", 600, 4, 3, 3, histogram},
        {"histogram from the top rows", 2, 4, 3, 3, histogram},
        {"bottom row at y 0", 0, 4, 3, 3, three},
        {"bottom row at y 1", 1, 4, 3, 3, three},
        {"rows apart", 599, 4, 3, 5, three},
        {"dots closer", 400, 5, 2, 3, three},
        {"one dot a row", 500, 1, 3, 3, three},
        {"cut by the left edge",
         599,
         4,
         3,
         3,
         {{-60, 9, 40}, {-9, 50, 41}, {0, 50, 42}, {12, 3, 43}}},
        {"cut by the right edge",
         599,
         4,
         3,
         3,
         {{770, 50, 40}, {787, 50, 41}, {799, 50, 42}, {800, 50, 43}, {900, 9, 44}}},
        {"empty and negative counts", 599, 4, 3, 3, {{10, 0, 40}, {30, -4, 41}, {50, 6, 42}}},
        {"no columns", 599, 4, 3, 3, {}},
        {"one column", 599, 4, 3, 3, {{400, 669, 40}}},
        // Layouts drawn column by column.
        {"overlapping", 599, 4, 3, 3, {{20, 30, 40}, {28, 30, 41}}},
        {"right to left", 599, 4, 3, 3, {{60, 30, 40}, {20, 30, 41}}},
        {"rows sharing pixel rows", 599, 4, 3, 2, three},
        {"below the page", 601, 4, 3, 3, three},
        {"far below the page", 5000, 4, 3, 3, three},
        {"above the page", -2, 4, 3, 3, three},
        {"too wide a row", 599, 30, 3, 3, three},
        {"no dots a row", 599, 0, 3, 3, three},
        {"many columns", 599, 1, 3, 3, std::vector<DotColumn>(70, DotColumn{300, 5, 40})},
    };
    const SupportedRowKernels kernels = supportedRowKernels();
    ASSERT_GE(kernels.count, 1);
    for (const Case& c : cases) {
        Canvas slow;
        testing::fillWithRuns(slow, 7);
        for (const DotColumn& column : c.columns) {
            slow.setColour(column.colour);
            for (int k = 0; k < column.count && k < 4000; ++k) {
                slow.circle(column.x + c.pitchX * (k % std::max(c.perRow, 1)),
                            c.y - c.pitchY * (k / std::max(c.perRow, 1)), 1);
            }
        }
        for (int i = 0; i < kernels.count; ++i) {
            Canvas fast;
            fast.useRowKernels(*kernels.sets[i]);
            testing::fillWithRuns(fast, 7);
            fast.setColour(9);
            fast.circleColumns(c.columns.data(), static_cast<int>(c.columns.size()), c.y, c.perRow,
                               c.pitchX, c.pitchY);
            if (c.perRow >= 1) {
                EXPECT_EQ(std::memcmp(fast.page(0), slow.page(0), kPagePixels), 0)
                    << c.what << ", " << kernels.sets[i]->name;
            }
            EXPECT_EQ(fast.colour(), 9) << c.what;
            EXPECT_EQ(nonBlack(fast, 1), 0) << c.what;
        }
    }
}

TEST(Canvas, CircleRowsLeavesCentresAndOtherPixels) {
    Canvas canvas;
    canvas.setColour(3);
    canvas.line(0, 598, 799, 598);  // the row of the first centres
    canvas.setColour(50);
    canvas.circleRows(20, 598, 4, 4, 3, 3);
    for (int x : {20, 23, 26, 29}) {
        EXPECT_EQ(canvas.page(0)[598 * kWidth + x], 3) << x;
    }
    EXPECT_EQ(canvas.page(0)[598 * kWidth + 18], 3);
    EXPECT_EQ(canvas.page(0)[598 * kWidth + 31], 3);
}

TEST(Canvas, LinesIncludeBothEndPointsAndClip) {
    struct Case {
        int x1, y1, x2, y2;
        int pixels;
    };
    const Case cases[] = {
        {0, 590, 640, 590, 641}, {640, 590, 0, 590, 641},      {5, 5, 5, 5, 1},
        {10, 20, 10, 30, 11},    {10, 10, 20, 20, 11},         {20, 20, 10, 10, 11},
        {0, 0, 9, 3, 10},        {-10, -10, 10, 10, 11},       {790, 300, 900, 300, 10},
        {-5, 700, 5, 700, 0},    {-100000, 5, 100000, 5, 800}, {-100000, -7, 100000, 9, 0},
    };
    for (const Case& c : cases) {
        Canvas canvas;
        canvas.selectDrawingPage(2);
        canvas.setColour(44);
        canvas.line(c.x1, c.y1, c.x2, c.y2);
        const Pixels drawn = pixelsOf(canvas, 2, 44);
        EXPECT_EQ(static_cast<int>(drawn.size()), c.pixels)
            << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
        auto onPage = [](int x, int y) { return x >= 0 && x < kWidth && y >= 0 && y < kHeight; };
        if (onPage(c.x1, c.y1)) {
            EXPECT_TRUE(drawn.count({c.x1, c.y1}));
        }
        if (onPage(c.x2, c.y2)) {
            EXPECT_TRUE(drawn.count({c.x2, c.y2}));
        }
        EXPECT_EQ(nonBlack(canvas, 1) + nonBlack(canvas, 3), 0);
    }
    // The mean line: x 0..640 of one row and nothing else.
    Canvas canvas;
    canvas.setColour(44);
    canvas.line(0, 595, 640, 595);
    Pixels expected;
    for (int x = 0; x <= 640; ++x)
        expected.insert({x, 595});
    EXPECT_EQ(pixelsOf(canvas, 0, 44), expected);
}

TEST(Canvas, ClearAndDrawOnlyOnTheSelectedPage) {
    Canvas canvas;
    for (int page = 0; page < kPageCount; ++page) {
        canvas.selectDrawingPage(page);
        canvas.setColour(static_cast<std::uint8_t>(100 + page));
        canvas.line(0, page, 799, page);
    }
    canvas.selectDrawingPage(7);  // out of range: ignored
    EXPECT_EQ(canvas.drawingPage(), 3);
    canvas.selectDrawingPage(2);
    canvas.clearDrawingPage();
    for (int page = 0; page < kPageCount; ++page) {
        EXPECT_EQ(nonBlack(canvas, page), page == 2 ? 0 : kWidth) << page;
        if (page != 2) {
            EXPECT_EQ(pixelsOf(canvas, page, static_cast<std::uint8_t>(100 + page)).size(),
                      std::size_t{kWidth});
        }
    }
    canvas.showPage(3);
    canvas.showPage(-1);
    EXPECT_EQ(canvas.shownPage(), 3);
    EXPECT_EQ(canvas.drawingPage(), 2);
}

TEST(Canvas, CopyShownPageSkipsTheDrawingPageAndUnchangedPages) {
    Canvas canvas;
    std::vector<std::uint8_t> out(kPagePixels);
    std::uint64_t generation = 0;
    EXPECT_FALSE(canvas.copyShownPage(out.data(), &generation));  // shown = drawing = 0
    canvas.selectDrawingPage(1);
    canvas.setColour(5);
    canvas.line(0, 0, 0, 0);
    canvas.showPage(1);
    EXPECT_FALSE(canvas.copyShownPage(out.data(), &generation));
    canvas.selectDrawingPage(0);
    EXPECT_TRUE(canvas.copyShownPage(out.data(), &generation));
    EXPECT_EQ(out[0], 5);
    EXPECT_FALSE(canvas.copyShownPage(out.data(), &generation));  // nothing changed since
}

}  // namespace
}  // namespace brivello::graphics
