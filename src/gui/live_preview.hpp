#pragma once

#include <QObject>

#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "gui/text_dialog.hpp"
#include "picture/picture.hpp"
#include "platform/random_source.hpp"
#include "platform/raster_surface.hpp"
#include "state/form_state.hpp"
#include "state/shape_formulas.hpp"

class QWidget;

namespace ts {

// What the preview draws for and shows on: the window's state and
// generator, its surfaces and the tools its pictures are made with, and
// the widgets that paint the surfaces.
struct PreviewTarget {
    FormState& state;
    SplitMixGenerator& random;
    RasterSurface& window;
    RasterSurface& canvas;
    const PictureTools& tools;  // the clock, and whether pictures get their caption
    QWidget* canvasWidget;
    QWidget* windowWidget;
};

// The coarse stage: the picture at a third of the canvas's size (200 x
// 150, through the any-size sweep, caption and all), each of its pixels
// shown as 3 x 3 on the canvas.
inline constexpr int kCoarseFactor = 3;

// The picture of the text being typed, while the prompt is open. Each
// change of the field starts a drawing on a worker thread from a copy of
// the window's state, generator and canvas as they were when the prompt
// opened, with the whole picture sequence, so its exact stage is the very
// picture OK would make and the copy it leaves is the state OK would
// leave. Where the exact picture would not be on screen within a frame, a
// coarse stage comes first. A drawing the next key makes stale is stopped
// through the sweep's stop token and never shown. The widgets only paint
// what the drawings filled.
class LivePreview final : public QObject, public TypingWatcher {
    Q_OBJECT

public:
    enum class Stage { Coarse, Exact };

    // What the canvas shows of the preview.
    struct Shown {
        std::string text;
        Stage stage = Stage::Exact;
    };

    // The drawings since the window was made: begun, stopped because a
    // later key (or the end of the prompt) made them stale, and the stages
    // the worker finished.
    struct Counts {
        int begun = 0;
        int stopped = 0;
        int coarse = 0;
        int exact = 0;
    };

    explicit LivePreview(PreviewTarget target, QObject* parent = nullptr);
    ~LivePreview() override;

    // The prompt opens: what is shown now is what Cancel and an empty field
    // bring back, and what every drawing starts from.
    void begin();
    // The field holds `text`: its picture is drawn, unless the text is empty
    // (the picture from before is shown) or refused (the answer says why,
    // and the canvas keeps what it shows).
    std::string typed(const std::string& text) override;
    // OK with `text`. Where the preview drew `text`, or is drawing it, the
    // exact stage is awaited, shown, and its state and generator become the
    // window's, with the picture named now: true, and nothing is drawn
    // again. Otherwise what was shown before the prompt is put back: false.
    bool take(const std::string& text);
    // The prompt is cancelled: the picture and the window's drawing from
    // before it are put back, and no drawing goes on.
    void restore();

    // What the canvas shows of the preview; nothing while it shows the
    // picture from before the prompt.
    std::optional<Shown> shown() const;
    Counts counts() const;

    // The threads each drawing's sweep runs on (0: every one, as the window
    // draws).
    void setThreads(int threads) { threads_ = threads; }
    // Told on the worker, with the drawing's text and its sweep's visits
    // done out of all, each time the sweep reports progress; the tests hold
    // a drawing there.
    using ProgressHook = std::function<void(const std::string& text, std::int64_t done, std::int64_t total)>;
    void setProgressHook(ProgressHook hook) { progressHook_ = std::move(hook); }

signals:
    // A stage (or the picture from before) has been painted on the canvas.
    void stageShown();

public:
    struct Before;
    struct Result;

private:
    struct Job;

    void work(std::stop_token quit);
    // False when the drawing was stopped.
    bool draw(Job& job);
    std::shared_ptr<const Result> drawStage(const Job& job, Stage stage);
    void deliver(std::shared_ptr<const Result> result);
    void show(const std::shared_ptr<const Result>& result);
    void showBefore();
    void stopDrawing();
    void paint();
    bool startWorker();

    PreviewTarget target_;
    int threads_ = 0;
    ProgressHook progressHook_;

    // On the GUI thread.
    bool open_ = false;
    std::shared_ptr<const Before> before_;
    std::optional<RasterSurface> windowBefore_;
    std::uint64_t current_ = 0;  // the drawing of the text in the field; 0: none
    std::string currentText_;
    std::shared_ptr<const Result> shown_;

    // Shared with the worker, under mutex_.
    mutable std::mutex mutex_;
    std::condition_variable_any wake_;
    std::condition_variable_any settled_;
    std::unique_ptr<Job> pending_;
    std::stop_source running_;                 // the drawing the worker is on
    std::uint64_t settledUpTo_ = 0;            // the worker is done with every drawing up to this one
    std::shared_ptr<const Result> lastExact_;  // the latest exact stage drawn
    std::uint64_t lastJob_ = 0;
    Counts counts_;

    // On the worker: how long each shape formula's exact stage took last.
    std::array<double, kShapeFormulaCount> exactMilliseconds_{};

    std::jthread worker_;  // last: stopped and joined first
};

}  // namespace ts
