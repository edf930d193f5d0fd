#include "gui/live_preview.hpp"

#include <QMetaObject>
#include <QRect>
#include <QWidget>

#include <chrono>
#include <exception>
#include <system_error>
#include <utility>
#include <vector>

#include "gui/window_words.hpp"
#include "seed/draw_parameters.hpp"
#include "seed/read_text_seed.hpp"
#include "state/layout.hpp"

namespace ts {

namespace {

// An exact stage this quick is on screen within a frame (16 ms at 60 Hz),
// with time left to copy and paint it: no coarse stage before it.
constexpr double kWithinAFrameMilliseconds = 10;

// What a drawing does to the window, kept to be done there on the GUI
// thread: the window is the GUI's, and its text goes through the toolkit.
// The picture's stages never read the window back.
class SurfaceRecording final : public Surface {
public:
    void setPixel(float x, float y, Colour c) override {
        keep([=](Surface& s) { s.setPixel(x, y, c); });
    }
    Colour pixel(float, float) const override { return Colour::black(); }
    void line(float x1, float y1, float x2, float y2, Colour c) override {
        keep([=](Surface& s) { s.line(x1, y1, x2, y2, c); });
    }
    void setTextX(float x) override {
        keep([=](Surface& s) { s.setTextX(x); });
    }
    void setTextY(float y) override {
        keep([=](Surface& s) { s.setTextY(y); });
    }
    void print(std::string_view utf8) override {
        keep([text = std::string(utf8)](Surface& s) { s.print(text); });
    }
    void setFontSize(float points) override {
        keep([=](Surface& s) { s.setFontSize(points); });
    }
    void setTextColour(Colour c) override {
        keep([=](Surface& s) { s.setTextColour(c); });
    }
    void clear() override {
        keep([](Surface& s) { s.clear(); });
    }
    void setBackground(Colour c) override {
        keep([=](Surface& s) { s.setBackground(c); });
    }

    void replay(Surface& window) const {
        for (const auto& call : calls_) call(window);
    }

private:
    void keep(std::function<void(Surface&)> call) { calls_.push_back(std::move(call)); }

    std::vector<std::function<void(Surface&)>> calls_;
};

// Each pixel of `small` as a factor x factor block.
Raster scaledUp(const Raster& small, int factor, int width, int height) {
    Raster out(width, height);
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* from =
            small.data() + static_cast<std::size_t>(y / factor) * static_cast<std::size_t>(small.width());
        std::uint32_t* to = out.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        for (int x = 0; x < width; ++x) to[x] = from[x / factor];
    }
    return out;
}

// Where a picture draws on the window: the grey band with the parameter
// line (which may run on past the band) and the "*".
QRect infoLineArea(int windowWidth) {
    using layout::kInfoBand;
    return {kInfoBand.x, kInfoBand.y, windowWidth - kInfoBand.x, kInfoBand.height + 6};
}
const QRect kStarArea(0, 0, layout::kStarX + 20, layout::kStarY + 24);

}  // namespace

// What every drawing of one prompt starts from.
struct LivePreview::Before {
    FormState state;
    SplitMixGenerator random;
    RasterSurface canvas;
};

// A stage drawn: the canvas to show, and what the drawing left.
struct LivePreview::Result {
    std::uint64_t job = 0;
    std::string text;
    Stage stage = Stage::Exact;
    Raster canvas;
    FormState state;
    SplitMixGenerator random;
    SurfaceRecording window;
};

struct LivePreview::Job {
    std::uint64_t id = 0;
    std::string text;
    std::shared_ptr<const Before> before;
    std::stop_source stop;
};

LivePreview::LivePreview(PreviewTarget target, QObject* parent) : QObject(parent), target_(target) {}

LivePreview::~LivePreview() {
    stopDrawing();
    if (worker_.joinable()) {
        worker_.request_stop();
        worker_.join();
    }
}

bool LivePreview::startWorker() {
    if (worker_.joinable()) return true;
    try {
        worker_ = std::jthread([this](std::stop_token quit) { work(std::move(quit)); });
    } catch (const std::system_error&) {
        return false;  // no thread to be had: the picture comes with OK
    }
    return true;
}

void LivePreview::begin() {
    stopDrawing();
    open_ = true;
    before_ = std::make_shared<const Before>(Before{target_.state, target_.random, target_.canvas});
    windowBefore_.emplace(target_.window);
    shown_.reset();
}

std::string LivePreview::typed(const std::string& text) {
    const Outcome checked = checkText(text);
    if (!checked) {
        // Nothing is drawn of a text that would be refused.
        stopDrawing();
        return windowWords(checked.message).toStdString();
    }
    if (!open_) return {};
    if (text.empty()) {
        stopDrawing();
        showBefore();
        return {};
    }
    if (text == currentText_ && current_ != 0) return {};
    if (shown_ && shown_->stage == Stage::Exact && shown_->text == text) {
        // Back to the text whose picture is shown: it stays, drawn once.
        stopDrawing();
        current_ = shown_->job;
        currentText_ = text;
        return {};
    }
    if (!startWorker()) return {};
    stopDrawing();
    auto job = std::make_unique<Job>();
    {
        const std::lock_guard lock(mutex_);
        job->id = ++lastJob_;
        job->text = text;
        job->before = before_;
        current_ = job->id;
        currentText_ = text;
        pending_ = std::move(job);
    }
    wake_.notify_one();
    return {};
}

void LivePreview::stopDrawing() {
    const std::lock_guard lock(mutex_);
    pending_.reset();
    running_.request_stop();
    current_ = 0;
    currentText_.clear();
}

