#pragma once

#include <QObject>

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

#include "files/image_format.hpp"
#include "files/png_recipe.hpp"
#include "platform/outcome.hpp"
#include "platform/raster.hpp"
#include "state/picture_definition.hpp"
#include "state/picture_sizes.hpp"

class QThread;

namespace ts {

// The sizes "Save as" offers, the canvas first: the table of named sizes.
std::span<const PictureSize> exportSizes();

// The same with a picture file's own size first, for the picture opened
// from it: the table's entry when it is one of them, moved to the front,
// otherwise an entry of its own ("the opened file's size").
std::vector<PictureSize> exportSizes(const std::optional<PictureSize>& fileSize);

// Told how much of a picture is drawn, from 0 to 1, on the thread that
// draws it.
using ExportProgress = std::function<void(double done)>;

// The picture of `text` drawn afresh at width x height (each 16 to 16384
// pixels) on every core, caption included: at 600 x 450 the standard
// picture, at other sizes the same composition with the caption scaled.
// The text is coded under picture definition `definition`, the one the
// shown picture was drawn with, and captioned when `caption` says so, as
// the shown picture is. Safe to call on a worker thread; `progress` is told on the calling one.
// Once `stop` is asked for, the drawing ends early and what is returned is
// to be thrown away.
Raster renderPictureAt(const std::string& text, int width, int height, int definition = kLatestPictureDefinition,
                       bool caption = true, const ExportProgress& progress = {}, std::stop_token stop = {});

// One "Save as" being written, on a thread of its own while the window goes
// on: the picture drawn at the size asked for (or the canvas as shown, as it
// is), encoded with its recipe and written atomically. Its progress and its
// end are told on the thread that made it. cancel() stops it at the sweep's
// next run of columns, or before the encoding or the writing, and nothing is
// written; a file already being written is finished.
class PictureExport final : public QObject {
    Q_OBJECT

public:
    struct Request {
        std::filesystem::path file;
        ImageFormat format = ImageFormat::Png;
        int width = 0, height = 0;
        std::string text;
        PictureRecipe recipe;
        // The canvas as the window shows it, written as it is instead of
        // being drawn again.
        std::optional<Raster> shown;
    };

    explicit PictureExport(Request request, QObject* parent = nullptr);
    // Waits for the thread: a file being written is finished.
    ~PictureExport() override;
    PictureExport(const PictureExport&) = delete;
    PictureExport& operator=(const PictureExport&) = delete;

    void start();
    const Request& request() const { return request_; }
    // Once finished: how it went (a failure when cancelled), and whether it
    // was cancelled.
    const Outcome& outcome() const { return outcome_; }
    bool cancelled() const { return cancelled_; }

public slots:
    void cancel();

signals:
    // Thousandths done, now and then while it runs (and not once cancelled).
    void progressed(int thousandths);
    // Written, failed or cancelled.
    void finished();

private:
    void work();
    void tell(double done);

    const Request request_;
    std::stop_source stop_;
    QThread* thread_ = nullptr;
    // Set by the thread before it finishes.
    Outcome outcome_ = Outcome::failed(Failure::WriteFailed, "The save stopped");
    bool cancelled_ = false;
};

}  // namespace ts
