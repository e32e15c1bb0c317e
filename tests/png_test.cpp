#include "Png.h"
#include "Canvas.h"
#include "PngRead.h"

#include <gtest/gtest.h>
#include <png.h>  // for PNG_COLOR_TYPE_PALETTE

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace brivello::graphics {
namespace {

namespace fs = std::filesystem;

fs::path freshDir(const char* name) {
    const fs::path dir = fs::path(::testing::TempDir()) / name;
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

    const testing::DecodedPng png = testing::readPng(path);
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
