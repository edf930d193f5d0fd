#include "render/sweep.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "colour/channel_mixing.hpp"
#include "colour/palette_window.hpp"
#include "colour/plot_pixel.hpp"
#include "numeric/statement.hpp"
#include "render/polar_about_pole.hpp"
#include "render/shape_value.hpp"

namespace ts {
namespace {

// What a visit takes from its column and its row: they are computed once per
// column and once per row.
struct Column {
    double x, sinX;
    double i451;  // 451 * i, for the pole angle of a picture of any size
};

struct Row {
    double y, sinY, cosY;
    double j;  // the plane row, for the pole angle of a picture of any size
};

// The visits of one sweep in order: visit v is column v / rows, row v % rows.
struct Plan {
    std::vector<Column> columns;
    std::vector<Row> rows;

    std::int64_t visits() const {
        return static_cast<std::int64_t>(columns.size()) * static_cast<std::int64_t>(rows.size());
    }
};

// How the pole finds its angle: by one more step of the sum (the 600 x 450
// picture), or from the visit's plane column and row (any other size).
enum class Pole { Stepped, FromPosition };

template <Pole kPole>
TS_HOT_INLINE void movePole(PixelState& p, const Column& c, const Row& r) {
    if constexpr (kPole == Pole::Stepped) {
        PolarAboutPole(p);
    } else {
        PolarAboutPoleAt(p, p.korakfi1 * ((c.i451 + r.j) + 1));
    }
}

// The pole angle offset before visit `end` of a picture of any size: the
// result of the last visit from `begin` to end - 1 whose statement
// succeeded, or `before` (the offset before visit `begin`) when none did.
// Almost always the visit just before `end`.
double fi1FromPositionBefore(const Plan& plan, std::int64_t begin, std::int64_t end, double korakfi1, double before) {
    const auto rows = static_cast<std::int64_t>(plan.rows.size());
    for (std::int64_t v = end - 1; v >= begin; --v) {
        const double fi1 =
            korakfi1 *
            ((plan.columns[static_cast<std::size_t>(v / rows)].i451 + plan.rows[static_cast<std::size_t>(v % rows)].j) +
             1);
        if (fast::finite(fi1)) return fi1;
    }
    return before;
}

// The pole angle offset of the 600 x 450 picture after `count` more steps.
// The other threads wait for it, so when no sum can overflow (each stays
// below |fi1| + count |korakfi1| and a hair of rounding), the steps are
// taken as plain additions: the same sums, without the test that makes a
// failed step keep the previous offset.
double fi1SteppedOn(double fi1, double korakfi1, std::int64_t count) {
    if (std::fabs(fi1) < 1e300 && std::fabs(korakfi1) * static_cast<double>(count) < 1e300) {
        for (std::int64_t n = 0; n < count; ++n) fi1 += korakfi1;
    } else {
        for (std::int64_t n = 0; n < count; ++n) fast::assign(fi1, fi1 + korakfi1);
    }
    return fi1;
}

// Columns drawn into a tile of consecutive columns, each column's rows
// side by side, and copied into the canvas row by row: the canvas is kept
// row by row, and writing it down a column would touch another cache line
// and, in a large picture, another page at every pixel. At most 16
// columns, and fewer in a narrow picture, so that the tiles of all threads
// together stay small beside the canvas.
class ColumnTile {
public:
    static constexpr int kMaxColumns = 16;

    ColumnTile(int columnsInPicture, int rows, Raster& canvas)
        : columns_(std::clamp(columnsInPicture / 32, 1, kMaxColumns)),
          rows_(rows),
          tile_(rows, columns_),
          canvas_(canvas) {}
    ~ColumnTile() { flush(); }
    ColumnTile(const ColumnTile&) = delete;
    ColumnTile& operator=(const ColumnTile&) = delete;

