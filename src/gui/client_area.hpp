#pragma once

#include <QRect>
#include <QWidget>

#include <functional>

#include "platform/raster.hpp"
#include "state/layout.hpp"

namespace ts {

class Form1;

// A place of the layout as Qt takes it.
inline QRect rectOf(const layout::Rect& r) { return {r.x, r.y, r.width, r.height}; }

class SharpPicture;

// A picture area: it only paints the persistent image it is given. On a
// dense screen it paints the same picture drawn at its device pixels, once
// `sharp` has it (the image given, pixel-doubled, until then).
class PictureBox final : public QWidget {
public:
    PictureBox(const Raster& raster, QWidget* parent);

    void setSharp(SharpPicture* sharp);
    // What a double click on the area does.
    void setOnDoubleClick(std::function<void()> action) { onDoubleClick_ = std::move(action); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    const Raster& raster_;
    SharpPicture* sharp_ = nullptr;
    std::function<void()> onDoubleClick_;
};

// The window's client area: it paints the window's raster, holds the seven
// controls at their places, and takes dropped files and text.
class ClientArea final : public QWidget {
public:
    ClientArea(Form1& form, const Raster& raster);

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    Form1& form_;
    const Raster& raster_;
};

}  // namespace ts
