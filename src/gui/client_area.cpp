#include "gui/client_area.hpp"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <memory>

#include "gui/main_window.hpp"
#include "gui/sharp_picture.hpp"
#include "qt/qt_image.hpp"

namespace ts {

PictureBox::PictureBox(const Raster& raster, QWidget* parent) : QWidget(parent), raster_(raster) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void PictureBox::setSharp(SharpPicture* sharp) {
    sharp_ = sharp;
    connect(sharp_, &SharpPicture::drawn, this, qOverload<>(&QWidget::update));
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const double ratio = devicePixelRatioF();
    if (sharp_ && ratio != 1.0) {
        if (const QImage* sharp = sharp_->at(devicePixels(size(), ratio), raster_)) {
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(QRectF(rect()), *sharp);
            return;
        }
    }
    painter.drawImage(0, 0, imageOf(raster_));
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (onDoubleClick_ && event->button() == Qt::LeftButton) {
        event->accept();
        onDoubleClick_();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

ClientArea::ClientArea(Form1& form, const Raster& raster) : form_(form), raster_(raster) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAcceptDrops(true);
    setMinimumSize(layout::kLayoutWidth, layout::kLayoutHeight);
}

void ClientArea::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QImage image = imageOf(raster_);
    const QRect inside = event->rect() & image.rect();
    if (!inside.isEmpty()) painter.drawImage(inside.topLeft(), image, inside);
    // A window stretched past its raster stays black there.
    for (const QRect& outside : QRegion(event->rect()).subtracted(image.rect())) painter.fillRect(outside, Qt::black);
}

void ClientArea::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData() && form_.canTake(*event->mimeData())) event->acceptProposedAction();
}

void ClientArea::dropEvent(QDropEvent* event) {
    if (!event->mimeData() || !form_.canTake(*event->mimeData())) return;
    event->acceptProposedAction();
    // The picture is made once the drop is over, so that the source of the
    // drag is not kept waiting.
    auto dropped = std::make_shared<QMimeData>();
    for (const QString& format : event->mimeData()->formats())
        dropped->setData(format, event->mimeData()->data(format));
    QTimer::singleShot(0, &form_, [this, dropped] { form_.take(*dropped); });
}

void ClientArea::contextMenuEvent(QContextMenuEvent* event) {
    // The menu key, pressed on any control: the canvas's menu, over the canvas.
    if (event->reason() != QContextMenuEvent::Keyboard) return;
    form_.pictureMenu()->popup(mapToGlobal(rectOf(layout::kPicture1).center()));
    event->accept();
}

}  // namespace ts