    // The tile to plot rows firstRow..endRow-1 of canvas column i into, and
    // the column to plot them at.
    Raster& column(int i, int firstRow, int endRow, int& tileColumn) {
        if (count_ == columns_) flush();
        if (count_ == 0) first_ = i;
        firstRow_[count_] = firstRow;
        endRow_[count_] = endRow;
        tileColumn = count_++;
        return tile_;
    }

private:
    void flush() {
        const int width = canvas_.width();
        const int columns = std::min(count_, width - first_);
        const int rows = std::min(rows_, canvas_.height());
        const std::uint32_t* from = tile_.data();
        std::uint32_t* to = canvas_.data();
        for (int j = 0; j < rows; ++j) {
            std::uint32_t* line = to + static_cast<std::size_t>(j) * static_cast<std::size_t>(width) + first_;
            for (int t = 0; t < columns; ++t) {
                if (j >= firstRow_[t] && j < endRow_[t])
                    line[t] = from[static_cast<std::size_t>(t) * static_cast<std::size_t>(rows_) +
                                   static_cast<std::size_t>(j)];
            }
        }
        count_ = 0;
    }

    int columns_, rows_;
    Raster tile_;  // tile column t, row j at (j, t)
    Raster& canvas_;
    int first_ = 0, count_ = 0;
    int firstRow_[kMaxColumns] = {}, endRow_[kMaxColumns] = {};
};

// Draws visits v0..v1-1 from the state `state`, which it leaves as the last
// of them does; tells `onColumn` how many visits each column (or part of a
// column) had once it is drawn.
template <Pole kPole, class OnColumn>
void drawVisits(PixelState& state, const Plan& plan, const PaletteWindow& window, Raster& canvas, std::int64_t v0,
                std::int64_t v1, OnColumn&& onColumn) {
    // Worked on in a copy whose address stays here: otherwise the compiler
    // would have to assume that every library call in the loop might change
    // it.
    PixelState p = state;
    const auto rows = static_cast<std::int64_t>(plan.rows.size());
    const Row* const row = plan.rows.data();
    ColumnTile tile(static_cast<int>(plan.columns.size()), static_cast<int>(rows), canvas);
    // The pole's results depend on nothing an earlier visit left (only
    // storing them does), so they are worked out a block of rows ahead: the
    // library calls of one block then follow one another and overlap.
    constexpr int kBlock = 32;
    PoleAhead ahead[kBlock];
    std::int64_t v = v0;
    while (v < v1) {
        const int i = static_cast<int>(v / rows);
        const int firstRow = static_cast<int>(v % rows);
        const int endRow = static_cast<int>(std::min<std::int64_t>(rows, firstRow + (v1 - v)));
        const Column c = plan.columns[static_cast<std::size_t>(i)];
        int t = 0;
        Raster& target = tile.column(i, firstRow, endRow, t);
        p.x = c.x;
        p.sinX = c.sinX;
        for (int block = firstRow; block < endRow; block += kBlock) {
            const int blockEnd = std::min(endRow, block + kBlock);
            // The offsets as the statements will store them: the step's sum
            // is kept only where it is finite.
            double fi1 = p.fi1;
            for (int j = block; j < blockEnd; ++j) {
                double next;
                if constexpr (kPole == Pole::Stepped) {
                    next = fi1 + p.korakfi1;
                    if (fast::finite(next)) fi1 = next;
                } else {
                    next = p.korakfi1 * ((c.i451 + row[j].j) + 1);
                }
                ahead[j - block] = poleAhead(p, next, c.x, row[j].y);
            }
            for (int j = block; j < blockEnd; ++j) {
                const Row& r = row[j];
                p.y = r.y;
                p.sinY = r.sinY;
                p.cosY = r.cosY;
                PolarAboutPoleWith(p, ahead[j - block]);
                ShapeValue(p);
                ChannelValues(p);
                MixColourIndex(p);
                PlotPixel(p, window, target, j, t);
            }
        }
        onColumn(static_cast<std::int64_t>(endRow - firstRow));
        v += endRow - firstRow;
    }
    state = p;
}

// Draws visits v0..v1-1 from a state whose carried members (fit, r, fi, ba,
// re, gr, bl, barva and the pending slope) are not known, only its pole angle
// offset fi1. Returns the first visit at which every statement stored its
// member: that visit reads nothing left before it, so it and every visit
// after it are drawn exactly, and `state` ends as it would from the true
// state, except for what the visit does not store (fi where the formula does
// not read it, and the pending slope when no later one was found). Visits
// before it are drawn from the unknown state and must be drawn again. When
// no such visit is found, returns v1.
template <Pole kPole, class OnColumn>
std::int64_t drawFromUnknown(PixelState& state, const Plan& plan, const PaletteWindow& window, Raster& canvas,
                             std::int64_t v0, std::int64_t v1, OnColumn&& onColumn) {
    PixelState p = state;
    const auto rows = static_cast<std::int64_t>(plan.rows.size());
    std::int64_t v = v0;
    bool exact = false;
    while (v < v1 && !exact) {
        const int i = static_cast<int>(v / rows), j = static_cast<int>(v % rows);
        const Column& c = plan.columns[static_cast<std::size_t>(i)];
        const Row& r = plan.rows[static_cast<std::size_t>(j)];
        p.x = c.x;
        p.sinX = c.sinX;
        p.y = r.y;
        p.sinY = r.sinY;
        p.cosY = r.cosY;
        p.fitSet = p.rSet = p.fiSet = p.baSet = p.reSet = p.grSet = p.blSet = p.barvaSet = false;
        p.fiPending = false;
        movePole<kPole>(p, c, r);
        ShapeValue(p);
        ChannelValues(p);
        MixColourIndex(p);
        // Taken before the plot, whose clamp reads barva.
        exact = p.fitSet && p.rSet && (p.fiSet || !p.needsFi) && p.baSet && p.reSet && p.grSet && p.blSet && p.barvaSet;
        PlotPixel(p, window, canvas, i, j);
        ++v;
    }
    onColumn(v - v0);
    state = p;
    if (!exact) return v1;
    drawVisits<kPole>(state, plan, window, canvas, v, v1, onColumn);
    return v - 1;
}

// The state after a chunk drawn exactly from its first fully stored visit
// on (`after`), following the true state before that visit (`before`).
PixelState continued(const PixelState& before, PixelState after) {
    if (!after.needsFi) {
        after.fi = before.fi;
        after.fiSet = before.fiSet;
    }
    if (!after.fiPending) {
        after.fiPending = before.fiPending;
        after.pendingX = before.pendingX;
        after.pendingY = before.pendingY;
    }
    return after;
}

// Tells the caller's progress function the visits done, each count once.
class Progress {
public:
    Progress(const std::function<void(std::int64_t, std::int64_t)>& report, std::int64_t total)
        : report_(report), total_(total) {}

