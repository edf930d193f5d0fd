// Times the sweep on one thread and on every hardware thread: the 600 x 450
// picture (RenderFieldThreaded) and a 3840 x 2160 one (RenderFieldAtSize),
// one benchmark each per shape formula, each with the first of the texts
// "picture 1", "picture 2", ... whose picture uses that formula. A summary
// after the run gives their medians beside the bare loop's (registered in
// bench_main.cpp) and the ratios the sweep is held to:
//   all threads / one thread (wall clock)  at most 0.6 on 2 cores,
//   one thread / bare loop (CPU time)      at most 1.25,
//   3840 x 2160 on all threads             at most 0.5 s.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "median_keeper.hpp"
#include "render/sweep.hpp"
#include "scenes.hpp"
#include "sweep_bench.hpp"

namespace {

using namespace ts;

constexpr int kLargeWidth = 3840, kLargeHeight = 2160;

// One picture per iteration, each from the state the parameter draw left.
void sweep(benchmark::State& state, const FormulaScene& scene, int width, int height, int threads) {
    Raster canvas(width, height);
    for (auto _ : state) {
        FormState s = scene.start;
        RenderFieldAtSize(s, canvas, {threads, 0, {}});
        benchmark::DoNotOptimize(canvas.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t{width + 1} * (height + 1));
    state.SetLabel(label(scene));
}

}  // namespace

void registerSweepBenchmarks() {
    const std::vector<FormulaScene>& scenes = formulaScenes();
    for (const FormulaScene& scene : scenes) {
        const int f = scene.formula;
        benchmark::RegisterBenchmark(benchmarkName("BM_OneThread", f).c_str(),
                                     [&scene](benchmark::State& st) { sweep(st, scene, 600, 450, 1); })
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(7)
            ->ReportAggregatesOnly(true)
            ->MinTime(0.5);
        benchmark::RegisterBenchmark(benchmarkName("BM_AllThreads", f).c_str(),
                                     [&scene](benchmark::State& st) { sweep(st, scene, 600, 450, 0); })
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(7)
            ->ReportAggregatesOnly(true)
            ->MinTime(0.5)
            ->MeasureProcessCPUTime()
            ->UseRealTime();
        benchmark::RegisterBenchmark(benchmarkName("BM_Large_AllThreads", f).c_str(),
                                     [&scene](benchmark::State& st) { sweep(st, scene, kLargeWidth, kLargeHeight, 0); })
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true)
            ->Iterations(1)
            ->MeasureProcessCPUTime()
            ->UseRealTime();
    }
}

void printSweepSummary(const MedianKeeper& reporter) {
    const std::vector<FormulaScene>& scenes = formulaScenes();
    std::printf(
        "\nMedians in ms on %u hardware threads: wall clock (CPU time: of the process for all threads).\n"
        "1T/bare: ratio of CPU times. all/1T: ratio of wall clock times, which only an otherwise idle\n"
        "machine shows fairly; CPU all/1T: the CPU time all threads take together over one thread's.\n",
        std::thread::hardware_concurrency());
    std::printf("%-8s %-11s %4s %4s %17s %17s %7s %17s %6s %7s %18s\n", "formula", "text", "tip2", "tip3", "one thread",
                "bare loop", "1T/bare", "all threads", "all/1T", "CPU a/1", "3840x2160 all");
    const auto find = [&](const char* kind, int f) -> const MedianKeeper::Median* {
        const auto it = reporter.medians.find(benchmarkName(kind, f));
        return it == reporter.medians.end() ? nullptr : &it->second;
    };
    for (const FormulaScene& scene : scenes) {
        const int f = scene.formula;
        const auto* one = find("BM_OneThread", f);
        const auto* bare = find("BM_BareLoop", f);
        const auto* all = find("BM_AllThreads", f);
        const auto* large = find("BM_Large_AllThreads", f);
        if (!one && !bare && !all && !large) continue;
        char oneText[32] = "-", bareText[32] = "-", ratioBare[16] = "-", allText[32] = "-", ratioAll[16] = "-",
             cpuRatio[16] = "-", largeText[32] = "-";
        if (one) std::snprintf(oneText, sizeof oneText, "%7.2f (%6.2f)", one->real, one->cpu);
        if (bare) std::snprintf(bareText, sizeof bareText, "%7.2f (%6.2f)", bare->real, bare->cpu);
        if (one && bare) std::snprintf(ratioBare, sizeof ratioBare, "%.2f", one->cpu / bare->cpu);
        if (all) std::snprintf(allText, sizeof allText, "%7.2f (%6.2f)", all->real, all->cpu);
        if (one && all) std::snprintf(ratioAll, sizeof ratioAll, "%.2f", all->real / one->real);
        if (one && all) std::snprintf(cpuRatio, sizeof cpuRatio, "%.2f", all->cpu / one->cpu);
        if (large) std::snprintf(largeText, sizeof largeText, "%7.1f (%7.1f)", large->real, large->cpu);
        std::printf("%-8d %-11s %4d %4d %17s %17s %7s %17s %6s %7s %18s\n", f, scene.text.c_str(),
                    static_cast<int>(scene.start.tip2.value()), static_cast<int>(scene.start.tip3.value()), oneText,
                    bareText, ratioBare, allText, ratioAll, cpuRatio, largeText);
    }
}
