// Timings of the program's per-pass work: the draw, the page clear (the floor
// no renderer can avoid), frames of several weights, a whole series, and the
// window thread's repaint. Run with `make bench`; it ends with the two ratios
// that matter, from the medians of this same run.
#include "Canvas.h"
#include "CanvasHost.h"
#include "DrawTally.h"
#include "Font.h"
#include "HistogramFrame.h"
#include "Palette.h"
#include "RowKernels.h"
#include "RunLoop.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using brivello::DrawTally;
namespace graphics = brivello::graphics;
namespace display = brivello::display;

const graphics::Font& arial() {
    static const std::unique_ptr<graphics::Font> font = [] {
        std::string why;
        auto loaded = graphics::Font::load("Arial", 16, &why);
        if (!loaded) {
            std::fprintf(stderr, "brivello_bench: %s\n", why.c_str());
            std::exit(1);
        }
        return loaded;
    }();
    return *font;
}

// Seed 1's tally after `passes` draws of its first series (which ends on
// pass 5056, so 5055 is the heaviest frame drawn before the end).
DrawTally seedOneAfter(int passes) {
    DrawTally tally(1u);
    tally.resetTally();
    for (int i = 0; i < passes; ++i)
        tally.drawOnce();
    return tally;
}

int seedOneSeriesPasses() {
    DrawTally tally(1u);
    tally.resetTally();
    while (!tally.seriesFull)
        tally.drawOnce();
    return tally.draws;
}

void BM_drawOnce(benchmark::State& state) {
    DrawTally tally(1u);
    tally.resetTally();
    for (auto _ : state) {
        if (tally.seriesFull)
            tally.resetTally();
        tally.drawOnce();
        benchmark::DoNotOptimize(tally.counts);
    }
}
BENCHMARK(BM_drawOnce);

void BM_clearPage(benchmark::State& state) {
    graphics::Canvas canvas;
    for (auto _ : state) {
        canvas.clearDrawingPage();
        benchmark::DoNotOptimize(canvas.page(0));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_clearPage);

void BM_renderFrame(benchmark::State& state) {
    const DrawTally tally = seedOneAfter(static_cast<int>(state.range(0)));
    graphics::Canvas canvas;
    canvas.setTextStyle(&arial());
    for (auto _ : state) {
        display::renderFrame(canvas, tally);
        benchmark::ClobberMemory();
    }
    state.counters["circles"] = tally.draws * 6;
}
BENCHMARK(BM_renderFrame)->ArgName("draws")->Arg(1)->Arg(2500)->Arg(5055);

void BM_renderFrameNoText(benchmark::State& state) {
    const DrawTally tally = seedOneAfter(static_cast<int>(state.range(0)));
    graphics::Canvas canvas;
    for (auto _ : state) {
        display::renderFrame(canvas, tally);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_renderFrameNoText)->ArgName("draws")->Arg(1)->Arg(5055);

// Makes the canvas use the state's set of row kernels (its argument, an index
// into the sets this processor runs) and labels the run with it; false, and
// the run skipped, where the processor lacks that set.
bool useArgumentKernels(benchmark::State& state, graphics::Canvas& canvas) {
    const graphics::SupportedRowKernels supported = graphics::supportedRowKernels();
    const int index = static_cast<int>(state.range(0));
    if (index >= supported.count) {
        state.SkipWithError("not supported by this processor");
        return false;
    }
    canvas.useRowKernels(*supported.sets[index]);
    state.SetLabel(supported.sets[index]->name);
    return true;
}

// The heaviest frame with each set of row kernels the processor runs: the
// portable 16-byte one is what a processor without AVX2 gets.
void BM_heaviestFrameByKernels(benchmark::State& state) {
    graphics::Canvas canvas;
    if (!useArgumentKernels(state, canvas))
        return;
    const DrawTally tally = seedOneAfter(5055);
    canvas.setTextStyle(&arial());
    for (auto _ : state) {
        display::renderFrame(canvas, tally);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_heaviestFrameByKernels)->ArgName("kernels")->DenseRange(0, 2);

void BM_composeFrameTexts(benchmark::State& state) {
    const DrawTally tally = seedOneAfter(2500);
    display::FrameTexts texts;
    for (auto _ : state) {
        display::composeFrameTexts(tally, &texts);
        benchmark::DoNotOptimize(texts);
    }
}
BENCHMARK(BM_composeFrameTexts);

// The program's own loop with no window for one series: the run ends after
// the frame that fills the series, as it would on a key pressed then.
class SeriesHost : public brivello::CanvasHost {
  public:
    using CanvasHost::CanvasHost;
    bool keyPending() override { return seriesEnded(); }
};

// Every pass of a series: page flip, clear, draw, frame.
void BM_wholeSeries(benchmark::State& state) {
    graphics::Canvas canvas;
    canvas.setTextStyle(&arial());
    long long passes = 0;
    for (auto _ : state) {
        DrawTally tally(1u);
        SeriesHost host(canvas);
        brivello::runLoop(host, tally);
        passes = host.passes();
        benchmark::ClobberMemory();
    }
    state.counters["passes"] = static_cast<double>(passes);
}
BENCHMARK(BM_wholeSeries)->Unit(benchmark::kMillisecond);

// A whole series with each set of row kernels the processor runs.
void BM_wholeSeriesByKernels(benchmark::State& state) {
    graphics::Canvas canvas;
    if (!useArgumentKernels(state, canvas))
        return;
    canvas.setTextStyle(&arial());
    for (auto _ : state) {
        DrawTally tally(1u);
        SeriesHost host(canvas);
        brivello::runLoop(host, tally);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_wholeSeriesByKernels)
    ->ArgName("kernels")
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond);

// The window thread's work per repaint: one page through the palette into
// 32-bit pixels.
void BM_repaint(benchmark::State& state) {
    const DrawTally tally = seedOneAfter(3000);
    graphics::Canvas canvas;
    canvas.setTextStyle(&arial());
    display::renderFrame(canvas, tally);
    const graphics::ArgbTable table = graphics::argbTable(graphics::defaultPalette());
    std::vector<std::uint32_t> out(graphics::kPagePixels);
    for (auto _ : state) {
        graphics::expandPixels(canvas.page(0), graphics::kPagePixels, table, out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_repaint);

// Prints as usual and keeps each benchmark's median real time.
class MedianReporter : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, double> medianSeconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.aggregate_name == "median") {
                const std::string& args = run.run_name.args;
                medianSeconds[run.run_name.function_name + (args.empty() ? "" : "/" + args)] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            }
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    // Medians of several repetitions: these machines are shared and noisy.
    char repetitions[] = "--benchmark_repetitions=7";
    char aggregates[] = "--benchmark_report_aggregates_only=true";
    char plain[] = "--benchmark_color=false";
    args.insert(args.begin() + 1, {repetitions, aggregates, plain});
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto& m = reporter.medianSeconds;
    const auto clear = m.find("BM_clearPage");
    const auto heaviest = m.find("BM_renderFrame/draws:5055");
    const auto series = m.find("BM_wholeSeries");
    if (clear == m.end() || heaviest == m.end() || series == m.end())
        return 0;
    const int passes = seedOneSeriesPasses();
    std::printf("\nheaviest frame / page clear:           %6.2f  (target <= 6)\n",
                heaviest->second / clear->second);
    std::printf("whole series / (%d passes x clear):  %6.2f  (target <= 4.5)\n", passes,
                series->second / (passes * clear->second));
    return 0;
}
