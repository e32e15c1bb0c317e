// brivello-frame, run as a user runs it.
#include "Font.h"
#include "HistogramFrame.h"
#include "PngRead.h"
#include "Process.h"
#include "RunLoop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>

namespace brivello {
namespace {

namespace fs = std::filesystem;
using testing::run;

const std::string kTool = BRIVELLO_FRAME_PATH;

fs::path freshDir(const char* name) {
    const fs::path dir = fs::path(::testing::TempDir()) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// The frame of pass N drawn in this process: the tool must write exactly it.
TEST(FrameTool, WritesTheFrameOfTheLastPass) {
    const fs::path dir = freshDir("brivello-frame-png");
    const std::string out = (dir / "f.png").string();
    std::string err;
    ASSERT_EQ(run({kTool, "--seed", "1", "--draws", "3000", "--out", out}, nullptr, &err), 0)
        << err;
    EXPECT_EQ(err, "");
    const testing::DecodedPng png = testing::readPng(out);
    ASSERT_EQ(png.width, 800u);
    ASSERT_EQ(png.height, 600u);
    ASSERT_EQ(png.palette.size(), 256u);
    EXPECT_EQ(png.palette[65], (graphics::Rgb{252, 156, 252}));

    std::string why;
    const auto font = graphics::Font::load("Arial", 16, &why);
    ASSERT_NE(font, nullptr) << why;
    graphics::Canvas canvas;
    canvas.setTextStyle(font.get());
    DrawTally tally(1u);
    tally.resetTally();
    for (int i = 0; i < 3000; ++i)
        tally.drawOnce();
    display::renderFrame(canvas, tally);
    EXPECT_EQ(std::memcmp(png.pixels.data(), canvas.page(0), graphics::kPagePixels), 0);
    EXPECT_EQ(png.pixels[599 * 800 + 1], 35);  // beside number 1's first dot

    // Drawing every pass on alternating pages ends in the same picture.
    const std::string every = (dir / "every.png").string();
    ASSERT_EQ(
        run({kTool, "--seed=1", "--draws=3000", "--every-frame", "--out=" + every}, nullptr, &err),
        0)
        << err;
    EXPECT_EQ(testing::readPng(every).pixels, png.pixels);
}

// Seed 1's first series ends on pass 5056; pass 5057 shows one draw.
TEST(FrameTool, TextsAcrossASeriesEnd) {
    std::string out;
    ASSERT_EQ(run({kTool, "--seed", "1", "--draws", "5056", "--text"}, &out, nullptr), 0);
    std::vector<std::string> text = lines(out);
    ASSERT_EQ(text.size(), 51u);
    EXPECT_EQ(text[49], "Extrageri : 5056");
    EXPECT_EQ(text[50], "Medie : 619.102");
    EXPECT_EQ(std::count_if(text.begin(), text.end(),
                            [](const std::string& s) { return s.ends_with(" : 669"); }),
              1);

    ASSERT_EQ(run({kTool, "--seed", "1", "--draws", "5057", "--text"}, &out, nullptr), 0);
    text = lines(out);
    ASSERT_EQ(text.size(), 51u);
    for (int n = 1; n <= 49; ++n)
        EXPECT_TRUE(text[n - 1].starts_with(std::to_string(n) + " : "));
    EXPECT_EQ(std::count_if(text.begin(), text.begin() + 49,
                            [](const std::string& s) { return s.ends_with(" : 1"); }),
              6);
    EXPECT_EQ(text[49], "Extrageri : 1");
    EXPECT_EQ(text[50], "Medie : 0.122");
}

TEST(FrameTool, HelpAndVersion) {
    std::string out;
    EXPECT_EQ(run({kTool, "--help"}, &out, nullptr), 0);
    EXPECT_TRUE(out.starts_with("Usage: brivello-frame [OPTION]...\n")) << out;
    EXPECT_NE(out.find("--version"), std::string::npos);
    EXPECT_EQ(run({kTool, "--version"}, &out, nullptr), 0);
    EXPECT_TRUE(out.starts_with("brivello-frame (Brivello) ")) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);
}

// The upper tail of the chi-square distribution with an even number 2k of
// degrees of freedom has a closed form: e^(−x/2) Σ_{i<k} (x/2)^i / i!.
double chiSquareTail48(double x) {
    double term = 1.0;
    double sum = 0.0;
    for (int i = 0; i < 24; ++i) {
        if (i > 0)
            term *= (x / 2) / i;
        sum += term;
    }
    return std::exp(-x / 2) * sum;
}

// --stats against the counts that --text prints, worked out here.
TEST(FrameTool, Stats) {
    struct Case {
        const char* seed;
        const char* draws;
    };
    const Case cases[] = {{"1", "3000"}, {"7", "1"}, {"5489", "5056"}, {"1", "5057"}};
    for (const Case& c : cases) {
        std::string out;
        ASSERT_EQ(
            run({kTool, "--seed", c.seed, "--draws", c.draws, "--text", "--stats"}, &out, nullptr),
            0);
        const std::vector<std::string> text = lines(out);
        ASSERT_EQ(text.size(), 54u);
        const int draws = std::stoi(text[49].substr(std::strlen("Extrageri : ")));
        const double expected = draws * 6 / 49.0;
        double chiSquare = 0;
        for (int n = 0; n < 49; ++n) {
            const int count = std::stoi(text[n].substr(text[n].find(" : ") + 3));
            chiSquare += (count - expected) * (count - expected) / expected;
        }
        EXPECT_EQ(text[51], "draws: " + std::to_string(draws));
        ASSERT_TRUE(text[52].starts_with("chi-square: ")) << text[52];
        ASSERT_TRUE(text[53].starts_with("p-value: ")) << text[53];
        EXPECT_NEAR(std::stod(text[52].substr(12)), chiSquare, 1e-6) << c.seed;
        EXPECT_NEAR(std::stod(text[53].substr(9)), chiSquareTail48(chiSquare), 1e-6) << c.seed;
        EXPECT_EQ(text[53].size() - text[53].find('.') - 1, 6u);  // six decimals
    }
}

// Bad input: one line on stderr, status 2 for usage and 1 for output
// errors, and nothing left in the folder.
TEST(FrameTool, BadInput) {
    const fs::path dir = freshDir("brivello-frame-bad");
    const std::string inDir = (dir / "f.png").string();
    fs::create_directory(dir / "sub");
    struct Case {
        std::vector<std::string> args;
        int status;
    };
    const std::vector<Case> cases = {
        {{"--bogus"}, 2},
        {{"--draws"}, 2},
        {{"--draws", "0"}, 2},
        {{"--draws", "-3"}, 2},
        {{"--draws", "12x"}, 2},
        {{"--draws", ""}, 2},
        {{"--draws", "99999999999999999999999"}, 2},
        {{"--seed", "-1"}, 2},
        {{"--seed", "4294967296"}, 2},
        {{"--seed", "abc"}, 2},
        {{"--seed", " 1"}, 2},
        {{"--text=yes"}, 2},
        {{"--out", ""}, 2},
        {{"--draws", "0", "--out", inDir}, 2},
        {{"--out", (dir / "missing" / "f.png").string()}, 1},
        {{"--out", (dir / "sub").string()}, 1},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv = {kTool, "--seed", "5"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        std::string out, err;
        EXPECT_EQ(run(argv, &out, &err), c.status) << c.args[0];
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_TRUE(err.starts_with("brivello-frame: ")) << err;
        EXPECT_EQ(out, "");
    }
    std::vector<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        left.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(left, std::vector<std::string>{"sub"});
}

TEST(FrameTool, RefusesToReplaceWhatIsNotAFile) {
    std::string err;
    EXPECT_EQ(run({kTool, "--seed", "5", "--out", "/dev/null"}, nullptr, &err), 1);
    EXPECT_NE(err.find("not a regular file"), std::string::npos) << err;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

}  // namespace
}  // namespace brivello
