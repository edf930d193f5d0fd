#include "gui/picture_export.hpp"

#include <QThread>

#include <algorithm>
#include <exception>
#include <new>
#include <utility>
#include <vector>

#include "files/file_output.hpp"
#include "numeric/check.hpp"
#include "picture/picture.hpp"
#include "files/image_encoding.hpp"
#include "qt/qt_surfaces.hpp"
#include "render/sweep.hpp"

namespace ts {

std::span<const PictureSize> exportSizes() { return pictureSizes(); }

std::vector<PictureSize> exportSizes(const std::optional<PictureSize>& fileSize) {
    const std::span<const PictureSize> table = exportSizes();
    std::vector<PictureSize> sizes;
    if (fileSize) {
        const auto named = std::find(table.begin(), table.end(), *fileSize);
        sizes.push_back(
            named != table.end() ? *named : PictureSize{fileSize->width, fileSize->height, "the opened file's size"});
    }
    for (const PictureSize& size : table)
        if (!fileSize || !(size == *fileSize)) sizes.push_back(size);
    return sizes;
}

Raster renderPictureAt(const std::string& text, int width, int height, int definition, bool caption,
                       const ExportProgress& progress, std::stop_token stop) {
    TS_CHECK(
        width >= kMinPictureSide && width <= kMaxPictureSide && height >= kMinPictureSide && height <= kMaxPictureSide,
        "a picture size the sweep draws");
    SweepOptions sweep;
    sweep.stop = std::move(stop);
    if (progress) {
        sweep.progress = [&progress](std::int64_t done, std::int64_t total) {
            progress(total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0);
        };
    }
    // The clock only names the picture, which is not used here.
    FixedClock clock("01-01-2000", "00:00:00");
    Picture picture = MakeFreshPicture(text, makeCanvas(width, height), clock, caption, sweep, definition);
    return std::move(picture.canvas);
}

PictureExport::PictureExport(Request request, QObject* parent) : QObject(parent), request_(std::move(request)) {}

PictureExport::~PictureExport() {
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
}

void PictureExport::start() {
    TS_CHECK(thread_ == nullptr, "an export starts once");
    thread_ = QThread::create([this] { work(); });
    connect(thread_, &QThread::finished, this, &PictureExport::finished);
    thread_->start();
}

void PictureExport::cancel() { stop_.request_stop(); }

void PictureExport::tell(double done) {
    const int thousandths = static_cast<int>(done * 1000);
    QMetaObject::invokeMethod(
        this,
        [this, thousandths] {
            if (!stop_.stop_requested()) emit progressed(thousandths);
        },
        Qt::QueuedConnection);
}

void PictureExport::work() {
    const std::stop_token stop = stop_.get_token();
    const auto stopped = [this, &stop] {
        if (!stop.stop_requested()) return false;
        outcome_ = Outcome::failed(Failure::WriteFailed, "The save was cancelled", request_.file);
        cancelled_ = true;
        return true;
    };
    try {
        // Drawing takes most of the time, encoding and writing the rest.
        const Raster picture = request_.shown ? *request_.shown
                                              : renderPictureAt(
                                                    request_.text, request_.width, request_.height,
                                                    request_.recipe.definition, request_.recipe.caption.value_or(true),
                                                    [this](double done) { tell(0.9 * done); }, stop);
        if (stopped()) return;
        std::vector<std::uint8_t> bytes;
        if (Outcome encoded = encodeImage(picture, request_.format, request_.recipe, bytes); !encoded) {
            encoded.file = request_.file;
            outcome_ = std::move(encoded);
            return;
        }
        tell(0.95);
        if (stopped()) return;
        outcome_ = writeFileAtomically(request_.file, bytes);
    } catch (const std::bad_alloc&) {
        outcome_ = Outcome::failed(Failure::WriteFailed, "Not enough memory for a picture of this size", request_.file);
    } catch (const std::exception& failure) {
        // Nothing thrown on this thread may end the program.
        outcome_ = Outcome::failed(Failure::WriteFailed, failure.what(), request_.file);
    }
}

}  // namespace ts
