// A text face rasterised once, without anti-aliasing, into glyph masks that
// the canvas blits. Loading goes through fontconfig and FreeType (Font.cpp);
// after loading neither library is held.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace brivello::graphics {

// One glyph's pixels relative to the pen: rows run downward from the cell's
// bottom edge + top (top is negative: above the bottom), columns from the pen
// x + left. mask[row][column] is 0xFF where the glyph has a pixel, else 0.
struct Glyph {
    static constexpr int kMaxSize = 32;  // wider or taller bitmaps are cut
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int advance = 0;  // pixels from this pen position to the next
    std::uint8_t mask[kMaxSize][kMaxSize] = {};
};

class Font {
  public:
    static constexpr int kFirstChar = 32;  // the printable ASCII characters
    static constexpr int kLastChar = 126;

    // Finds `family` through fontconfig (accepting a metric-compatible stand-in,
    // such as Liberation Sans for Arial), normal weight, upright, and
    // rasterises its printable ASCII glyphs so that the character cell, as
    // Windows measures it (its ascent + descent metrics), is cellHeight pixels.
    // On failure returns null and says why in *why.
    static std::unique_ptr<Font> load(const char* family, int cellHeight, std::string* why);

    // Characters outside printable ASCII have no glyph: null.
    const Glyph* glyph(char c) const;
    int cellHeight() const { return cellHeight_; }
    // The face that was found, for messages and tests ("Liberation Sans").
    const std::string& faceName() const { return faceName_; }
    // Width in pixels of text set with the cached advances.
    int textWidth(const char* text, int length) const;

  private:
    Font() = default;
    int cellHeight_ = 0;
    std::string faceName_;
    std::array<Glyph, kLastChar - kFirstChar + 1> glyphs_{};
};

}  // namespace brivello::graphics
