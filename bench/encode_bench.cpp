// Times encodePng on one thread: the 600 x 450 picture of each shape
// formula (the sweep's canvas, drawn once before the timing) with the
// recipe's text chunks and pHYs, as the renderer writes it. A summary after
// the run gives each picture's median and its file's size, the median over
// the fifteen pictures (held to at most 6 ms of CPU time) and the total size
// of the fifteen files (held to no more than Qt's PNG writer made of them:
// 2,120,687 bytes, measured with Qt 6.4 on Debian 12, which the Qt tests
// compare afresh).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "annotate/info_line.hpp"
#include "encode_bench.hpp"
#include "files/png_recipe.hpp"
#include "median_keeper.hpp"
#include "render/sweep.hpp"
#include "scenes.hpp"
#include "state/layout.hpp"

namespace {

using namespace ts;

constexpr double kGoalMs = 6;
constexpr std::size_t kQtBytes = 2120687;

// The bytes of the text chunks the metadata asks for.
std::size_t textChunkBytes(const PngMetadata& metadata) {
    std::size_t bytes = 0;
    for (const PngText& text : metadata.texts) {
        const bool ascii = std::all_of(text.value.begin(), text.value.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 128; });
        // length, type, CRC; key and NUL; for iTXt its flag, method and two empty strings
        bytes += 12 + text.key.size() + 1 + (text.international || !ascii ? 4 : 0) + text.value.size();
    }
    return bytes;
}

struct EncodeInput {
    int formula;
    Raster canvas;
    PngMetadata metadata;
};

const std::vector<EncodeInput>& encodeInputs() {
    static const std::vector<EncodeInput> inputs = [] {
        std::vector<EncodeInput> made;
        for (const FormulaScene& scene : formulaScenes()) {
            FormState s = scene.start;
            Raster canvas(layout::kCanvasWidth, layout::kCanvasHeight);
            RenderField(s, canvas);
            const PictureRecipe recipe{scene.text, parameterLine(s), "textscape-render 1.0.0",
                                       "2026-03-08T12:00:00+01:00"};
            made.push_back({scene.formula, std::move(canvas), pngMetadataOf(recipe)});
        }
        return made;
    }();
    return inputs;
}

std::size_t encodedSize(const EncodeInput& input) {
    std::vector<std::uint8_t> png;
    if (!encodePng(input.canvas, input.metadata, png)) return 0;
    return png.size();
}

void encode(benchmark::State& state, const EncodeInput& input) {
    std::vector<std::uint8_t> png;
    for (auto _ : state) {
        if (!encodePng(input.canvas, input.metadata, png)) state.SkipWithError("encodePng failed");
        benchmark::DoNotOptimize(png.data());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t{layout::kCanvasWidth} * layout::kCanvasHeight * 3);
    state.counters["file_bytes"] = static_cast<double>(png.size());
}

}  // namespace

void registerEncodeBenchmarks() {
    for (const EncodeInput& input : encodeInputs()) {
        benchmark::RegisterBenchmark(benchmarkName("BM_EncodePng", input.formula).c_str(),
                                     [&input](benchmark::State& st) { encode(st, input); })
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(7)
            ->ReportAggregatesOnly(true)
            ->MinTime(0.2);
    }
}

void printEncodeSummary(const MedianKeeper& reporter) {
    std::vector<double> cpu;
    std::size_t total = 0, qt = kQtBytes;
    bool header = false;
    for (const EncodeInput& input : encodeInputs()) {
        const auto found = reporter.medians.find(benchmarkName("BM_EncodePng", input.formula));
        if (found == reporter.medians.end()) continue;
        if (!header) {
            std::printf(
                "\nPNG encoding of one 600 x 450 picture, median in ms (wall clock, and CPU time in brackets)\n");
            std::printf("%-8s %18s %10s\n", "formula", "encodePng", "bytes");
            header = true;
        }
        const std::size_t bytes = encodedSize(input);
        std::printf("%-8d %8.2f (%6.2f) %10zu\n", input.formula, found->second.real, found->second.cpu, bytes);
        cpu.push_back(found->second.cpu);
        total += bytes;
        qt += textChunkBytes(input.metadata);
    }
    if (cpu.size() != encodeInputs().size()) return;
    std::sort(cpu.begin(), cpu.end());
    std::printf("median over the %zu pictures: %.2f ms CPU (goal: at most %.0f ms)\n", cpu.size(), cpu[cpu.size() / 2],
                kGoalMs);
    std::printf("the %zu files: %zu bytes, %.1f %% of the %zu Qt's writer gave (goal: at most 100 %%)\n", cpu.size(),
                total, 100.0 * static_cast<double>(total) / static_cast<double>(qt), qt);
}
