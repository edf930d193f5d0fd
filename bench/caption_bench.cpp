// Times the caption alone: PrintCaption laying out a text and drawing it
// into a 600 x 450 picture (and one 1920 x 1080 case), for captions of
// several scripts and lengths. Each is timed twice:
//   warm  the thread has drawn the caption before, so its glyphs are
//         rendered already (as in a window or a batch, where the letters of
//         one caption come back in the next);
//   cold  the first caption of a fresh thread: its FreeType faces are
//         opened and every glyph is stroked and rendered (the font files
//         themselves are mapped once per process, before the run).
// The summary after the run gives the medians of CPU time (warm: the
// benchmark thread's; cold: the fresh thread's) against the goal of 2 ms at
// 600 x 450, and the wall clock of the warm runs.

#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "annotate/caption.hpp"
#include "annotate/caption_fonts.hpp"
#include "caption_bench.hpp"
#include "median_keeper.hpp"
#include "platform/random_source.hpp"
#include "platform/raster_surface.hpp"
#include "seed/read_text_seed.hpp"

namespace {

using namespace ts;

struct CaptionCase {
    const char* name;
    std::string text;
    int width = 600, height = 450;
};

std::string repeated(const std::string& unit, int times) {
    std::string out;
    for (int k = 0; k < times; ++k) out += unit;
    return out;
}

// 100 different Han characters from U+4E00 on: no glyph comes twice.
std::string hundredHanCharacters() {
    std::string out;
    for (char32_t c = 0x4E00; c < 0x4E00 + 100; ++c) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

const std::vector<CaptionCase>& captionCases() {
    static const std::vector<CaptionCase> cases = {
        {"latin_short", "Hello, Textscape"},
        {"latin_100",
         "Pack my box with five dozen liquor jugs, then sphinx of black quartz: judge my vow! Jackdaws love it"},
        {"cyrillic",
         "\xD0\xA1\xD1\x8A\xD0\xB5\xD1\x88\xD1\x8C \xD0\xB6\xD0\xB5 \xD0\xB5\xD1\x89\xD1\x91 "
         "\xD1\x8D\xD1\x82\xD0\xB8\xD1\x85 \xD0\xBC\xD1\x8F\xD0\xB3\xD0\xBA\xD0\xB8\xD1\x85"},
        {"cjk_100", hundredHanCharacters()},
        {"arabic", "\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7 \xD8\xA8\xD8\xA7\xD9\x84\xD8\xB9\xD8\xA7\xD9\x84\xD9\x85"},
        {"emoji", repeated("\xF0\x9F\x98\x80 \xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD ", 8)},
        {"devanagari", "\xE0\xA4\xA8\xE0\xA4\xAE\xE0\xA4\xB8\xE0\xA5\x8D\xE0\xA4\xA4\xE0\xA5\x87 "
                       "\xE0\xA4\xA6\xE0\xA5\x81\xE0\xA4\xA8\xE0\xA4\xBF\xE0\xA4\xAF\xE0\xA4\xBE"},
        {"thai", "\xE0\xB8\xAA\xE0\xB8\xA7\xE0\xB8\xB1\xE0\xB8\xAA\xE0\xB8\x94\xE0\xB8\xB5 "
                 "\xE0\xB8\x9B\xE0\xB8\xA3\xE0\xB8\xB0\xE0\xB9\x80\xE0\xB8\x97\xE0\xB8\xA8\xE0\xB9\x84\xE0\xB8\x97\xE0\xB8\xA2"},
        {"latin_100_1920x1080",
         "Pack my box with five dozen liquor jugs, then sphinx of black quartz: judge my vow! Jackdaws love it", 1920,
         1080},
    };
    return cases;
}

FormState stateOf(const std::string& text) {
    FormState s;
    SplitMixGenerator random;
    ReadTextSeed(s, text, random);
    return s;
}

// The caption drawn over and over into the same picture: each time the
// same work.
void warm(benchmark::State& state, const CaptionCase& c) {
    FormState s = stateOf(c.text);
    Raster canvas(c.width, c.height, Colour::fromRgb(90, 130, 170));
    RasterSurface window(1, 1);
    PrintCaption(s, canvas, window);
    for (auto _ : state) {
        PrintCaption(s, canvas, window);
        benchmark::DoNotOptimize(canvas.data());
        benchmark::ClobberMemory();
    }
}

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Each caption on a thread of its own, timed by that thread's CPU time (so
// that other work on the machine counts less).
void cold(benchmark::State& state, const CaptionCase& c) {
    FormState s = stateOf(c.text);
    Raster canvas(c.width, c.height, Colour::fromRgb(90, 130, 170));
    RasterSurface window(1, 1);
    for (auto _ : state) {
        double seconds = 0;
        std::thread([&] {
            const double start = threadCpuSeconds();
            PrintCaption(s, canvas, window);
            seconds = threadCpuSeconds() - start;
        }).join();
        state.SetIterationTime(seconds);
        benchmark::DoNotOptimize(canvas.data());
    }
}

std::string nameOf(const char* kind, const CaptionCase& c) { return std::string("BM_Caption/") + kind + "/" + c.name; }

}  // namespace

void registerCaptionBenchmarks() {
    const Outcome fonts = loadCaptionFonts();
    if (!fonts) {
        std::fprintf(stderr, "BM_Caption left out: %s\n", fonts.message.c_str());
        return;
    }
    for (const CaptionCase& c : captionCases()) {
        benchmark::RegisterBenchmark(nameOf("warm", c).c_str(), [&c](benchmark::State& st) { warm(st, c); })
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(7)
            ->ReportAggregatesOnly(true)
            ->MinTime(0.2);
        benchmark::RegisterBenchmark(nameOf("cold", c).c_str(), [&c](benchmark::State& st) { cold(st, c); })
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(7)
            ->ReportAggregatesOnly(true)
            ->MinTime(0.2)
            ->UseManualTime();
    }
}

void printCaptionSummary(const MedianKeeper& reporter) {
    bool any = false;
    for (const CaptionCase& c : captionCases()) {
        const auto warmRun = reporter.medians.find(nameOf("warm", c));
        const auto coldRun = reporter.medians.find(nameOf("cold", c));
        if (warmRun == reporter.medians.end() && coldRun == reporter.medians.end()) continue;
        if (!any)
            std::printf(
                "\nThe caption alone (PrintCaption), medians in ms of CPU time (goal: at most 2 at 600 x 450)\n"
                "%-22s %9s %9s %12s\n",
                "caption", "warm", "cold", "warm (wall)");
        any = true;
        const bool hasWarm = warmRun != reporter.medians.end(), hasCold = coldRun != reporter.medians.end();
        std::printf("%-22s %9.3f %9.3f %12.3f\n", c.name, hasWarm ? warmRun->second.cpu : -1.0,
                    hasCold ? coldRun->second.real : -1.0, hasWarm ? warmRun->second.real : -1.0);
    }
}
