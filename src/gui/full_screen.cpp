#include "gui/full_screen.hpp"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <utility>

#include "gui/accessibility.hpp"
#include "qt/qt_image.hpp"

namespace ts {

FullScreenView::FullScreenView(PictureRecipeState recipe, const Raster& shown, QScreen* screen)
    : QWidget(nullptr, Qt::Window), shown_(shown) {
    setObjectName(QStringLiteral("fullScreen"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(QStringLiteral("Form1"));
    setAccessibleRole(this, QAccessible::Graphic);
    setAccessibleName(QStringLiteral("Picture, full screen"));
    setAccessibleDescription(QStringLiteral("Escape returns to the window"));
    sharp_.setPicture(std::move(recipe), shown_);
    connect(&sharp_, &SharpPicture::drawn, this, qOverload<>(&QWidget::update));
    if (screen) {
        setScreen(screen);
        setGeometry(screen->geometry());
    }
}

const QImage* FullScreenView::picture() { return sharp_.at(devicePixels(size(), devicePixelRatioF()), shown_); }

void FullScreenView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (const QImage* drawn = picture()) {
        painter.drawImage(QRectF(rect()), *drawn);
        return;
    }
    // Meanwhile: the window's picture, as large as fits, on black.
    const QImage image = imageOf(shown_);
    const QSize fitting = image.size().scaled(size(), Qt::KeepAspectRatio);
    QRect place(QPoint(), fitting);
    place.moveCenter(rect().center());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(place, image);
}

void FullScreenView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F11) {
        event->accept();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FullScreenView::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    close();
}

}  // namespace ts
