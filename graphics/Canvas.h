// Four 800 × 600 pages of palette entries, one byte per pixel, in plain
// memory, and the drawing primitives that write them. The window presents the
// shown page; the frame tool and the tests use the canvas with no window.
//
// Threads: the program draws from one thread. A presenting thread may read
// the shown page only through copyShownPage(), which never copies the drawing
// page; selectDrawingPage() waits for such a copy of the page it selects.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>

namespace brivello::graphics {

class Font;
struct RowKernels;

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kPageCount = 4;
constexpr int kPagePixels = kWidth * kHeight;

// One column of dots for circleColumns: `count` radius-1 circles, the first
// centred at x on the shared bottom row, all in palette entry `colour`.
struct DotColumn {
    int x = 0;
    int count = 0;
    std::uint8_t colour = 15;
};

enum class HorizontalJustify { Left, Centre, Right };
enum class VerticalJustify { Bottom, Centre, Top };

class Canvas {
  public:
    // Four black pages; page 0 is drawn on and shown; colour 15 (white);
    // no text face; text anchored at its cell's bottom-left corner.
    Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Later drawing goes to `page` (0..3; other values are ignored). Returns
    // once no copy of that page for presenting is under way.
    void selectDrawingPage(int page);
    // The page to present from now on (0..3; other values are ignored).
    void showPage(int page);
    int drawingPage() const { return drawing_; }
    int shownPage() const;

    // Sets every pixel of the drawing page to entry 0 (black).
    void clearDrawingPage();
    // Later circles, lines and text write this palette entry.
    void setColour(std::uint8_t entry) { colour_ = entry; }
    std::uint8_t colour() const { return colour_; }
    // The last pixel row: 599.
    int maxY() const { return kHeight - 1; }

    // Circle outline, 1 pixel thick, centred on (x, y). Writes the drawing
    // colour to each pixel (x + dx, y + dy) with r² − r < dx² + dy² ≤ r² + r:
    // the pixels whose centres lie within half a pixel of the true circle.
    // Radius 1 is the eight pixels around the centre; the centre is left as it
    // was. Radius 0 is the centre alone; a negative radius draws nothing.
    // Clips: pixels off the page are skipped.
    void circle(int x, int y, int radius);
    // Exactly the pixels of `count` radius-1 circles, the k-th (k from 0)
    // centred at (x + pitchX × (k mod perRow), y − pitchY × (k div perRow)):
    // rows of perRow circles going up from y. Same colour, same clipping; any
    // count ≤ 0 draws nothing. Written row by row, for speed.
    void circleRows(int x, int y, int count, int perRow, int pitchX, int pitchY);
    // Exactly the pixels of circleRows(c.x, y, c.count, perRow, pitchX,
    // pitchY) in colour c.colour for each of the n columns c in turn, so that
    // later columns lie on top of earlier ones. The drawing colour is left as
    // it was. Written a pixel row at a time across all columns, with the
    // widest stores the processor has, when the columns run left to right
    // without overlapping, their rows do not share pixel rows (pitchY ≥ 3),
    // there are at most 64 of them and y lies in 0..kHeight; column by column
    // otherwise.
    void circleColumns(const DotColumn* columns, int n, int y, int perRow, int pitchX, int pitchY);
    // Straight line 1 pixel thick from (x1, y1) to (x2, y2), both end points
    // drawn (Bresenham). Clips. A line with a coordinate beyond ±32768 draws
    // nothing.
    void line(int x1, int y1, int x2, int y2);

    // Text face for writeText; null (the start) writes no text. The canvas
    // does not own the font, which must outlive its use here.
    void setTextStyle(const Font* font) { font_ = font; }
    void setTextJustification(HorizontalJustify horizontal, VerticalJustify vertical);
    // Draws the glyph pixels of `text` in the drawing colour, pixels between
    // them left as they were, the character cell (the font's cell height,
    // rows y − height … y − 1 when anchored at the bottom) placed at (x, y) by
    // the justification. Characters outside printable ASCII are skipped.
    // Clips.
    void writeText(int x, int y, std::string_view text);

    // Read access to a page's pixels, row after row, for tools and tests.
    // Not for a presenting thread: see copyShownPage().
    const std::uint8_t* page(int index) const { return pages_.get() + index * kPagePixels; }

    // For the presenting thread: copies the shown page into `out`
    // (kPagePixels bytes) if a page was selected or shown since *generation
    // and the shown page is not the drawing page; then updates *generation.
    // Returns whether it copied.
    bool copyShownPage(std::uint8_t* out, std::uint64_t* generation);

    // The row kernels circleColumns uses: the widest the processor runs
    // unless a test or benchmark picks others (see RowKernels.h).
    void useRowKernels(const RowKernels& kernels) { kernels_ = &kernels; }

  private:
    std::uint8_t* drawingPixels() { return pages_.get() + drawing_ * kPagePixels; }
    void circleClipped(int x, int y, int radius);

    std::unique_ptr<std::uint8_t[]> pages_;
    int drawing_ = 0;
    std::uint8_t colour_ = 15;
    const Font* font_ = nullptr;
    const RowKernels* kernels_;
    HorizontalJustify horizontal_ = HorizontalJustify::Left;
    VerticalJustify vertical_ = VerticalJustify::Bottom;

    // Shared with a presenting thread, under mutex_.
    mutable std::mutex mutex_;
    std::condition_variable copyDone_;
    int shown_ = 0;
    int copying_ = -1;  // the page being copied for presenting, or -1
    std::uint64_t generation_ = 1;
};

}  // namespace brivello::graphics
