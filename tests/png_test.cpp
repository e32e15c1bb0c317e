#include "Png.h"
#include "Canvas.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace brivello::graphics {
namespace {

namespace fs = std::filesystem;

struct Decoded {
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
    std::vector<Rgb> palette;
    std::vector<std::uint8_t> pixels;
};

// Reads a PNG back with libpng's simplest path, without any conversion.
bool readPng(std::FILE* file, Decoded* out) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    png_get_IHDR(png, info, &out->width, &out->height, &out->bitDepth, &out->colourType, nullptr,
                 nullptr, nullptr);
    png_colorp colours = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &colours, &count);
    for (int i = 0; i < count; ++i) {
        out->palette.push_back({colours[i].red, colours[i].green, colours[i].blue});
    }
    out->pixels.resize(std::size_t{out->width} * out->height);
    for (png_uint_32 y = 0; y < out->height; ++y) {
        png_read_row(png, &out->pixels[y * out->width], nullptr);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

Decoded decode(const fs::path& path) {
    Decoded out;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return out;
    if (!readPng(file, &out))
        out = Decoded{};
    std::fclose(file);
    return out;
}

fs::path freshDir(const char* name) {
    const fs::path dir = fs::path(testing::TempDir()) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

TEST(Png, WritesAnIndexedPictureWithTheWholePalette) {
    Canvas canvas;
    canvas.setColour(35);
    canvas.circle(1, 598, 1);
    canvas.setColour(44);
    canvas.line(0, 595, 640, 595);
    const fs::path dir = freshDir("brivello-png");
    const fs::path path = dir / "frame.png";
    std::string why;
    ASSERT_TRUE(writePng(path.c_str(), canvas.page(0), defaultPalette(), &why)) << why;

    const Decoded png = decode(path);
    EXPECT_EQ(png.width, 800u);
    EXPECT_EQ(png.height, 600u);
    EXPECT_EQ(png.bitDepth, 8);
    EXPECT_EQ(png.colourType, PNG_COLOR_TYPE_PALETTE);
    ASSERT_EQ(png.palette.size(), 256u);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(png.palette[i], defaultPalette()[i]) << i;
    ASSERT_EQ(png.pixels.size(), std::size_t{kPagePixels});
    EXPECT_EQ(std::memcmp(png.pixels.data(), canvas.page(0), kPagePixels), 0);
    EXPECT_EQ(png.pixels[599 * 800 + 0], 35);
    EXPECT_EQ(png.pixels[595 * 800 + 640], 44);
    // Only the picture is left behind: no temporary beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(Png, FailureLeavesNoFile) {
    Canvas canvas;
    const fs::path dir = freshDir("brivello-png-fail");
    struct Case {
        fs::path path;
    };
    const Case cases[] = {{dir / "missing" / "frame.png"}, {dir}, {"/dev/full/frame.png"}};
    for (const Case& c : cases) {
        std::string why;
        EXPECT_FALSE(writePng(c.path.c_str(), canvas.page(0), defaultPalette(), &why)) << c.path;
        EXPECT_NE(why.find("cannot write"), std::string::npos) << why;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 0);
}

}  // namespace
}  // namespace brivello::graphics
