#include "HistogramFrame.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace brivello::display {
namespace {

// Appends a C string or a number to a text, within its fixed buffer.
struct TextBuilder {
    FrameText* text;
    void add(const char* s) {
        const int n = static_cast<int>(std::strlen(s));
        std::memcpy(text->text + text->length, s, n);
        text->length += n;
    }
    void add(int value) {
        char* end = std::to_chars(text->text + text->length, std::end(text->text) - 1, value).ptr;
        text->length = static_cast<int>(end - text->text);
    }
    void addFixed3(double value) {
        char* end = std::to_chars(text->text + text->length, std::end(text->text) - 1, value,
                                  std::chars_format::fixed, 3)
                        .ptr;
        text->length = static_cast<int>(end - text->text);
    }
};

void start(FrameText* text, int x, int y, std::uint8_t colour) {
    text->x = x;
    text->y = y;
    text->colour = colour;
    text->length = 0;
}

}  // namespace

void composeFrameTexts(const DrawTally& tally, FrameTexts* texts) {
    for (int n = 1; n <= kNumbers; ++n) {
        FrameText& label = (*texts)[n - 1];
        start(&label, 650, 12 * n + 10, numberColour(n));
        TextBuilder b{&label};
        b.add(n);
        b.add(" : ");
        b.add(tally.counts[n]);
        label.text[label.length] = '\0';
    }
    FrameText& draws = (*texts)[kNumbers];
    start(&draws, 700, 40, kSummaryColour);
    TextBuilder d{&draws};
    d.add("Extrageri : ");
    d.add(tally.draws);
    draws.text[draws.length] = '\0';

    FrameText& mean = (*texts)[kNumbers + 1];
    start(&mean, 700, 60, kSummaryColour);
    TextBuilder m{&mean};
    m.add("Medie : ");
    m.addFixed3(tally.meanCount());
    mean.text[mean.length] = '\0';
}

int meanLineHeight(double mean) {
    // nearbyint rounds halves to even in the default rounding mode.
    return static_cast<int>(std::nearbyint(mean * 3 / 4));
}

void renderFrame(graphics::Canvas& canvas, const DrawTally& tally) {
    const int maxY = canvas.maxY();
    graphics::DotColumn columns[kNumbers];
    for (int n = 1; n <= kNumbers; ++n)
        columns[n - 1] = {kSlotWidth * (n - 1), tally.counts[n], numberColour(n)};
    canvas.circleColumns(columns, kNumbers, maxY, kDotsPerRow, kDotPitch, kDotPitch);
    FrameTexts texts;
    composeFrameTexts(tally, &texts);
    for (const FrameText& text : texts) {
        canvas.setColour(text.colour);
        canvas.writeText(text.x, text.y, std::string_view(text.text, text.length));
    }
    canvas.setColour(kSummaryColour);
    const int y = maxY - meanLineHeight(tally.meanCount());
    canvas.line(0, y, kMeanLineEnd, y);
}

}  // namespace brivello::display
