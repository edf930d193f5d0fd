// Times the sweep on one thread and on every hardware thread: the 600 x 450
// picture (RenderFieldThreaded) and a 3840 x 2160 one (RenderFieldAtSize),
// one benchmark each per shape formula, each with the first of the texts
// "picture 1", "picture 2", ... whose picture uses that formula. Alongside,
// the 600 x 450 sweep in bare doubles (bare_loop.cpp). A summary after the
// run gives the medians and the ratios the sweep is held to:
//   all threads / one thread (wall clock)  at most 0.6 on 2 cores,
//   one thread / bare loop (CPU time)      at most 1.25,
//   3840 x 2160 on all threads             at most 0.5 s.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "bare_loop.hpp"
#include "median_keeper.hpp"
#include "start_state.hpp"
#include "picture/picture.hpp"
#include "platform/clock.hpp"
#include "render/sweep.hpp"
#include "sweep_bench.hpp"

namespace {

using namespace ts;

constexpr int kLargeWidth = 3840, kLargeHeight = 2160;

struct Scene {
    int formula = 0;
    std::string text;
    FormState start;
};

std::vector<Scene> findScenes() {
    std::vector<Scene> scenes(15);
    int found = 0;
    for (int n = 1; found < 15; ++n) {
        const std::string text = "picture " + std::to_string(n);
        FormState s = pictureOf(text);
        Scene& scene = scenes[static_cast<std::size_t>(s.tip1.value()) - 1];
        if (scene.formula != 0) continue;
        scene = {static_cast<int>(s.tip1.value()), text, s};
        ++found;
    }
    return scenes;
}

std::string label(const Scene& scene) {
    return "\"" + scene.text + "\" tip2=" + std::to_string(static_cast<int>(scene.start.tip2.value())) +
           " tip3=" + std::to_string(static_cast<int>(scene.start.tip3.value()));
}

// One picture per iteration, each from the state the parameter draw left.
void sweep(benchmark::State& state, const Scene& scene, int width, int height, int threads) {
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

void bareLoop(benchmark::State& state, const Scene& scene) {
    const bench::BareParameters parameters = bench::BareParameters::from(scene.start);
    std::vector<std::uint32_t> pixels(600 * 450);
    for (auto _ : state) {
        bench::bareLoop(parameters, pixels);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 601 * 451);
    state.SetLabel(label(scene));
}

std::string name(const char* kind, int formula) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%s/formula_%02d", kind, formula);
    return buffer;
}

const std::vector<Scene>& sweepScenes() {
    static const std::vector<Scene> scenes = findScenes();
    return scenes;
}

}  // namespace

void registerSweepBenchmarks() {
    const std::vector<Scene>& scenes = sweepScenes();
    for (const Scene& scene : scenes) {
        const int f = scene.formula;
        benchmark::RegisterBenchmark(name("BM_OneThread", f).c_str(),
                                     [&scene](benchmark::State& st) { sweep(st, scene, 600, 450, 1); })
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(7)
            ->ReportAggregatesOnly(true)
            ->MinTime(0.5);
        benchmark::RegisterBenchmark(name("BM_BareLoop", f).c_str(),
                                     [&scene](benchmark::State& st) { bareLoop(st, scene); })
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(7)
            ->ReportAggregatesOnly(true)
            ->MinTime(0.5);
        benchmark::RegisterBenchmark(name("BM_AllThreads", f).c_str(),
                                     [&scene](benchmark::State& st) { sweep(st, scene, 600, 450, 0); })
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(7)
            ->ReportAggregatesOnly(true)
            ->MinTime(0.5)
            ->MeasureProcessCPUTime()
            ->UseRealTime();
        benchmark::RegisterBenchmark(name("BM_Large_AllThreads", f).c_str(),
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
    const std::vector<Scene>& scenes = sweepScenes();
    std::printf(
        "\nMedians in ms on %u hardware threads: wall clock (CPU time: of the process for all threads).\n"
        "1T/bare: ratio of CPU times. all/1T: ratio of wall clock times, which only an otherwise idle\n"
        "machine shows fairly; CPU all/1T: the CPU time all threads take together over one thread's.\n",
        std::thread::hardware_concurrency());
    std::printf("%-8s %-11s %4s %4s %17s %17s %7s %17s %6s %7s %18s\n", "formula", "text", "tip2", "tip3", "one thread",
                "bare loop", "1T/bare", "all threads", "all/1T", "CPU a/1", "3840x2160 all");
    const auto find = [&](const char* kind, int f) -> const MedianKeeper::Median* {
        const auto it = reporter.medians.find(name(kind, f));
        return it == reporter.medians.end() ? nullptr : &it->second;
    };
    for (const Scene& scene : scenes) {
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
