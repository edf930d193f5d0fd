#pragma once

#include <QImage>
#include <QObject>
#include <QSize>

#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/raster.hpp"
#include "state/form_state.hpp"

namespace ts {

// How a picture the window shows was made: the state as it was before it
// (values carry from picture to picture), its text and its definition.
struct PictureRecipeState {
    FormState before;
    std::string text;
    int definition = 0;
    bool caption = true;  // whether its caption is drawn (a file's recipe may say not)
};

// The picture the window shows, drawn again at another size on a thread of
// its own, exactly as the picture sequence would draw it from the same
// state at that size (the caption scaled with it): the canvas at the
// screen's device pixels, or the whole screen. The standard 600 x 450
// raster stays what is saved and copied; this is only painted.
class SharpPicture final : public QObject {
    Q_OBJECT

public:
    explicit SharpPicture(QObject* parent = nullptr) : QObject(parent) {}
    ~SharpPicture() override;
    SharpPicture(const SharpPicture&) = delete;
    SharpPicture& operator=(const SharpPicture&) = delete;

    // A new picture, shown as `shown` at the standard size: what was drawn
    // for the one before is dropped, a drawing of it stopped.
    void setPicture(PictureRecipeState recipe, const Raster& shown);
    // The picture at `size` in pixels, once drawn, while the standard
    // raster is still `shown` (the window may paint something else there
    // meanwhile); otherwise null, and the drawing at that size is started
    // if it is not under way. drawn() tells when it is there.
    const QImage* at(QSize size, const Raster& shown);

signals:
    void drawn();

private:
    void stop();
    void start(QSize size);

    std::shared_ptr<const PictureRecipeState> recipe_;
    std::optional<Raster> shown_;
    QSize size_;
    QImage image_;
    unsigned generation_ = 0;
    bool done_ = false;
    std::jthread worker_;
};

// The device pixels a widget of `logical` size covers at `ratio`: each side
// rounded up, so that no device pixel is left to be stretched into.
QSize devicePixels(QSize logical, double ratio);

}  // namespace ts
