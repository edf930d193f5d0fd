// The benchmark program: the bare loop, one benchmark per shape formula,
// each with the first text of a fixed list of candidates whose picture uses
// that formula (and that text's own channel and mixing modes), beside the
// sweep's own benchmarks (sweep_bench.cpp) and the batch (batch_bench.cpp).
// A summary after the run gives the bare loop's medians and how many pixels
// of its picture differ from the sweep's.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bare_loop.hpp"
#include "batch_bench.hpp"
#include "encode_bench.hpp"
#include "caption_bench.hpp"
#include "median_keeper.hpp"
#include "pipeline_bench.hpp"
#include "render/sweep.hpp"
#include "scenes.hpp"
#include "state/layout.hpp"
#include "sweep_bench.hpp"

namespace {

using namespace ts;

constexpr int kVisits = 601 * 451;

// The bare loop draws the same picture except where a statement fails (and
// the sweep keeps the previous value, as formula 15 does down column 300).
int differingPixels(const FormulaScene& scene) {
    FormState s = scene.start;
    Raster canvas(layout::kCanvasWidth, layout::kCanvasHeight);
    RenderField(s, canvas);
    std::vector<std::uint32_t> pixels(600 * 450);
    bench::bareLoop(bench::BareParameters::from(scene.start), pixels);
    int differing = 0;
    for (std::size_t k = 0; k < pixels.size(); ++k) differing += pixels[k] != canvas.pixels()[k];
    return differing;
}

void bareLoop(benchmark::State& state, const FormulaScene& scene) {
    const bench::BareParameters parameters = bench::BareParameters::from(scene.start);
    std::vector<std::uint32_t> pixels(600 * 450);
    for (auto _ : state) {
        bench::bareLoop(parameters, pixels);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kVisits);
    state.SetLabel(label(scene));
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<FormulaScene>& scenes = formulaScenes();
    for (const FormulaScene& scene : scenes) {
        benchmark::RegisterBenchmark(benchmarkName("BM_BareLoop", scene.formula).c_str(), &bareLoop, scene)
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(7)
            ->ReportAggregatesOnly(true)
            ->MinTime(0.5);
    }

    registerSweepBenchmarks();
    registerBatchBenchmarks();
    registerEncodeBenchmarks();
    registerCaptionBenchmarks();
    registerPipelineBenchmarks();

    // Repetitions of all benchmarks in random order, so that a machine
    // whose speed drifts during the run slows all of them alike; a flag on
    // the command line still decides.
    std::vector<char*> arguments(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleave.data());
    argc = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);
    argv = arguments.data();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    MedianKeeper reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf(
        "\nThe bare loop: median of one picture in ms (wall clock, and CPU time in brackets), and the\n"
        "pixels of its picture that differ from the sweep's\n");
    std::printf("%-8s %-13s %4s %4s %18s %8s\n", "formula", "text", "tip2", "tip3", "bare loop", "differ");
    for (const FormulaScene& scene : scenes) {
        const auto bare = reporter.medians.find(benchmarkName("BM_BareLoop", scene.formula));
        if (bare == reporter.medians.end()) continue;
        std::printf("%-8d %-13s %4d %4d %8.2f (%6.2f) %8d\n", scene.formula, ("\"" + scene.text + "\"").c_str(),
                    static_cast<int>(scene.start.tip2.value()), static_cast<int>(scene.start.tip3.value()),
                    bare->second.real, bare->second.cpu, differingPixels(scene));
    }
    printSweepSummary(reporter);
    printBatchSummary(reporter);
    printEncodeSummary(reporter);
    printCaptionSummary(reporter);
    printPipelineSummary(reporter);
    return 0;
}
