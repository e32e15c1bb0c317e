// A text face rasterised once, without anti-aliasing, into glyph masks that
// the canvas blits. Loading goes through fontconfig and FreeType (Font.cpp);
// after loading neither library is held.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace brivello::graphics {

// One glyph's pixels relative to the pen: rows run downward from the cell's
// bottom edge + top (top is negative: above the bottom), columns from the pen
// x + left. The mask holds `height` rows of `stride` bytes (8, 16 or 32, the
// width rounded up), 0xFF where the glyph has a pixel, else 0; it belongs to
// the font and lies with the other glyphs' masks in one small block.
struct Glyph {
    static constexpr int kMaxSize = 32;  // wider or taller bitmaps are cut
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int advance = 0;  // pixels from this pen position to the next
    int stride = 8;
    const std::uint8_t* mask = nullptr;
    const std::uint8_t* row(int r) const { return mask + r * stride; }
    bool pixel(int r, int column) const { return row(r)[column] != 0; }
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
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    int cellHeight_ = 0;
    std::vector<std::uint8_t> masks_;  // every glyph's mask, filled once at load
    std::string faceName_;
    std::array<Glyph, kLastChar - kFirstChar + 1> glyphs_{};
};

}  // namespace brivello::graphics
