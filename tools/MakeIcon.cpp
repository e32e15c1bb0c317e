// brivello-icon FILE.png: the program's icon, made from its own picture: the
// heaviest frame of seed 1's first series, its left 600 × 600 pixels
// averaged down to 128 × 128, written as an RGB PNG. Run by the build.
#include "Canvas.h"
#include "Font.h"
#include "HistogramFrame.h"
#include "Palette.h"

#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

namespace graphics = brivello::graphics;
constexpr int kSource = 600;
constexpr int kSize = 128;

bool writeRgb(const char* path, const std::vector<png_byte>& rgb) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool ok = png != nullptr && info != nullptr;
    if (ok && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, kSize, kSize, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < kSize; ++y)
            png_write_row(png, &rgb[std::size_t(y) * kSize * 3]);
        png_write_end(png, nullptr);
    } else {
        ok = false;
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: brivello-icon FILE.png\n");
        return 2;
    }
    std::string why;
    const auto font = graphics::Font::load("Arial", 16, &why);
    if (!font) {
        std::fprintf(stderr, "brivello-icon: %s\n", why.c_str());
        return 1;
    }
    graphics::Canvas canvas;
    canvas.setTextStyle(font.get());
    brivello::DrawTally tally(1u);
    tally.resetTally();
    for (int i = 0; i < 5055; ++i)
        tally.drawOnce();
    brivello::display::renderFrame(canvas, tally);

    const graphics::Palette& palette = graphics::defaultPalette();
    std::vector<png_byte> rgb(std::size_t(kSize) * kSize * 3);
    for (int oy = 0; oy < kSize; ++oy) {
        for (int ox = 0; ox < kSize; ++ox) {
            long sum[3] = {0, 0, 0};
            long count = 0;
            for (int y = oy * kSource / kSize; y < (oy + 1) * kSource / kSize; ++y) {
                for (int x = ox * kSource / kSize; x < (ox + 1) * kSource / kSize; ++x) {
                    const graphics::Rgb& c = palette[canvas.page(0)[y * graphics::kWidth + x]];
                    sum[0] += c.r;
                    sum[1] += c.g;
                    sum[2] += c.b;
                    ++count;
                }
            }
            for (int k = 0; k < 3; ++k) {
                rgb[(std::size_t(oy) * kSize + ox) * 3 + k] = static_cast<png_byte>(sum[k] / count);
            }
        }
    }
    if (!writeRgb(argv[1], rgb)) {
        std::fprintf(stderr, "brivello-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
