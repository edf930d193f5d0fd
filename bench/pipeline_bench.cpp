// Times the whole path of one 600 x 450 picture on one core, as
// textscape-render --batch makes each picture: MakeFreshPicture with its
// caption and a one-thread sweep, then the PNG file with the recipe
// (encodeImage), for the text of each shape formula's scene. The summary
// after the run sets each median beside the sweep alone (BM_OneThread, the
// same picture without caption or file), held to at most 1.3 times it.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "annotate/caption_fonts.hpp"
#include "annotate/info_line.hpp"
#include "files/image_encoding.hpp"
#include "median_keeper.hpp"
#include "picture/picture.hpp"
#include "pipeline_bench.hpp"
#include "platform/clock.hpp"
#include "scenes.hpp"

namespace {

using namespace ts;

constexpr double kGoalRatio = 1.3;

void pipeline(benchmark::State& state, const FormulaScene& scene) {
    std::vector<std::uint8_t> png;
    for (auto _ : state) {
        FixedClock clock("03-08-2026", "12:00:00");
        const Picture picture = MakeFreshPicture(scene.text, makeCanvas(), clock, true, SweepOptions{1, 0, {}});
        const PictureRecipe recipe{picture.state.t, parameterLine(picture.state), "textscape-render 1.0.0",
                                   "2026-03-08T12:00:00+01:00", picture.state.definition};
        if (!encodeImage(picture.canvas, ImageFormat::Png, recipe, png)) state.SkipWithError("encodeImage failed");
        benchmark::DoNotOptimize(png.data());
    }
    state.counters["file_bytes"] = static_cast<double>(png.size());
    state.SetLabel(scene.text);
}

}  // namespace

void registerPipelineBenchmarks() {
    if (const Outcome fonts = loadCaptionFonts(); !fonts) {
        std::fprintf(stderr, "BM_Pipeline left out: %s\n", fonts.message.c_str());
        return;
    }
    for (const FormulaScene& scene : formulaScenes()) {
        benchmark::RegisterBenchmark(benchmarkName("BM_Pipeline", scene.formula).c_str(),
                                     [&scene](benchmark::State& st) { pipeline(st, scene); })
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(7)
            ->ReportAggregatesOnly(true)
            ->MinTime(0.2);
    }
}

void printPipelineSummary(const MedianKeeper& reporter) {
    bool header = false;
    std::vector<double> ratios;
    for (const FormulaScene& scene : formulaScenes()) {
        const auto whole = reporter.medians.find(benchmarkName("BM_Pipeline", scene.formula));
        const auto sweep = reporter.medians.find(benchmarkName("BM_OneThread", scene.formula));
        if (whole == reporter.medians.end() || sweep == reporter.medians.end()) continue;
        if (!header) {
            std::printf("\nText to PNG bytes with the caption on one core, median CPU time in ms, beside the sweep "
                        "alone\n");
            std::printf("%-8s %10s %10s %8s\n", "formula", "pipeline", "sweep", "ratio");
            header = true;
        }
        const double ratio = whole->second.cpu / sweep->second.cpu;
        std::printf("%-8d %10.2f %10.2f %8.2f\n", scene.formula, whole->second.cpu, sweep->second.cpu, ratio);
        ratios.push_back(ratio);
    }
    if (ratios.empty()) return;
    std::sort(ratios.begin(), ratios.end());
    std::printf("median ratio over the %zu pictures: %.2f, largest %.2f (goal: at most %.1f)\n", ratios.size(),
                ratios[ratios.size() / 2], ratios.back(), kGoalRatio);
}
