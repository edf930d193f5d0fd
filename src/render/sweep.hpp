#pragma once

#include <cstdint>
#include <functional>
#include <stop_token>
#include <thread>
#include <utility>

#include "platform/raster.hpp"
#include "state/form_state.hpp"

namespace ts {

// How a sweep shares its work out, and when it stops.
struct SweepOptions {
    using Progress = std::function<void(std::int64_t done, std::int64_t total)>;

    // The members in their order; by default every hardware thread, chunks
    // the sweep chooses, no progress and no stop.
    SweepOptions(int threadCount = 0, int chunkCount = 0, Progress tell = {}, std::stop_token stopToken = {})
        : threads(threadCount), chunks(chunkCount), progress(std::move(tell)), stop(std::move(stopToken)) {}

    // Threads drawing the picture; 0 takes every hardware thread.
    int threads;
    // Runs of whole consecutive columns the visits are cut into and handed
    // to the threads; 0 lets the sweep choose. Never more than the columns.
    int chunks;
    // Told how many visits are done out of how many, now and then while the
    // sweep runs and once at the end with both equal; always called on the
    // thread that called the sweep, with a count that never goes down.
    Progress progress;
    // Looked at between runs of columns: once a stop is asked for, the sweep
    // returns early, the canvas and the state part drawn (to be thrown
    // away), and progress is not told the end. Never asked, it changes no
    // pixel.
    std::stop_token stop;
};

// Starts one of a sweep's threads, running `work`; an empty one starts a
// std::jthread. Tests put one in its place that fails as a machine does
// when it has no threads, or no memory for their stacks, left.
using ThreadStarter = std::function<std::jthread(std::function<void(std::stop_token)> work)>;

// The standard sweep: visits columns 0..sir and rows 0..vis of the state's
// geometry, column by column, and at each runs the five per-pixel
// procedures (PolarAboutPole, ShapeValue, ChannelValues, MixColourIndex,
// PlotPixel), on the threads `options` asks for. Every pixel and every
// member left in the state come out exactly as on one thread, whatever the
// thread and chunk counts, failed statements and the values they carry
// included.
//
// How: the pole angle fi1 depends on nothing but itself, so the value each
// chunk starts from is summed beforehand by exactly the same additions. The
// other carried members (fit, r, fi, ba, re, gr, bl, barva) matter only
// where a statement fails: from the first visit of a chunk at which every
// statement stores its member, nothing the chunk draws depends on what came
// before it. Each chunk after the first is drawn from that visit on in
// parallel; the visits before it (usually none) are drawn again in order
// afterwards, from the true state the previous chunk left.
//
// A thread that cannot be started (std::system_error or std::bad_alloc from
// `startThread`) leaves the work to those that did start and the calling
// thread: the same picture on fewer threads, and no more are tried.
void RenderFieldThreaded(FormState& s, Raster& canvas, const SweepOptions& options = {},
                         const ThreadStarter& startThread = {});

// The standard sweep on one thread, as the tests and the benchmark draw the
// 600 x 450 picture: the same code as on any number of threads.
inline void RenderField(FormState& s, Raster& canvas) { RenderFieldThreaded(s, canvas, {1, 0, {}}); }

// The sizes RenderFieldAtSize draws, in pixels on either side.
inline constexpr int kMinPictureSide = 16;
inline constexpr int kMaxPictureSide = 16384;

// Draws the picture at the size of the canvas, W x H (each 16..16384; any
// other size is a programming error): the same plane as the 600 x 450 picture, scaled by
// s = H / 450 and centred across, with ox = (W - 600 s) / 2. Visits columns
// I = 0..W and rows J = 0..H, column by column (the last column and row are
// computed but fall outside the canvas), and at each one takes
//   i = (I - ox) / s, j = J / s, x = i / 50 - 6, y = 4.5 - j / 50,
// and, in place of the step-by-step sum of the pole angle,
//   fi1 = korakfi1 * ((451 i + j) + 1), fit = fi0 + fi1,
// which is the angle a 600 x 450 picture reaches at its own column i and row
// j (up to the rounding of the sum). The rest of each visit is the standard
// per-pixel path, failed statements keeping the previous visit's value.
//
// Left in the state: fit, r, fi, ba, re, gr, bl and barva as the standard
// sweep leaves them; fi1 = korakfi1 * ((451 i + j) + 1) of the last visit (or the
// value before it where that statement failed), so that fit = fi0 + fi1
// still holds; x and y of the last column and row; i = W + 1, j = H + 1.
// The state's geometry (sir, vis, dx, dy, polx, poly) is neither read nor
// changed.
//
// At exactly 600 x 450 it is RenderFieldThreaded: the standard picture, with
// its step-by-step pole angle, byte for byte.
//
// Threads that cannot be started are taken as RenderFieldThreaded takes them.
void RenderFieldAtSize(FormState& s, Raster& canvas, const SweepOptions& options = {},
                       const ThreadStarter& startThread = {});

}  // namespace ts
