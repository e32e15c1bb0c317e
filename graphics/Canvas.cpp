#include "Canvas.h"

#include "Font.h"
#include "RowKernels.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace brivello::graphics {
namespace {

constexpr std::uint64_t kBytes = 0x0101010101010101ull;

// dst[i] = mask[i] ? colour : dst[i] for i < n, eight bytes at a time.
// mask bytes are 0xFF or 0x00.
inline void blendSpan(std::uint8_t* dst, const std::uint8_t* mask, int n, std::uint8_t colour) {
    const std::uint64_t fill = kBytes * colour;
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::uint64_t bits;
        std::memcpy(&word, dst + i, 8);
        std::memcpy(&bits, mask + i, 8);
        word = (word & ~bits) | (fill & bits);
        std::memcpy(dst + i, &word, 8);
    }
    if (i + 4 <= n) {
        std::uint32_t word;
        std::uint32_t bits;
        std::memcpy(&word, dst + i, 4);
        std::memcpy(&bits, mask + i, 4);
        word = (word & ~bits) | (static_cast<std::uint32_t>(fill) & bits);
        std::memcpy(dst + i, &word, 4);
        i += 4;
    }
    for (; i < n; ++i) {
        if (mask[i])
            dst[i] = colour;
    }
}

// Sixteen pixels at once, through the compiler's portable vector type.
typedef std::uint8_t Bytes16 __attribute__((vector_size(16)));

inline Bytes16 load16(const std::uint8_t* p) {
    Bytes16 v;
    std::memcpy(&v, p, 16);
    return v;
}

// dst[i] = mask[i] ? fill[i] : dst[i] for 16 bytes; mask bytes 0xFF or 0.
inline void blend16(std::uint8_t* dst, Bytes16 mask, Bytes16 fill) {
    const Bytes16 v = (load16(dst) & ~mask) | (fill & mask);
    std::memcpy(dst, &v, 16);
}

// The part of a mask row starting at page column x that lies on the page,
// written byte by byte: only for spans that cross an edge.
inline void blendSpanClipped(std::uint8_t* row, int x, const std::uint8_t* mask, int n,
                             std::uint8_t colour) {
    const int from = std::max(0, -x);
    const int to = std::min(n, kWidth - x);
    for (int i = from; i < to; ++i) {
        if (mask[i])
            row[x + i] = colour;
    }
}

// A row of dots spans from 1 left of its first centre to 1 right of its
// last; the fast paths keep such a row's masks on the stack.
constexpr int kMaxSpan = 64;

// Masks of one row of m dots `pitch` apart, from 1 left of the first centre:
// the pixel rows above and below the centres (three pixels per dot) and the
// centre row (both sides, not the centre). Padded with zeros so that any 16
// bytes from within the span can be read.
struct RowMasks {
    std::uint8_t edge[kMaxSpan + 16];
    std::uint8_t middle[kMaxSpan + 16];
};

void makeMasks(int m, int pitch, RowMasks* masks) {
    std::memset(masks, 0, sizeof *masks);
    for (int d = 0; d < m; ++d) {
        const int c = 1 + pitch * d;
        masks->edge[c - 1] = masks->edge[c] = masks->edge[c + 1] = 0xFF;
        masks->middle[c - 1] = masks->middle[c + 1] = 0xFF;
    }
}

bool onPage(int x, int y) {
    return x >= 0 && x < kWidth && y >= 0 && y < kHeight;
}

}  // namespace

Canvas::Canvas() : pages_(new std::uint8_t[kPageCount * kPagePixels]()), kernels_(&rowKernels()) {}

void Canvas::selectDrawingPage(int page) {
    if (page < 0 || page >= kPageCount)
        return;
    std::unique_lock<std::mutex> lock(mutex_);
    copyDone_.wait(lock, [&] { return copying_ != page; });
    drawing_ = page;
    ++generation_;
}

void Canvas::showPage(int page) {
    if (page < 0 || page >= kPageCount)
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    shown_ = page;
    ++generation_;
}

int Canvas::shownPage() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return shown_;
}

bool Canvas::copyShownPage(std::uint8_t* out, std::uint64_t* generation) {
    int page = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (*generation == generation_ || shown_ == drawing_)
            return false;
        page = shown_;
        copying_ = page;
        *generation = generation_;
    }
    // The copy runs unlocked: the program may go on drawing another page,
    // and selectDrawingPage(page) waits for copying_ to clear.
    std::memcpy(out, this->page(page), kPagePixels);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        copying_ = -1;
    }
    copyDone_.notify_all();
    return true;
}

