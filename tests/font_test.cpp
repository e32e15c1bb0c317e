// Text: the face, its cell, and how text lands on a page.
#include "Font.h"
#include "Canvas.h"
#include "support/PageRuns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace brivello::graphics {
namespace {

const Font& arial() {
    static std::unique_ptr<Font> font = [] {
        std::string why;
        auto loaded = Font::load("Arial", 16, &why);
        EXPECT_NE(loaded, nullptr) << why;
        return loaded;
    }();
    return *font;
}

struct Box {
    int left = kWidth, right = -1, top = kHeight, bottom = -1;
    int pixels = 0;
};

// Where `entry` lies on page 0, and that nothing else but `background` does.
Box boxOf(const Canvas& canvas, std::uint8_t entry, std::uint8_t background) {
    Box box;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const std::uint8_t v = canvas.page(0)[y * kWidth + x];
            if (v == entry) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
                ++box.pixels;
            } else {
                EXPECT_EQ(v, background) << x << "," << y;
                if (v != background)
                    return box;
            }
        }
    }
    return box;
}

Canvas& filledCanvas(Canvas& canvas, std::uint8_t background) {
    canvas.setColour(background);
    for (int y = 0; y < kHeight; ++y)
        canvas.line(0, y, kWidth - 1, y);
    canvas.setTextStyle(&arial());
    return canvas;
}

TEST(Font, FindsArialOrItsMetricTwin) {
    const Font& font = arial();
    EXPECT_TRUE(font.faceName() == "Arial" || font.faceName() == "Liberation Sans")
        << font.faceName();
    EXPECT_EQ(font.cellHeight(), 16);
    EXPECT_EQ(font.glyph('\n'), nullptr);
    ASSERT_NE(font.glyph('7'), nullptr);
    EXPECT_GT(font.glyph('7')->advance, 0);
    // Digits share one advance, so columns of counts line up.
    for (char c = '0'; c <= '9'; ++c)
        EXPECT_EQ(font.glyph(c)->advance, font.glyph('0')->advance);
}

TEST(Font, MissingFaceFailsWithAReason) {
    std::string why;
    EXPECT_EQ(Font::load("No Such Face Brivello", 16, &why), nullptr);
    EXPECT_NE(why.find("No Such Face Brivello"), std::string::npos) << why;
    EXPECT_NE(why.find("fonts-liberation2"), std::string::npos) << why;
}

// A fontconfig that knows no fonts at all: "Arial" must be refused, not
// replaced by whatever comes first.
TEST(Font, EmptyFontconfigFindsNoArial) {
    const std::string path = ::testing::TempDir() + "brivello-empty-fonts.conf";
    std::ofstream(path) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
    const char* before = std::getenv("FONTCONFIG_FILE");
    const std::string saved = before ? before : "";
    setenv("FONTCONFIG_FILE", path.c_str(), 1);
    std::string why;
    EXPECT_EQ(Font::load("Arial", 16, &why), nullptr);
    EXPECT_NE(why.find("\"Arial\""), std::string::npos) << why;
    if (before) {
        setenv("FONTCONFIG_FILE", saved.c_str(), 1);
    } else {
        unsetenv("FONTCONFIG_FILE");
    }
}

// Bottom-left anchoring: the glyphs lie in the 16-pixel cell whose
// bottom-left corner is the given point (rows y − 16 … y − 1, from x on),
// in the drawing colour, and every other pixel keeps what it had.
TEST(Text, LiesInItsCellInTheDrawingColour) {
    struct Case {
        int x, y;
        const char* text;
    };
    const Case cases[] = {{700, 40, "Extrageri : 5056"},
                          {650, 598, "49 : 0"},
                          {650, 22, "1 : 669"},
                          {0, 16, "gjpqy|"}};
    for (const Case& c : cases) {
        Canvas canvas;
        filledCanvas(canvas, 8);
        canvas.setColour(44);
        canvas.writeText(c.x, c.y, c.text);
        const Box box = boxOf(canvas, 44, 8);
        EXPECT_GT(box.pixels, 20) << c.text;
        EXPECT_GE(box.left, c.x) << c.text;
        EXPECT_LE(box.right, c.x + arial().textWidth(c.text, int(std::strlen(c.text))));
        EXPECT_GE(box.top, c.y - 16) << c.text;
        EXPECT_LE(box.bottom, c.y - 1) << c.text;
    }
}

// Text as the glyphs define it: each glyph pixel written alone, the pen
// moving by the advances, the cell placed by the justification.
void referenceText(std::uint8_t* page, long long x, long long y, const std::string& text,
                   HorizontalJustify horizontal, VerticalJustify vertical, std::uint8_t colour) {
    const Font& font = arial();
    const int width = font.textWidth(text.data(), static_cast<int>(text.size()));
    long long pen = x - (horizontal == HorizontalJustify::Right    ? width
                         : horizontal == HorizontalJustify::Centre ? width / 2
                                                                   : 0);
    const long long bottom = y + (vertical == VerticalJustify::Top      ? 16
                                  : vertical == VerticalJustify::Centre ? 8
                                                                        : 0);
    for (char c : text) {
        const Glyph* g = font.glyph(c);
        if (g == nullptr)
            continue;
        for (int row = 0; row < g->height; ++row) {
            for (int column = 0; column < g->width; ++column) {
                const long long px = pen + g->left + column;
                const long long py = bottom + g->top + row;
                if (g->pixel(row, column) && px >= 0 && px < kWidth && py >= 0 && py < kHeight)
                    page[py * kWidth + px] = colour;
            }
        }
        pen += g->advance;
    }
}

