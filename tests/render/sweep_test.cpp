#include "render/sweep.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "numeric/operations.hpp"
#include "state/shape_formulas.hpp"
#include "support/coarse_plane.hpp"
#include "support/picture.hpp"
#include "support/reference_sweep.hpp"

namespace ts {
namespace {

using namespace testing;

struct Split {
    int threads, chunks;
};

std::string describe(const Split& split) {
    return std::to_string(split.threads) + " threads, " + std::to_string(split.chunks) + " chunks";
}

// Chunk counts that put boundaries on the columns where statements fail:
// 2 chunks of the 61 columns meet at column 30, 61 make every column a chunk.
const Split kPlaneSplits[] = {{1, 7}, {2, 2}, {2, 61}, {3, 5}, {0, 0}};

class ThreadedStandardSweep : public ::testing::TestWithParam<int> {};

// Every formula, channel mode and mixing mode over a series of pictures on
// one state, each picture starting from what the one before left: on every
// split the canvas and the members left equal RenderField's, bit for bit.
TEST_P(ThreadedStandardSweep, EqualsRenderFieldOnEverySplit) {
    const int formula = GetParam();
    for (int channel = 1; channel <= 3; ++channel) {
        for (int mixing = 1; mixing <= 4; ++mixing) {
            FormState state;
            prepareTextPicture(state, "threads " + std::to_string(formula));
            state.tip1 = Number::single(static_cast<float>(formula));
            state.tip2 = Number::single(static_cast<float>(channel));
            state.tip3 = Number::single(static_cast<float>(mixing));
            const Number textR0 = state.r0;
            // The first picture starts from members never assigned.
            for (Plane plane :
                 {Plane::PoleOnRow0, Plane::FirstColumnX0, Plane::PoleAtOrigin, Plane::LastColumnX0, Plane::PoleFarAway,
                  Plane::FirstColumnX0, Plane::PoleOnRow0, Plane::HugeStep, Plane::Own}) {
                setPlane(state, plane, textR0);
                const FormState before = state;
                Raster want(60, 90);
                RenderField(state, want);
                for (const Split& split : kPlaneSplits) {
                    FormState s = before;
                    Raster got(60, 90);
                    RenderFieldThreaded(s, got, {split.threads, split.chunks, {}});
                    const std::string what = "tip1=" + std::to_string(formula) + " tip2=" + std::to_string(channel) +
                                             " tip3=" + std::to_string(mixing) + ", " + name(plane) + ", " +
                                             describe(split);
                    ASSERT_TRUE(got == want) << what << ": " << firstDifference(got, want);
                    ASSERT_EQ(differentMembers(s, state), "none") << what;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ShapeFormulas, ThreadedStandardSweep, ::testing::Range(1, kShapeFormulaCount + 1),
                         [](const auto& info) { return "formula" + std::to_string(info.param); });

// Sizes small enough for the literal reference. At 16 x 450 the plane is at
// its own scale, shifted: x = 0 in column 8, y = 0 in row 225, and 2 chunks
// of the 17 columns meet at column 8. 64 x 16 is wide, 20 x 225 tall.
struct Size {
    int width, height;
};
const Size kReferenceSizes[] = {{16, 450}, {64, 16}, {20, 225}};
const Split kSizeSplits[] = {{1, 1}, {1, 4}, {2, 2}, {3, 0}, {2, 17}};

class AnySizeSweep : public ::testing::TestWithParam<int> {};

// The picture of any size against the literal reference, over a series of
// pictures on one state, on every split.
TEST_P(AnySizeSweep, EqualsTheLiteralReferenceOnEverySplit) {
    const int formula = GetParam();
    const int channel = formula % 3 + 1, mixing = formula % 4 + 1;
    FormState state;
    prepareTextPicture(state, "any size " + std::to_string(formula));
    state.tip1 = Number::single(static_cast<float>(formula));
    state.tip2 = Number::single(static_cast<float>(channel));
    state.tip3 = Number::single(static_cast<float>(mixing));
    const Number textR0 = state.r0;
    for (const Size& size : kReferenceSizes) {
        for (Plane plane : {Plane::PoleAtOrigin, Plane::PoleFarAway, Plane::LargeStep, Plane::HugeStep, Plane::Own}) {
            setPlane(state, plane, textR0);
            const FormState before = state;
            Raster want(size.width, size.height);
            reference::RenderFieldAtSize(state, want);
            for (const Split& split : kSizeSplits) {
                FormState s = before;
                Raster got(size.width, size.height);
                RenderFieldAtSize(s, got, {split.threads, split.chunks, {}});
                const std::string what = "tip1=" + std::to_string(formula) + " tip2=" + std::to_string(channel) +
                                         " tip3=" + std::to_string(mixing) + ", " + std::to_string(size.width) + " x " +
                                         std::to_string(size.height) + ", " + name(plane) + ", " + describe(split);
                ASSERT_TRUE(got == want) << what << ": " << firstDifference(got, want);
                ASSERT_EQ(differentValues(s, state), "none") << what;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ShapeFormulas, AnySizeSweep, ::testing::Range(1, kShapeFormulaCount + 1),
                         [](const auto& info) { return "formula" + std::to_string(info.param); });

// At 600 x 450 the picture is the standard one: the pole angle summed step by
// step, the state's own geometry, every member as RenderField leaves it.
TEST(RenderFieldAtSize, At600x450IsRenderField) {
    for (const char* text : {"forest 22", "shadow", "Textscape"}) {
        FormState want, got;
        prepareTextPicture(want, text);
        got = want;
        Raster wantCanvas(600, 450), gotCanvas(600, 450);
        RenderField(want, wantCanvas);
        RenderFieldAtSize(got, gotCanvas, {2, 0, {}});
        EXPECT_TRUE(gotCanvas == wantCanvas) << text << ": " << firstDifference(gotCanvas, wantCanvas);
        EXPECT_EQ(differentMembers(got, want), "none") << text;
    }
}

TEST(RenderFieldAtSizeDeathTest, SizesOutside16To16384AreAProgrammingError) {
    FormState s;
    prepareTextPicture(s, "abc");
    for (const auto& [w, h] : {std::pair{15, 100}, {100, 15}, {16385, 16}, {16, 16385}, {0, 0}}) {
        Raster canvas(w, h);
        EXPECT_DEATH(RenderFieldAtSize(s, canvas, {1, 0, {}}), "16 to 16384") << w << " x " << h;
    }
    for (const auto& [w, h] : {std::pair{16, 16}, {16384, 16}}) {
        Raster canvas(w, h);
        EXPECT_NO_THROW(RenderFieldAtSize(s, canvas, {0, 0, {}})) << w << " x " << h;
    }
}

// What a picture of any size leaves: the position one past the last column
// and row, the plane point of the last visit, and a pole angle offset that
// still gives fit = fi0 + fi1.
TEST(RenderFieldAtSize, LeavesTheLastVisitsPositionAndPoleAngle) {
    FormState s;
    prepareTextPicture(s, "abc");
    const double fi0 = s.fi0.value(), korakfi1 = s.korakfi1.value();
    Raster canvas(80, 30);
    RenderFieldAtSize(s, canvas, {2, 0, {}});
    const double scale = 30 / 450.0, ox = (80 - 600 * scale) / 2;
    const double i = (80 - ox) / scale, j = 30 / scale;
    EXPECT_EQ(s.i, i16(81));
    EXPECT_EQ(s.j, i16(31));
    EXPECT_EQ(s.x, Number::real(i / 50 - 6));
    EXPECT_EQ(s.y, Number::real(4.5 - j / 50));
    EXPECT_EQ(s.fi1, Number::real(korakfi1 * ((451 * i + j) + 1)));
    EXPECT_EQ(s.fit, Number::real(fi0 + s.fi1.value()));
    // The geometry of the 600 x 450 picture is left alone.
    EXPECT_EQ(s.sir, i16(600));
    EXPECT_EQ(s.vis, i16(450));
}

// The pole angle comes from the position, not from a sum over the visits: a
// picture of any size does not depend on the offset the state held.
TEST(RenderFieldAtSize, ThePoleAngleDoesNotDependOnTheOffsetBefore) {
    FormState a, b;
    prepareTextPicture(a, "abc");
    b = a;
    b.fi1 = Number::real(3.25);
    Raster first(100, 60), second(100, 60);
    RenderFieldAtSize(a, first, {1, 0, {}});
    RenderFieldAtSize(b, second, {1, 0, {}});
    EXPECT_TRUE(first == second) << firstDifference(first, second);
    EXPECT_EQ(a.fi1, b.fi1);
}

// The progress function runs on the calling thread only, its count never
// goes down, and its last call has every visit done.
TEST(SweepProgress, IsToldOnTheCallingThreadUpToEveryVisit) {
    for (const Split& split : {Split{1, 1}, Split{1, 6}, Split{2, 0}, Split{3, 40}}) {
        for (const Size& size : {Size{600, 450}, Size{300, 100}}) {
            FormState s;
            prepareTextPicture(s, "abc");
            Raster canvas(size.width, size.height);
            std::vector<std::pair<std::int64_t, std::int64_t>> calls;
            bool otherThread = false;
            const auto caller = std::this_thread::get_id();
            RenderFieldAtSize(s, canvas, {split.threads, split.chunks, [&](std::int64_t done, std::int64_t total) {
                                              otherThread |= std::this_thread::get_id() != caller;
                                              calls.emplace_back(done, total);
                                          }});
            const std::string what =
                std::to_string(size.width) + " x " + std::to_string(size.height) + ", " + describe(split);
            const std::int64_t visits = std::int64_t{size.width + 1} * (size.height + 1);
            ASSERT_FALSE(calls.empty()) << what;
            EXPECT_FALSE(otherThread) << what;
            for (std::size_t k = 0; k < calls.size(); ++k) {
                EXPECT_EQ(calls[k].second, visits) << what;
                if (k > 0) {
                    EXPECT_GT(calls[k].first, calls[k - 1].first) << what;
                }
            }
            EXPECT_EQ(calls.back().first, visits) << what;
        }
    }
}

// A progress function that throws ends the sweep: the threads are stopped
// and the error reaches the caller.
TEST(SweepProgress, AnErrorFromTheProgressFunctionReachesTheCaller) {
    FormState s;
    prepareTextPicture(s, "abc");
    Raster canvas(1000, 700);
    EXPECT_THROW(
        RenderFieldAtSize(s, canvas, {2, 0, [](std::int64_t, std::int64_t) { throw std::runtime_error("stop"); }}),
        std::runtime_error);
}

// A column whose x cannot be computed (with dx a tiny single, column / dx
// overflows single precision from column 4 on) is a programming error for
// the threaded sweep as for RenderField.
TEST(RenderFieldThreadedDeathTest, AFailingColumnStopsTheProgramAsRenderFieldDoes) {
    FormState s;
    prepareTextPicture(s, "abc");
    s.dx = Number::single(1e-38f);
    Raster canvas(600, 450);
    EXPECT_DEATH(RenderField(s, canvas), "column / dx");
    EXPECT_DEATH(RenderFieldThreaded(s, canvas, {2, 0, {}}), "column / dx");
}

// Runs `body`, and ends the test program at once, failed, if it has not
// returned within a minute: a sweep waiting for a thread that never
// started would otherwise never end. An error it throws fails the test.
template <typename Body>
void withinAMinute(const std::string& what, Body&& body) {
    std::mutex mutex;
    std::condition_variable changed;
    bool finished = false;
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        if (!changed.wait_for(lock, std::chrono::minutes(1), [&] { return finished; })) {
            std::fprintf(stderr, "%s: still running after a minute\n", what.c_str());
            std::_Exit(1);
        }
    });
    try {
        body();
    } catch (const std::exception& e) {
        ADD_FAILURE() << what << ": " << e.what();
    }
    {
        const std::lock_guard lock(mutex);
        finished = true;
    }
    changed.notify_one();
    watchdog.join();
}

// A thread that cannot be started, as on a machine out of threads or out of
// memory for their stacks: the threads that did start and the calling one
// draw the same picture, and no more threads are tried after it.
TEST(RenderFieldThreaded, ThreadsThatCannotStartLeaveTheSamePictureToTheOthers) {
    struct Case {
        int started;       // threads that start before one cannot
        bool outOfMemory;  // std::bad_alloc rather than std::system_error
    } const cases[] = {{0, false}, {1, false}, {3, false}, {2, true}};
    for (const Size& size : {Size{600, 450}, Size{300, 100}}) {
        FormState want;
        prepareTextPicture(want, "threads that cannot start");
        const FormState before = want;
        Raster wantCanvas(size.width, size.height);
        RenderFieldAtSize(want, wantCanvas, {1, 0, {}});
        for (const Case& c : cases) {
            const std::string what = std::to_string(size.width) + " x " + std::to_string(size.height) + ", " +
                                     std::to_string(c.started) + " started";
            std::atomic<int> tried{0};
            const ThreadStarter failing = [&](std::function<void(std::stop_token)> work) {
                if (tried++ == c.started) {
                    if (c.outOfMemory) throw std::bad_alloc();
                    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
                }
                return std::jthread(std::move(work));
            };
            FormState got = before;
            Raster gotCanvas(size.width, size.height);
            withinAMinute(what, [&] { RenderFieldAtSize(got, gotCanvas, {8, 0, {}}, failing); });
            EXPECT_EQ(tried.load(), c.started + 1) << what;
            EXPECT_TRUE(gotCanvas == wantCanvas) << what << ": " << firstDifference(gotCanvas, wantCanvas);
            EXPECT_EQ(differentMembers(got, want), "none") << what;
        }
    }
}

// Sweeps that have no visits still leave what RenderField leaves.
TEST(RenderFieldThreaded, NoColumnsOrNoRows) {
    for (const auto& [sir, vis] : {std::pair{-1, 450}, {600, -1}, {0, 0}}) {
        FormState want;
        prepareTextPicture(want, "abc");
        want.sir = i16(sir);
        want.vis = i16(vis);
        FormState got = want;
        Raster wantCanvas(600, 450), gotCanvas(600, 450);
        RenderField(want, wantCanvas);
        RenderFieldThreaded(got, gotCanvas, {2, 0, {}});
        EXPECT_TRUE(gotCanvas == wantCanvas) << sir << ", " << vis;
        EXPECT_EQ(differentMembers(got, want), "none") << sir << ", " << vis;
    }
}

}  // namespace
}  // namespace ts

namespace ts {
namespace {

// A stop never asked for changes no pixel and no member, however the sweep
// is split; one asked for while the sweep runs ends it before its last visit.
TEST(SweepStop, NeverAskedChangesNothingAndAskedEndsTheSweepEarly) {
    for (const Split& split : {Split{1, 1}, Split{1, 6}, Split{2, 0}, Split{3, 40}}) {
        for (const Size& size : {Size{600, 450}, Size{300, 100}}) {
            const std::string what =
                std::to_string(size.width) + " x " + std::to_string(size.height) + ", " + describe(split);
            FormState want;
            prepareTextPicture(want, "stop");
            FormState got = want, stopped = want;
            Raster wantCanvas(size.width, size.height), gotCanvas(size.width, size.height);
            RenderFieldAtSize(want, wantCanvas, {split.threads, split.chunks});
            const std::stop_source never;
            RenderFieldAtSize(got, gotCanvas, {split.threads, split.chunks, {}, never.get_token()});
            EXPECT_TRUE(gotCanvas == wantCanvas) << what << ": " << firstDifference(gotCanvas, wantCanvas);
            EXPECT_EQ(differentMembers(got, want), "none") << what;

            std::stop_source source;
            std::int64_t told = 0;
            Raster stoppedCanvas(size.width, size.height);
            RenderFieldAtSize(stopped, stoppedCanvas,
                              {split.threads, split.chunks,
                               [&](std::int64_t done, std::int64_t) {
                                   told = done;
                                   source.request_stop();
                               },
                               source.get_token()});
            EXPECT_GT(told, 0) << what;
            EXPECT_LT(told, std::int64_t{size.width + 1} * (size.height + 1)) << what;
            EXPECT_FALSE(stoppedCanvas == wantCanvas) << what << ": part drawn";
        }
    }
}

}  // namespace
}  // namespace ts
