// The memory a sweep takes besides its canvas, counted by replacing the
// global allocation functions of this test program (a program of its own, so
// no other test pays for the counting).

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

#include "render/sweep.hpp"
#include "support/picture.hpp"

namespace {

std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> peakBytes{0};

// Each block carries its size in front of it, 16 bytes so that what follows
// keeps the alignment malloc gives.
constexpr std::size_t kHeader = 16;

void* allocate(std::size_t size) {
    void* block = std::malloc(size + kHeader);
    if (block == nullptr) throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = size;
    const std::size_t live = liveBytes.fetch_add(size) + size;
    std::size_t peak = peakBytes.load();
    while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {
    }
    return static_cast<char*>(block) + kHeader;
}

void release(void* p) {
    if (p == nullptr) return;
    void* block = static_cast<char*>(p) - kHeader;
    liveBytes.fetch_sub(*static_cast<std::size_t*>(block));
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }

namespace ts {
namespace {

// The most the sweep holds at once besides the canvas, in bytes.
std::size_t peakBesidesCanvas(int width, int height, int threads, bool progress) {
    FormState s;
    testing::prepareTextPicture(s, "abc");
    Raster canvas(width, height);
    SweepOptions options{threads, 0, {}};
    std::int64_t calls = 0;
    if (progress) options.progress = [&calls](std::int64_t, std::int64_t) { ++calls; };
    const std::size_t before = liveBytes.load();
    peakBytes.store(before);
    RenderFieldAtSize(s, canvas, options);
    return peakBytes.load() - before;
}

// A render holds at most about twice its finished 32-bit canvas: besides the
// canvas itself, less than the canvas again (no per-pixel buffer of the whole
// picture), on any number of threads.
TEST(SweepMemory, APictureTakesLessThanItsCanvasAgain) {
    for (const auto& [w, h] : {std::pair{1000, 700}, {600, 450}, {2000, 200}, {200, 2000}, {16, 16000}}) {
        for (int threads : {1, 2, 4}) {
            const std::size_t canvasBytes = std::size_t{4} * static_cast<std::size_t>(w) * h;
            const std::size_t extra = peakBesidesCanvas(w, h, threads, threads == 2);
            EXPECT_GT(extra, 0u) << w << " x " << h << ", " << threads << " threads";
            EXPECT_LT(extra, canvasBytes) << w << " x " << h << ", " << threads << " threads";
        }
    }
}

}  // namespace
}  // namespace ts