// Glyphs are blended a mask row at a time, several bytes at once; at every
// place and across every edge the page must equal the glyphs drawn pixel by
// pixel.
TEST(Text, EqualsItsGlyphsPixelByPixel) {
    std::string long_;
    for (int i = 0; i < 40; ++i)
        long_ += "Extrageri : ";
    const std::string texts[] = {"49 : 669",
                                 "Extrageri : 5056",
                                 "Medie : 103.204",
                                 "gjpqy|WM@_~",
                                 long_,
                                 "a\n\t\x7f\x80"
                                 "b",
                                 "",
                                 "   ",
                                 std::string("x\0y", 3)};
    const std::pair<int, int> points[] = {
        {650, 22},  {700, 40},         {0, 16},          {-30, 300},        {-5, 300},
        {-63, 300}, {-64, 300},        {737, 300},       {780, 300},        {799, 300},
        {795, 5},   {400, 8},          {400, 605},       {400, 599},        {400, 615},
        {400, 617}, {-2000000000, 50}, {2000000000, 50}, {400, 2000000000}, {400, -2000000000},
    };
    const std::pair<HorizontalJustify, VerticalJustify> styles[] = {
        {HorizontalJustify::Left, VerticalJustify::Bottom},
        {HorizontalJustify::Right, VerticalJustify::Top},
        {HorizontalJustify::Centre, VerticalJustify::Centre}};
    Canvas background;
    testing::fillWithRuns(background, 5);
    std::vector<std::uint8_t> expected(kPagePixels);
    for (const std::string& text : texts) {
        for (auto [x, y] : points) {
            for (auto [horizontal, vertical] : styles) {
                std::memcpy(expected.data(), background.page(0), kPagePixels);
                referenceText(expected.data(), x, y, text, horizontal, vertical, 44);
                Canvas canvas;
                std::memcpy(const_cast<std::uint8_t*>(canvas.page(0)), background.page(0),
                            kPagePixels);
                canvas.setTextStyle(&arial());
                canvas.setTextJustification(horizontal, vertical);
                canvas.setColour(44);
                canvas.writeText(x, y, text);
                const auto differ = std::mismatch(expected.begin(), expected.end(), canvas.page(0));
                const long at = differ.first - expected.begin();
                ASSERT_EQ(differ.first, expected.end())
                    << "\"" << text.substr(0, 20) << "\" at " << x << "," << y
                    << ": first wrong pixel " << at % kWidth << "," << at / kWidth;
                const std::uint8_t* other = canvas.page(1);
                ASSERT_EQ(std::count(other, other + kPagePixels, 0), kPagePixels);
            }
        }
    }
}

TEST(Text, DescendersReachBelowDigits) {
    Canvas canvas;
    filledCanvas(canvas, 0);
    canvas.setColour(44);
    canvas.writeText(100, 100, "0");
    const Box digit = boxOf(canvas, 44, 0);
    canvas.clearDrawingPage();
    canvas.writeText(100, 100, "g");
    const Box descender = boxOf(canvas, 44, 0);
    EXPECT_GT(descender.bottom, digit.bottom);
    EXPECT_GE(digit.bottom, 100 - 5);  // digits sit on the baseline, 3 rows up
    EXPECT_GE(digit.top, 100 - 16);
}

TEST(Text, ClipsAtEveryEdge) {
    const std::pair<int, int> points[] = {{780, 300}, {-30, 300}, {400, 8}, {400, 605}};
    for (auto [x, y] : points) {
        Canvas canvas;
        canvas.setTextStyle(&arial());
        canvas.selectDrawingPage(1);
        canvas.setColour(44);
        canvas.writeText(x, y, "Extrageri : 12345678901234567890");
        for (int page : {0, 2}) {
            const std::uint8_t* p = canvas.page(page);
            EXPECT_EQ(std::count(p, p + kPagePixels, 0), kPagePixels) << x << "," << y;
        }
        // Nothing wraps round to the other side of the page.
        const std::uint8_t* p = canvas.page(1);
        for (int row = std::max(0, y - 16); row < std::min(kHeight, y); ++row) {
            const int farSide = x > 400 ? 0 : kWidth - 1;
            EXPECT_EQ(p[row * kWidth + farSide], 0) << x << "," << y;
        }
    }
}

TEST(Text, Justification) {
    struct Case {
        HorizontalJustify horizontal;
        VerticalJustify vertical;
        int cellLeft;  // relative to the point, for a text of width w: 0, −w/2, −w
        int cellTop;   // relative to the point
    };
    const Case cases[] = {{HorizontalJustify::Left, VerticalJustify::Bottom, 0, -16},
                          {HorizontalJustify::Right, VerticalJustify::Top, -2, 0},
                          {HorizontalJustify::Centre, VerticalJustify::Centre, -1, -8}};
    const char* text = "Medie : 6.000";
    const int width = arial().textWidth(text, int(std::strlen(text)));
    for (const Case& c : cases) {
        Canvas canvas;
        filledCanvas(canvas, 0);
        canvas.setColour(44);
        canvas.setTextJustification(c.horizontal, c.vertical);
        canvas.writeText(400, 300, text);
        const Box box = boxOf(canvas, 44, 0);
        const int left = 400 + (c.cellLeft == 0 ? 0 : c.cellLeft == -1 ? -width / 2 : -width);
        EXPECT_GE(box.left, left);
        EXPECT_LE(box.right, left + width);
        EXPECT_GE(box.top, 300 + c.cellTop);
        EXPECT_LE(box.bottom, 300 + c.cellTop + 15);
    }
}

TEST(Text, NoFaceWritesNothing) {
    Canvas canvas;
    canvas.setColour(44);
    canvas.writeText(100, 100, "1 : 0");
    const std::uint8_t* p = canvas.page(0);
    EXPECT_EQ(std::count(p, p + kPagePixels, 0), kPagePixels);
}

}  // namespace
}  // namespace brivello::graphics
