#pragma once

#include <QWidget>

#include "gui/sharp_picture.hpp"
#include "platform/raster.hpp"

class QScreen;

namespace ts {

// The picture alone on a whole screen, drawn at the screen's full
// resolution on every core, caption included; until it is drawn, the
// picture as the window shows it, scaled to fit. Escape, F11 or a double
// click closes it, and the window has its keys again.
class FullScreenView final : public QWidget {
public:
    // Shows the picture `recipe` made (shown as `shown` in the window) on
    // `screen`. The view deletes itself once closed.
    FullScreenView(PictureRecipeState recipe, const Raster& shown, QScreen* screen);

    // The picture at the screen's device pixels, once drawn.
    const QImage* picture();
    SharpPicture& sharp() { return sharp_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    const Raster shown_;
    SharpPicture sharp_;
};

}  // namespace ts