void Canvas::clearDrawingPage() {
    std::memset(drawingPixels(), 0, kPagePixels);
}

void Canvas::circle(int x, int y, int radius) {
    if (radius == 1 && x >= 1 && x < kWidth - 1 && y >= 1 && y < kHeight - 1) {
        std::uint8_t* p = drawingPixels() + y * kWidth + x;
        p[-kWidth - 1] = p[-kWidth] = p[-kWidth + 1] = colour_;
        p[-1] = p[1] = colour_;
        p[kWidth - 1] = p[kWidth] = p[kWidth + 1] = colour_;
        return;
    }
    circleClipped(x, y, radius);
}

void Canvas::circleClipped(int x, int y, int radius) {
    if (radius < 0)
        return;
    std::uint8_t* pixels = drawingPixels();
    if (radius == 0) {
        if (onPage(x, y))
            pixels[y * kWidth + x] = colour_;
        return;
    }
    // Work in 64 bits: a huge radius must not overflow r² + r.
    const long long r = radius;
    const long long inner = r * r - r;
    const long long outer = r * r + r;
    const long long top = std::max<long long>(0, y - r);
    const long long bottom = std::min<long long>(kHeight - 1, y + r);
    const long long left = std::max<long long>(0, x - r);
    const long long right = std::min<long long>(kWidth - 1, x + r);
    for (long long py = top; py <= bottom; ++py) {
        for (long long px = left; px <= right; ++px) {
            const long long d2 = (px - x) * (px - x) + (py - y) * (py - y);
            if (d2 > inner && d2 <= outer)
                pixels[py * kWidth + px] = colour_;
        }
    }
}

void Canvas::circleRows(int x, int y, int count, int perRow, int pitchX, int pitchY) {
    if (count <= 0 || perRow < 1)
        return;
    const long long span = static_cast<long long>(pitchX) * (perRow - 1) + 3;
    if (pitchX < 1 || pitchY < 1 || span > kMaxSpan) {
        for (int k = 0; k < count; ++k) {
            const long long cx = x + static_cast<long long>(pitchX) * (k % perRow);
            const long long cy = y - static_cast<long long>(pitchY) * (k / perRow);
            if (cx >= -1 && cx <= kWidth && cy >= -1 && cy <= kHeight) {
                circle(static_cast<int>(cx), static_cast<int>(cy), 1);
            }
        }
        return;
    }
    const int width = static_cast<int>(span);
    RowMasks full;
    RowMasks partial;
    makeMasks(perRow, pitchX, &full);
    const int fullRows = count / perRow;
    const int rest = count % perRow;
    if (rest > 0)
        makeMasks(rest, pitchX, &partial);

    // The span cut to the page once for all rows: page columns
    // [start, start + n), mask bytes from `skip` on.
    const int left = x - 1;
    const int start = std::max(left, 0);
    const int n = std::min(left + width, kWidth) - start;
    if (n <= 0)
        return;
    const int skip = start - left;

    // The fast path blends 16 bytes from the span's start, which must lie on
    // the page; the masks' zero padding covers what lies beyond the span.
    const bool fast = n <= 16 && start + 16 <= kWidth;

    std::uint8_t* pixels = drawingPixels();
    Bytes16 fill16;
    std::memset(&fill16, colour_, 16);
    auto blendRow = [&](long long py, const std::uint8_t* mask) {
        if (py < 0 || py >= kHeight)
            return;
        blendSpan(pixels + py * kWidth + start, mask + skip, n, colour_);
    };
    auto drawRow = [&](int r) {
        const bool isFull = r < fullRows;
        const RowMasks& masks = isFull ? full : partial;
        const long long cy = static_cast<long long>(y) - static_cast<long long>(pitchY) * r;
        if (fast && cy - 1 >= 0 && cy + 1 < kHeight) {
            std::uint8_t* centre = pixels + cy * kWidth + start;
            const Bytes16 edge = load16(masks.edge + skip);
            blend16(centre + kWidth, edge, fill16);
            blend16(centre, load16(masks.middle + skip), fill16);
            blend16(centre - kWidth, edge, fill16);
        } else {
            blendRow(cy + 1, masks.edge);
            blendRow(cy, masks.middle);
            blendRow(cy - 1, masks.edge);
        }
    };
    const int rows = fullRows + (rest > 0 ? 1 : 0);
    // Only rows r with a pixel on the page: cy − 1 < kHeight and cy + 1 ≥ 0.
    const long long firstRow = std::max<long long>(0, (y - kHeight) / pitchY);
    const long long endRow = std::min<long long>(rows, (y + 1) / pitchY + 1);
    // The bulk: full rows whose three pixel rows all lie on the page, in a
    // loop with nothing left to decide per row.
    long long bulkFrom = std::max<long long>(firstRow, (y + 1 - (kHeight - 1) + pitchY) / pitchY);
    long long bulkTo = y >= 1 ? std::min<long long>(fullRows, (y - 1) / pitchY + 1) : 0;
    if (!fast || bulkFrom >= bulkTo)
        bulkFrom = bulkTo = firstRow;
    for (long long r = firstRow; r < bulkFrom; ++r)
        drawRow(static_cast<int>(r));
    if (bulkFrom < bulkTo) {
        // One 16-byte blend per pixel row, with the masks held in registers.
        const Bytes16 edge = load16(full.edge + skip);
        const Bytes16 middle = load16(full.middle + skip);
        const std::ptrdiff_t step = static_cast<std::ptrdiff_t>(pitchY) * kWidth;
        std::uint8_t* centre =
            pixels + (y - static_cast<long long>(pitchY) * bulkFrom) * kWidth + start;
        for (long long r = bulkFrom; r < bulkTo; ++r, centre -= step) {
            blend16(centre + kWidth, edge, fill16);
            blend16(centre, middle, fill16);
            blend16(centre - kWidth, edge, fill16);
        }
    }
    for (long long r = bulkTo; r < endRow; ++r)
        drawRow(static_cast<int>(r));
}

