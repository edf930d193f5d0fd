#include "gui/sharp_picture.hpp"

#include <cmath>
#include <exception>
#include <utility>

#include "picture/picture.hpp"
#include "platform/clock.hpp"
#include "platform/random_source.hpp"
#include "render/sweep.hpp"

namespace ts {

namespace {

// Draws `recipe` at `size`; nothing when stopped or when it fails (the
// window then goes on painting the standard raster).
std::optional<Raster> drawAt(const PictureRecipeState& recipe, QSize size, std::stop_token stop) {
    try {
        FormState state = recipe.before;
        SplitMixGenerator random;
        FixedClock clock("01-01-2000", "00:00:00");  // names the picture only
        RasterSurface nowhere(1, 1);                  // the window's own drawing is not wanted
        RasterSurface canvas = makeCanvas(size.width(), size.height());
        PictureTools tools{nowhere, canvas, clock, random, recipe.caption, SweepOptions(0, 0, {}, stop)};
        MakePicture(state, recipe.text, tools, recipe.definition);
        if (stop.stop_requested()) return std::nullopt;
        return std::move(canvas.raster());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace

QSize devicePixels(QSize logical, double ratio) {
    return {static_cast<int>(std::ceil(logical.width() * ratio - 1e-9)),
            static_cast<int>(std::ceil(logical.height() * ratio - 1e-9))};
}

SharpPicture::~SharpPicture() { stop(); }

void SharpPicture::stop() {
    ++generation_;
    if (worker_.joinable()) {
        worker_.request_stop();
        worker_.join();
    }
    done_ = false;
}

void SharpPicture::setPicture(PictureRecipeState recipe, const Raster& shown) {
    stop();
    recipe_ = std::make_shared<const PictureRecipeState>(std::move(recipe));
    shown_ = shown;
    image_ = QImage();
    size_ = QSize();
}

const QImage* SharpPicture::at(QSize size, const Raster& shown) {
    if (!recipe_ || !shown_ || !(*shown_ == shown)) return nullptr;
    if (size.width() < kMinPictureSide || size.height() < kMinPictureSide || size.width() > kMaxPictureSide ||
        size.height() > kMaxPictureSide)
        return nullptr;
    if (size == size_ && !image_.isNull()) return &image_;
    if (size != size_ || !worker_.joinable()) start(size);
    return nullptr;
}

void SharpPicture::start(QSize size) {
    stop();
    size_ = size;
    image_ = QImage();
    const unsigned generation = generation_;
    worker_ = std::jthread([this, recipe = recipe_, size, generation](std::stop_token stop) {
        std::optional<Raster> result = drawAt(*recipe, size, stop);
        if (stop.stop_requested()) return;
        auto raster = result ? std::make_shared<Raster>(std::move(*result)) : nullptr;
        QMetaObject::invokeMethod(
            this,
            [this, raster, generation] {
                if (generation != generation_) return;
                done_ = true;
                if (!raster) return;
                // The image keeps the raster's pixels alive.
                image_ = QImage(reinterpret_cast<const uchar*>(raster->data()), raster->width(), raster->height(),
                                raster->width() * static_cast<qsizetype>(sizeof(std::uint32_t)), QImage::Format_RGB32,
                                [](void* kept) { delete static_cast<std::shared_ptr<Raster>*>(kept); },
                                new std::shared_ptr<Raster>(raster));
                emit drawn();
            },
            Qt::QueuedConnection);
    });
}

}  // namespace ts
