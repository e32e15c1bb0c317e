// Timings of the program's per-pass work. Run with `make bench`.
#include "DrawTally.h"

#include <benchmark/benchmark.h>

namespace {

void BM_drawOnce(benchmark::State& state) {
    brivello::DrawTally tally(1u);
    tally.resetTally();
    for (auto _ : state) {
        if (tally.seriesFull) {
            tally.resetTally();
        }
        tally.drawOnce();
        benchmark::DoNotOptimize(tally.counts);
    }
}
BENCHMARK(BM_drawOnce);

}  // namespace

BENCHMARK_MAIN();