void Canvas::circleColumns(const DotColumn* columns, int n, int y, int perRow, int pitchX,
                           int pitchY) {
    // Up to 64 columns, and y no lower than just below the page: then at most
    // (kHeight + 1) / 3 + 1 rows of dots have pixels on the page.
    constexpr int kMaxColumns = 64;
    constexpr int kMaxDotRows = (kHeight + 1) / 3 + 1;
    const long long spanLong = static_cast<long long>(pitchX) * (perRow - 1) + 3;
    bool rowByRow = n <= kMaxColumns && perRow >= 1 && pitchX >= 1 && pitchY >= 3 &&
                    spanLong <= kMaxSpan && y >= 0 && y <= kHeight;
    const int span = rowByRow ? static_cast<int>(spanLong) : 0;

    // A column with pixels on the page: some dots, and a span that meets it.
    auto drawsOnPage = [&](const DotColumn& c) {
        const long long left = static_cast<long long>(c.x) - 1;
        return c.count > 0 && left < kWidth && left + span > 0;
    };
    // Such columns must run left to right, apart.
    long long end = -kMaxSpan;
    int lo = kWidth;
    int hi = 0;
    int maxDotRows = 0;
    for (int k = 0; rowByRow && k < n; ++k) {
        const DotColumn& c = columns[k];
        if (!drawsOnPage(c))
            continue;
        const long long left = static_cast<long long>(c.x) - 1;
        rowByRow = left >= end;
        end = left + span;
        lo = std::min<int>(lo, static_cast<int>(std::max(0LL, left)));
        hi = static_cast<int>(std::min<long long>(kWidth, end));
        maxDotRows = std::max(maxDotRows, (c.count - 1) / perRow + 1);
    }
    if (!rowByRow) {
        const std::uint8_t colour = colour_;
        for (int k = 0; k < n; ++k) {
            colour_ = columns[k].colour;
            circleRows(columns[k].x, y, columns[k].count, perRow, pitchX, pitchY);
        }
        colour_ = colour;
        return;
    }
    if (maxDotRows == 0)
        return;

    // What every pixel row of the edge and middle kind receives, indexed by
    // page column + kPad: the padding takes what columns cut by an edge leave
    // off the page.
    constexpr int kPad = kMaxSpan;
    struct Templates {
        alignas(64) std::uint8_t edgeMask[kPad + kWidth + kPad];
        alignas(64) std::uint8_t edgeColour[kPad + kWidth + kPad];
        alignas(64) std::uint8_t middleMask[kPad + kWidth + kPad];
        alignas(64) std::uint8_t middleColour[kPad + kWidth + kPad];
    } t;
    std::memset(&t, 0, sizeof t);
    // The masks of a row of 1 to perRow dots, each made when first needed.
    RowMasks byDots[kMaxSpan - 1];
    bool made[kMaxSpan - 1] = {};
    std::uint8_t within[kMaxSpan + 16] = {};
    std::memset(within, 0xFF, span);

    // Puts column k's dots of one row into the templates: all perRow of them,
    // fewer, or none. Columns never overlap, so the bytes of its span are its
    // own.
    auto setColumn = [&](int k, int dots) {
        const RowMasks* masks = nullptr;
        if (dots > 0) {
            if (!made[dots - 1]) {
                makeMasks(dots, pitchX, &byDots[dots - 1]);
                made[dots - 1] = true;
            }
            masks = &byDots[dots - 1];
        }
        Bytes16 fill;
        std::memset(&fill, columns[k].colour, 16);
        const int at = columns[k].x - 1 + kPad;
        for (int j = 0; j < span; j += 16) {
            const Bytes16 keep = ~load16(within + j);
            const Bytes16 edge = masks != nullptr ? load16(masks->edge + j) : Bytes16{};
            const Bytes16 middle = masks != nullptr ? load16(masks->middle + j) : Bytes16{};
            auto put = [&](std::uint8_t* bytes, Bytes16 value) {
                const Bytes16 v = (load16(bytes + at + j) & keep) | value;
                std::memcpy(bytes + at + j, &v, 16);
            };
            put(t.edgeMask, edge);
            put(t.edgeColour, edge & fill);
            put(t.middleMask, middle);
            put(t.middleColour, middle & fill);
        }
    };

    // A column changes at most twice going up: from whole rows to its last
    // part row (or to nothing), and from that part row to nothing. Changes
    // are listed by the dot row where they take effect.
    const int lastRow = std::min(maxDotRows - 1, (y + 1) / pitchY);
    std::int8_t firstChange[kMaxDotRows + 2];
    std::int8_t nextChange[2 * kMaxColumns];
    std::memset(firstChange, -1, sizeof firstChange);
    auto listChange = [&](int row, int change) {
        if (row <= lastRow) {
            nextChange[change] = firstChange[row];
            firstChange[row] = static_cast<std::int8_t>(change);
        }
    };
    for (int k = 0; k < n; ++k) {
        const DotColumn& c = columns[k];
        if (!drawsOnPage(c))
            continue;
        const int whole = c.count / perRow;
        const int part = c.count % perRow;
        setColumn(k, whole > 0 ? perRow : part);
        if (whole > 0)
            listChange(whole, 2 * k);
        if (part > 0)
            listChange(whole + 1, 2 * k + 1);
    }

    // Blend whole 16-byte blocks from lo to hi: the template is zero where no
    // column lies, and a page row is a whole number of blocks.
    lo -= lo % 16;
    hi = std::min(kWidth, (hi + 15) / 16 * 16);
    const int bytes = hi - lo;
    const RowTemplate edge{t.edgeMask + kPad + lo, t.edgeColour + kPad + lo};
    const RowTemplate middle{t.middleMask + kPad + lo, t.middleColour + kPad + lo};
    std::uint8_t* pixels = drawingPixels() + lo;
    // Dot rows whose three pixel rows all lie on the page: from the row whose
    // bottom edge is on it to the row whose top edge is.
    const int bulkFrom = y + 1 <= kHeight - 1 ? 0 : 1;
    const int bulkTo = y >= 1 ? (y - 1) / pitchY : -1;
    auto drawRows = [&](int from, int to) {
        for (int r = from; r <= to; ++r) {
            const int cy = y - pitchY * r;
            if (r >= bulkFrom && r <= bulkTo) {
                const int last = std::min(to, bulkTo);
                kernels_->blendDotRows(pixels + cy * kWidth, last - r + 1,
                                       static_cast<std::ptrdiff_t>(pitchY) * kWidth, edge, middle,
                                       bytes);
                r = last;
                continue;
            }
            for (int py : {cy + 1, cy, cy - 1}) {
                if (py >= 0 && py < kHeight)
                    kernels_->blendRow(pixels + py * kWidth, py == cy ? middle : edge, bytes);
            }
        }
    };
    int from = 0;
    for (int r = 1; r <= lastRow + 1; ++r) {
        if (r <= lastRow && firstChange[r] < 0)
            continue;
        drawRows(from, r - 1);
        from = r;
        for (int change = r <= lastRow ? firstChange[r] : -1; change >= 0;
             change = nextChange[change]) {
            const int k = change / 2;
            const bool toPart = change % 2 == 0 && columns[k].count % perRow > 0;
            setColumn(k, toPart ? columns[k].count % perRow : 0);
        }
    }
}