bool LivePreview::take(const std::string& text) {
    std::shared_ptr<const Result> exact;
    if (open_ && current_ != 0 && currentText_ == text) {
        if (shown_ && shown_->job == current_ && shown_->stage == Stage::Exact) {
            exact = shown_;
        } else {
            // OK before the drawing is done waits for it: it is the picture.
            std::unique_lock lock(mutex_);
            const std::uint64_t job = current_;
            settled_.wait(lock, [&] { return settledUpTo_ >= job; });
            if (lastExact_ && lastExact_->job == job) exact = lastExact_;
        }
    }
    if (!exact) {
        restore();
        return false;
    }
    show(exact);
    target_.state = exact->state;
    target_.random = exact->random;
    // The picture is made now, so it is named now, as drawing it now would.
    namePicture(target_.state, target_.tools.clock);
    open_ = false;
    current_ = 0;
    currentText_.clear();
    before_.reset();
    windowBefore_.reset();
    return true;
}

void LivePreview::restore() {
    stopDrawing();
    showBefore();
    open_ = false;
    before_.reset();
    windowBefore_.reset();
}

void LivePreview::showBefore() {
    if (!shown_ || !before_) return;
    target_.canvas.raster() = before_->canvas.raster();
    target_.window = *windowBefore_;
    shown_.reset();
    paint();
}

std::optional<LivePreview::Shown> LivePreview::shown() const {
    if (!shown_) return std::nullopt;
    return Shown{shown_->text, shown_->stage};
}

LivePreview::Counts LivePreview::counts() const {
    const std::lock_guard lock(mutex_);
    return counts_;
}

void LivePreview::work(std::stop_token quit) {
    for (;;) {
        std::unique_ptr<Job> job;
        {
            std::unique_lock lock(mutex_);
            if (!wake_.wait(lock, quit, [this] { return pending_ != nullptr; })) return;
            job = std::move(pending_);
            running_ = job->stop;
            ++counts_.begun;
        }
        const bool stopped = !draw(*job);
        {
            const std::lock_guard lock(mutex_);
            settledUpTo_ = job->id;
            if (stopped) ++counts_.stopped;
        }
        settled_.notify_all();
    }
}

bool LivePreview::draw(Job& job) {
    try {
        // The parameters alone say which formula the picture draws, and so
        // how long it took last time.
        FormState probe = job.before->state;
        SplitMixGenerator random = job.before->random;
        RasterSurface unused(1, 1);
        SurfaceRecording window;
        PictureTools tools{window, unused, target_.tools.clock, random};
        PreparePicture(probe, job.text, tools);
        const auto formula = static_cast<std::size_t>(probe.tip1.value()) - 1;
        const double lastTime = exactMilliseconds_.at(formula);
        if (lastTime == 0 || lastTime > kWithinAFrameMilliseconds) {
            auto coarse = drawStage(job, Stage::Coarse);
            if (!coarse) return false;
            deliver(std::move(coarse));
        }
        const auto start = std::chrono::steady_clock::now();
        auto exact = drawStage(job, Stage::Exact);
        if (!exact) return false;
        exactMilliseconds_.at(formula) =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        deliver(std::move(exact));
    } catch (const std::exception&) {
        // No preview of this text; OK draws it and says what went wrong.
    }
    return true;
}

std::shared_ptr<const LivePreview::Result> LivePreview::drawStage(const Job& job, Stage stage) {
    FormState state = job.before->state;
    SplitMixGenerator random = job.before->random;
    SurfaceRecording window;
    RasterSurface canvas =
        stage == Stage::Exact ? job.before->canvas
                              : makeCanvas(layout::kCanvasWidth / kCoarseFactor, layout::kCanvasHeight / kCoarseFactor);
    const std::string& text = job.text;
    SweepOptions sweep(threads_, 0, {}, job.stop.get_token());
    if (progressHook_)
        sweep.progress = [this, &text](std::int64_t done, std::int64_t total) { progressHook_(text, done, total); };
    PictureTools tools{window, canvas, target_.tools.clock, random, target_.tools.caption, sweep};
    MakePicture(state, text, tools);
    if (job.stop.stop_requested()) return nullptr;
    Raster shown = stage == Stage::Exact
                       ? std::move(canvas.raster())
                       : scaledUp(canvas.raster(), kCoarseFactor, layout::kCanvasWidth, layout::kCanvasHeight);
    return std::make_shared<const Result>(
        Result{job.id, text, stage, std::move(shown), std::move(state), random, std::move(window)});
}

void LivePreview::deliver(std::shared_ptr<const Result> result) {
    {
        const std::lock_guard lock(mutex_);
        if (result->stage == Stage::Exact) {
            lastExact_ = result;
            ++counts_.exact;
        } else {
            ++counts_.coarse;
        }
    }
    QMetaObject::invokeMethod(
        this, [this, result] { show(result); }, Qt::QueuedConnection);
}

void LivePreview::show(const std::shared_ptr<const Result>& result) {
    if (!open_ || result->job != current_ || !windowBefore_) return;  // stale
    if (shown_ && shown_->job == result->job && shown_->stage == Stage::Exact) return;
    target_.canvas.raster() = result->canvas;
    target_.window = *windowBefore_;
    result->window.replay(target_.window);
    shown_ = result;
    paint();
}

void LivePreview::paint() {
    if (target_.canvasWidget) target_.canvasWidget->repaint();
    if (target_.windowWidget) {
        target_.windowWidget->repaint(infoLineArea(target_.window.raster().width()));
        target_.windowWidget->repaint(kStarArea);
    }
    emit stageShown();
}

}  // namespace ts