    void tell(std::int64_t done) {
        if (!report_ || done == told_) return;
        told_ = done;
        report_(done, total_);
    }
    void finish() {
        if (report_ && told_ != total_) report_(total_, total_);
        told_ = total_;
    }

private:
    const std::function<void(std::int64_t, std::int64_t)>& report_;
    std::int64_t total_;
    std::int64_t told_ = -1;
};

// One chunk: visits v0..v1-1, whole columns.
struct Chunk {
    std::int64_t v0 = 0, v1 = 0;
    double fi1Start = 0;             // the pole angle offset before v0
    std::atomic<bool> ready{false};  // fi1Start is known
    std::int64_t firstExact = 0;     // from here on the chunk's own drawing is exact
    PixelState end;                  // the state its own drawing left
};

template <Pole kPole>
void sweep(PixelState& p, const Plan& plan, const PaletteWindow& window, Raster& canvas, const SweepOptions& options,
           const ThreadStarter& startThread) {
    const std::int64_t visits = plan.visits();
    Progress progress(options.progress, visits);
    const int columns = static_cast<int>(plan.columns.size());
    int threads = options.threads > 0 ? options.threads : static_cast<int>(std::thread::hardware_concurrency());
    threads = std::max(threads, 1);
    // Enough chunks that the threads finish close together (each takes the
    // next chunk as it is free), few enough that handing them out costs
    // nothing: about 4,000 visits each, 4 to 32 per thread.
    int chunks = options.chunks;
    if (chunks <= 0) {
        chunks = threads == 1 ? 1
                              : static_cast<int>(std::clamp<std::int64_t>(visits / 4096, std::int64_t{4} * threads,
                                                                          std::int64_t{32} * threads));
    }
    chunks = std::min(chunks, columns);
    threads = std::min(threads, chunks);

    const auto rows = static_cast<std::int64_t>(plan.rows.size());
    if (visits == 0 || chunks <= 1) {
        std::int64_t done = 0, next = 0;
        const std::int64_t step = std::max<std::int64_t>(1, visits / 200);
        const auto onColumn = [&](std::int64_t n) {
            done += n;
            if (done >= next) {
                progress.tell(done);
                next = done + step;
            }
        };
        // Where the caller may stop it, in about 64 runs of whole columns
        // with a look between them; in runs or at once, the same pixels.
        const std::int64_t run = options.stop.stop_possible() ? std::max(1, columns / 64) * rows : visits;
        for (std::int64_t v = 0; v < visits; v += run) {
            if (options.stop.stop_requested()) return;
            drawVisits<kPole>(p, plan, window, canvas, v, std::min(v + run, visits), onColumn);
        }
        progress.finish();
        return;
    }

    std::vector<Chunk> chunk(static_cast<std::size_t>(chunks));
    for (int c = 0; c < chunks; ++c) {
        Chunk& k = chunk[static_cast<std::size_t>(c)];
        k.v0 = static_cast<std::int64_t>(c) * columns / chunks * rows;
        k.v1 = static_cast<std::int64_t>(c + 1) * columns / chunks * rows;
    }
    // The pole angle offset each chunk starts from. From the position, it is
    // the previous visit's; stepped, every step before the chunk is taken,
    // in order, as the one-thread sweep takes them.
    const auto setStarts = [&] {
        double fi1 = p.fi1;
        for (std::size_t c = 0; c < chunk.size(); ++c) {
            Chunk& k = chunk[c];
            if (c > 0) {
                const std::int64_t from = chunk[c - 1].v0;
                fi1 = kPole == Pole::Stepped ? fi1SteppedOn(fi1, p.korakfi1, k.v0 - from)
                                             : fi1FromPositionBefore(plan, from, k.v0, p.korakfi1, fi1);
            }
            k.fi1Start = fi1;
            k.ready.store(true, std::memory_order_release);
            k.ready.notify_all();
        }
    };

    std::atomic<int> nextChunk{0};
    std::atomic<std::int64_t> done{0};
    std::mutex mutex;
    std::condition_variable finishedOne;
    int finished = 0;
    const auto draw = [&](std::stop_token stop, auto&& onColumn) {
        while (!stop.stop_requested()) {
            const int c = nextChunk.fetch_add(1);
            if (c >= chunks) return;
            Chunk& k = chunk[static_cast<std::size_t>(c)];
            k.ready.wait(false, std::memory_order_acquire);
            if (options.stop.stop_requested()) {
                // Counted as finished, not drawn.
                {
                    const std::lock_guard lock(mutex);
                    ++finished;
                }
                finishedOne.notify_one();
                continue;
            }
            PixelState q = p;
            q.fi1 = k.fi1Start;
            if (c == 0) {
                // The first chunk starts from the true state.
                drawVisits<kPole>(q, plan, window, canvas, k.v0, k.v1, onColumn);
                k.firstExact = k.v0;
            } else {
                k.firstExact = drawFromUnknown<kPole>(q, plan, window, canvas, k.v0, k.v1, onColumn);
            }
            k.end = q;
            {
                const std::lock_guard lock(mutex);
                ++finished;
            }
            finishedOne.notify_one();
        }
    };

    // threads - 1 more threads, and the calling thread, which sums the
    // pole angle offsets for them first and tells the progress. Those that
    // start wait for the sums, so once one cannot start, no more are tried
    // and the sums are made all the same: the chunks are shared among the
    // threads there are.
    std::vector<std::jthread> pool;
    pool.reserve(static_cast<std::size_t>(threads - 1));
    const auto work = [&draw, &done](std::stop_token stop) {
        draw(stop, [&done](std::int64_t n) { done.fetch_add(n, std::memory_order_relaxed); });
    };
    for (int t = 1; t < threads; ++t) {
        try {
            pool.push_back(startThread ? startThread(work) : std::jthread(work));
        } catch (const std::system_error&) {
            break;
        } catch (const std::bad_alloc&) {
            break;
        }
    }
    setStarts();
    const std::int64_t step = std::max<std::int64_t>(1, visits / 200);
    std::int64_t next = 0;
    draw(std::stop_token{}, [&](std::int64_t n) {
        const std::int64_t count = done.fetch_add(n, std::memory_order_relaxed) + n;
        if (count >= next) {
            progress.tell(count);
            next = count + step;
        }
    });
    std::unique_lock lock(mutex);
    while (finished < chunks) {
        finishedOne.wait_for(lock, std::chrono::milliseconds(20));
        lock.unlock();
        progress.tell(done.load(std::memory_order_relaxed));
        lock.lock();
    }
    lock.unlock();
    pool.clear();  // joins
    if (options.stop.stop_requested()) return;

    // In order: each chunk's visits before its first exact one are drawn
    // again from the true state the chunk before left.
    PixelState state = chunk.front().end;
    for (std::size_t c = 1; c < chunk.size(); ++c) {
        const Chunk& k = chunk[c];
        if (k.firstExact > k.v0) {
            drawVisits<kPole>(state, plan, window, canvas, k.v0, k.firstExact, [](std::int64_t) {});
        }
        if (k.firstExact < k.v1) state = continued(state, k.end);
    }
    p = state;
    progress.finish();
}

Number int16(int v) { return Number::int16(static_cast<std::int16_t>(v)); }

}  // namespace

void RenderFieldThreaded(FormState& s, Raster& canvas, const SweepOptions& options, const ThreadStarter& startThread) {
    // y and the trigonometry of x and y depend on the row or the column
    // only, so they are computed once per row and once per column.
    const int lastColumn = loopEnd(s.sir);
    const int lastRow = loopEnd(s.vis);
    const PaletteWindow window = PaletteWindow::load(s);
    PixelState p = PixelState::load(s);

    Plan plan;
    plan.rows.reserve(static_cast<std::size_t>(std::max(lastRow + 1, 0)));
    Number y = s.y;
    for (int j = 0; j <= lastRow; ++j) {
        y = require(subtract(s.poly, require(divide(int16(j), s.dy), "row / dy")), "poly - row / dy");
        plan.rows.push_back({y.value(), std::sin(y.value()), std::cos(y.value()), 0});
    }
    // A column whose x cannot be computed ends the sweep there with a
    // run-time error, once the columns before it are drawn.
    Number x = s.x;
    const char* failure = nullptr;
    plan.columns.reserve(static_cast<std::size_t>(std::max(lastColumn + 1, 0)));
    for (int i = 0; i <= lastColumn && failure == nullptr; ++i) {
        const Result quotient = divide(int16(i), s.dx);
        const Result shifted = quotient ? subtract(*quotient, s.polx) : Result{};
        if (!quotient) {
            failure = "column / dx";
        } else if (!shifted) {
            failure = "column / dx - polx";
        } else {
            x = *shifted;
            plan.columns.push_back({x.value(), std::sin(x.value()), 0});
        }
    }

    // No accepted text gives a column or row that cannot be computed.
    TS_CHECK(failure == nullptr, failure);
    sweep<Pole::Stepped>(p, plan, window, canvas, options, startThread);

    p.store(s);
    s.x = x;
    if (lastRow >= 0) s.y = y;
    s.i = int16(lastColumn + 1);
    s.j = int16(lastRow + 1);
}

void RenderFieldAtSize(FormState& s, Raster& canvas, const SweepOptions& options, const ThreadStarter& startThread) {
    const int width = canvas.width(), height = canvas.height();
    const auto inRange = [](int side) { return side >= kMinPictureSide && side <= kMaxPictureSide; };
    TS_CHECK(inRange(width) && inRange(height), "a picture of 16 to 16384 pixels on either side");
    if (width == 600 && height == 450) {
        RenderFieldThreaded(s, canvas, options, startThread);
        return;
    }

    const PaletteWindow window = PaletteWindow::load(s);
    PixelState p = PixelState::load(s);
    const double scale = height / 450.0;
    const double ox = (width - 600 * scale) / 2;
    Plan plan;
    plan.rows.reserve(static_cast<std::size_t>(height) + 1);
    for (int row = 0; row <= height; ++row) {
        const double j = row / scale;
        const double y = 4.5 - j / 50;
        plan.rows.push_back({y, std::sin(y), std::cos(y), j});
    }
    plan.columns.reserve(static_cast<std::size_t>(width) + 1);
    for (int column = 0; column <= width; ++column) {
        const double i = (column - ox) / scale;
        const double x = i / 50 - 6;
        plan.columns.push_back({x, std::sin(x), 451 * i});
    }

    sweep<Pole::FromPosition>(p, plan, window, canvas, options, startThread);

    p.store(s);
    s.x = Number::real(plan.columns.back().x);
    s.y = Number::real(plan.rows.back().y);
    s.i = int16(width + 1);
    s.j = int16(height + 1);
}

}  // namespace ts