void Canvas::line(int x1, int y1, int x2, int y2) {
    std::uint8_t* pixels = drawingPixels();
    if (y1 == y2) {
        if (y1 < 0 || y1 >= kHeight)
            return;
        const int from = std::max(std::min(x1, x2), 0);
        const int to = std::min(std::max(x1, x2), kWidth - 1);
        if (from <= to)
            std::memset(pixels + y1 * kWidth + from, colour_, to - from + 1);
        return;
    }
    // Far-off end points would make the walk below take billions of steps.
    constexpr int kFar = 1 << 15;
    for (int v : {x1, y1, x2, y2}) {
        if (v < -kFar || v > kFar)
            return;
    }
    long long x = x1;
    long long y = y1;
    const long long dx = std::llabs(static_cast<long long>(x2) - x1);
    const long long dy = -std::llabs(static_cast<long long>(y2) - y1);
    const int sx = x1 < x2 ? 1 : -1;
    const int sy = y1 < y2 ? 1 : -1;
    long long error = dx + dy;
    for (;;) {
        if (x >= 0 && x < kWidth && y >= 0 && y < kHeight)
            pixels[y * kWidth + x] = colour_;
        if (x == x2 && y == y2)
            break;
        const long long e2 = 2 * error;
        if (e2 >= dy) {
            error += dy;
            x += sx;
        }
        if (e2 <= dx) {
            error += dx;
            y += sy;
        }
    }
}

