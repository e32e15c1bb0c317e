// brivello-frame: the program's frames without a window. Simulates a run seeded
// with S for N passes, exactly as the program runs (a fresh series after each
// full one), and writes the N-th frame as a PNG and/or prints its texts.
#include "Canvas.h"
#include "CanvasHost.h"
#include "Font.h"
#include "HistogramFrame.h"
#include "Png.h"
#include "RunLoop.h"

#include <boost/math/distributions/chi_squared.hpp>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

namespace graphics = brivello::graphics;

constexpr const char* kUsage =
    "Usage: brivello-frame [OPTION]...\n"
    "Render the frame that Brivello draws on its N-th pass, with no window.\n"
    "\n"
    "  --seed S       seed of the generator, 0..4294967295 (default: the millisecond tick\n"
    "                 count, as the program uses)\n"
    "  --draws N      number of passes to simulate, N >= 1 (default 1); the tally starts\n"
    "                 over after each full series, as in the program\n"
    "  --out FILE     write the frame as an 800x600 indexed PNG with the full palette\n"
    "  --text         print the frame's texts, one per line, in drawing order\n"
    "  --every-frame  draw every pass's frame, not only the last (to time the drawing)\n"
    "  --stats        print the series' draw count, the chi-square statistic of its 49\n"
    "                 counts against a uniform draw (48 degrees of freedom) and its p-value\n"
    "  --help         display this help and exit\n"
    "  --version      output version information and exit\n"
    "\n"
    "Exit status: 0 on success, 1 if the font or the output file fails, 2 on bad usage.\n";

struct Options {
    std::uint32_t seed = 0;
    bool seedGiven = false;
    unsigned long long draws = 1;
    const char* out = nullptr;
    bool text = false;
    bool everyFrame = false;
    bool stats = false;
};

// Whole decimal numbers only: no sign, no blanks, no trailing characters.
bool parseNumber(const char* text, unsigned long long max, unsigned long long* value) {
    if (text == nullptr || *text < '0' || *text > '9')
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed > max)
        return false;
    *value = parsed;
    return true;
}

int usageError(const char* message, const char* argument) {
    std::fprintf(stderr, "brivello-frame: %s%s%s (see --help)\n", message, argument ? ": " : "",
                 argument ? argument : "");
    return 2;
}

// Returns -1 when the options are good, else the exit status to end with.
int parseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        const char* value = nullptr;
        const std::size_t equals = name.find('=');
        if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = argv[i] + equals + 1;
            name.resize(equals);
        }
        const bool takesValue = name == "--seed" || name == "--draws" || name == "--out";
        if (takesValue && value == nullptr) {
            if (i + 1 >= argc)
                return usageError("missing value for", name.c_str());
            value = argv[++i];
        } else if (!takesValue && value != nullptr) {
            return usageError("option takes no value", argv[i]);
        }
        if (name == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (name == "--version") {
            std::printf("brivello-frame (Brivello) %s\n", BRIVELLO_VERSION);
            return 0;
        } else if (name == "--stats") {
            options->stats = true;
        } else if (name == "--seed") {
            unsigned long long seed = 0;
            if (!parseNumber(value, 0xFFFFFFFFull, &seed)) {
                return usageError("the seed must be a whole number from 0 to 4294967295", value);
            }
            options->seed = static_cast<std::uint32_t>(seed);
            options->seedGiven = true;
        } else if (name == "--draws") {
            if (!parseNumber(value, 0x7FFFFFFFFFFFFFFFull, &options->draws) ||
                options->draws == 0) {
                return usageError("the number of draws must be a whole number of at least 1",
                                  value);
            }
        } else if (name == "--out") {
            if (*value == '\0')
                return usageError("the output file name is empty", nullptr);
            options->out = value;
        } else if (name == "--text") {
            options->text = true;
        } else if (name == "--every-frame") {
            options->everyFrame = true;
        } else {
            return usageError("unknown option", argv[i]);
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const int status = parseOptions(argc, argv, &options);
    if (status >= 0)
        return status;
    if (!options.seedGiven)
        options.seed = brivello::millisecondTicks();

    std::string why;
    const auto font = graphics::Font::load("Arial", 16, &why);
    if (!font) {
        std::fprintf(stderr, "brivello-frame: %s\n", why.c_str());
        return 1;
    }
    graphics::Canvas canvas;
    canvas.setTextStyle(font.get());
    canvas.setTextJustification(graphics::HorizontalJustify::Left,
                                graphics::VerticalJustify::Bottom);
    brivello::DrawTally tally(options.seed);
    // The run ends after pass N, as it would on a key pressed during it;
    // only the frames asked for are drawn.
    const auto passes = static_cast<long long>(options.draws);
    brivello::CanvasHost host(canvas, passes, options.everyFrame ? 1 : passes);
    brivello::runLoop(host, tally);

    if (options.out != nullptr &&
        !graphics::writePng(options.out, canvas.page(canvas.drawingPage()),
                            graphics::defaultPalette(), &why)) {
        std::fprintf(stderr, "brivello-frame: %s\n", why.c_str());
        return 1;
    }
    if (options.text) {
        brivello::display::FrameTexts texts;
        brivello::display::composeFrameTexts(tally, &texts);
        for (const auto& text : texts)
            std::printf("%.*s\n", text.length, text.text);
    }
    if (options.stats) {
        // Goodness of fit of the counts to a uniform draw: each number is
        // expected 6 × draws / 49 times.
        const double expected = tally.draws * brivello::kPicksPerDraw / double(brivello::kNumbers);
        double chiSquare = 0.0;
        for (int n = 1; n <= brivello::kNumbers; ++n) {
            const double d = tally.counts[n] - expected;
            chiSquare += d * d / expected;
        }
        const boost::math::chi_squared distribution(brivello::kNumbers - 1);
        const double p = boost::math::cdf(boost::math::complement(distribution, chiSquare));
        std::printf("draws: %d\nchi-square: %.6f\np-value: %.6f\n", tally.draws, chiSquare, p);
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "brivello-frame: cannot write to standard output: %s\n",
                     std::strerror(errno));
        return 1;
    }
    return 0;
}
