// Times a batch: the pictures of the 100 texts "picture 1" .. "picture 100"
// (so every shape formula, channel and mixing mode comes up), each made
// whole by MakeFreshPicture on a fresh state with a one-thread sweep, as
// textscape-render --batch makes them, and handed over in order by
// runInOrder, on one core and on every core, captions included. The
// renderer also encodes and writes each picture, which the batch leaves out
// (BM_EncodePng times the encoding, BM_Pipeline the whole path). A
// summary after the run gives pictures per second and the ratio, held to
// at least 1.8 on 2 cores.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "batch_bench.hpp"
#include "median_keeper.hpp"
#include "picture/picture.hpp"
#include "platform/clock.hpp"
#include "platform/ordered_work.hpp"
#include "state/layout.hpp"

namespace {

using namespace ts;

constexpr std::size_t kPictures = 100;

const std::vector<std::string>& batchTexts() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> t;
        for (std::size_t n = 1; n <= kPictures; ++n) t.push_back("picture " + std::to_string(n));
        return t;
    }();
    return texts;
}

int allCores() { return std::max(1, static_cast<int>(std::thread::hardware_concurrency())); }

// One iteration is the whole batch; the consumer keeps a checksum of the
// pixels, so that nothing is left undrawn.
void batch(benchmark::State& state, int cores) {
    const std::vector<std::string>& texts = batchTexts();
    for (auto _ : state) {
        std::uint32_t sum = 0;
        runInOrder(
            texts.size(), cores,
            [&](std::size_t k) {
                FixedClock clock("03-08-2026", "12:00:00");
                return MakeFreshPicture(texts[k], RasterSurface(layout::kCanvasWidth, layout::kCanvasHeight), clock,
                                        true, SweepOptions{1, 0, {}});
            },
            [&](std::size_t, Picture&& picture) {
                for (const std::uint32_t p : picture.canvas.pixels()) sum = sum * 31 + p;
                return true;
            });
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kPictures));
    state.SetLabel(std::to_string(kPictures) + " pictures, " + std::to_string(cores) + " core(s)");
}

}  // namespace

void registerBatchBenchmarks() {
    for (const auto& [name, threads] : {std::pair{"BM_Batch/one_core", 1}, {"BM_Batch/all_cores", allCores()}}) {
        benchmark::RegisterBenchmark(name, [threads](benchmark::State& st) { batch(st, threads); })
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(3)
            ->ReportAggregatesOnly(true)
            ->Iterations(1)
            ->MeasureProcessCPUTime()
            ->UseRealTime();
    }
}

void printBatchSummary(const MedianKeeper& reporter) {
    const auto one = reporter.medians.find("BM_Batch/one_core");
    const auto all = reporter.medians.find("BM_Batch/all_cores");
    if (one == reporter.medians.end() && all == reporter.medians.end()) return;
    std::printf("\nBatch of %zu pictures (600 x 450), medians: wall clock in ms (CPU time of the process)\n",
                kPictures);
    const auto row = [](const char* what, const MedianKeeper::Median& m) {
        std::printf("%-22s %9.0f (%9.0f) %8.1f pictures/s\n", what, m.real, m.cpu,
                    static_cast<double>(kPictures) * 1000.0 / m.real);
    };
    if (one != reporter.medians.end()) row("one core", one->second);
    if (all != reporter.medians.end()) {
        char label[48];
        std::snprintf(label, sizeof label, "all %d cores", allCores());
        row(label, all->second);
    }
    if (one != reporter.medians.end() && all != reporter.medians.end())
        std::printf("throughput all / one: %.2f (goal: at least 1.8 on 2 cores)\n",
                    one->second.real / all->second.real);
}