void Canvas::setTextJustification(HorizontalJustify horizontal, VerticalJustify vertical) {
    horizontal_ = horizontal;
    vertical_ = vertical;
}

void Canvas::writeText(int x, int y, std::string_view text) {
    if (font_ == nullptr)
        return;
    const int length = static_cast<int>(text.size());
    int penX = x;
    if (horizontal_ != HorizontalJustify::Left) {
        const int width = font_->textWidth(text.data(), length);
        penX -= horizontal_ == HorizontalJustify::Right ? width : width / 2;
    }
    int bottom = y;
    if (vertical_ == VerticalJustify::Top)
        bottom += font_->cellHeight();
    if (vertical_ == VerticalJustify::Centre)
        bottom += font_->cellHeight() / 2;

    std::uint8_t* pixels = drawingPixels();
    Bytes16 fill16;
    std::memset(&fill16, colour_, 16);
    const std::uint64_t fill = kBytes * colour_;
    for (int i = 0; i < length; ++i) {
        const Glyph* g = font_->glyph(text[i]);
        if (g == nullptr)
            continue;
        const int left = penX + g->left;
        const int top = bottom + g->top;
        // Whole 16-byte blocks of the mask when they and the glyph's rows lie
        // on the page; pixel by pixel where the glyph crosses an edge.
        const int blocks = (g->width + 15) / 16;
        const bool onPage = left >= 0 && top >= 0 && top + g->height <= kHeight;
        if (g->width <= 8 && onPage && left + 8 <= kWidth) {
            // Narrow glyphs (digits, most letters) keep 8-byte mask rows, so
            // one 8-byte blend a row.
            std::uint8_t* line = pixels + top * kWidth + left;
            for (int row = 0; row < g->height; ++row, line += kWidth) {
                std::uint64_t word;
                std::uint64_t bits;
                std::memcpy(&word, line, 8);
                std::memcpy(&bits, g->row(row), 8);
                word = (word & ~bits) | (fill & bits);
                std::memcpy(line, &word, 8);
            }
        } else if (onPage && left + 16 * blocks <= kWidth) {
            std::uint8_t* line = pixels + top * kWidth + left;
            for (int row = 0; row < g->height; ++row, line += kWidth) {
                for (int b = 0; b < blocks; ++b) {
                    blend16(line + 16 * b, load16(g->row(row) + 16 * b), fill16);
                }
            }
        } else {
            for (int row = 0; row < g->height; ++row) {
                const int py = top + row;
                if (py < 0 || py >= kHeight)
                    continue;
                blendSpanClipped(pixels + py * kWidth, left, g->row(row), g->width, colour_);
            }
        }
        penX += g->advance;
        if (penX >= kWidth + Glyph::kMaxSize && horizontal_ == HorizontalJustify::Left)
            break;
    }
}

}  // namespace brivello::graphics
