#include "qt/qt_text_painter.hpp"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

#include <algorithm>

#include "qt/qt_image.hpp"

namespace ts {

namespace {

// 96 dots per inch: a point is 4/3 of a pixel whatever the screen says.
constexpr int kDotsPerMeter = 3780;

QString loadFamily() {
    if (QFile::exists(QString::fromLatin1(kDejaVuSansPath))) {
        const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(kDejaVuSansPath));
        const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList{};
        if (!families.isEmpty()) return families.front();
    }
    return QGuiApplication::font().family();
}

// The raster's own pixels as an image to paint on, at 96 dots per inch.
QImage wrap(Raster& raster) {
    QImage image = writableImageOf(raster);
    image.setDotsPerMeterX(kDotsPerMeter);
    image.setDotsPerMeterY(kDotsPerMeter);
    return image;
}

QString qStringOf(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

QColor qColorOf(Colour c) { return {c.red(), c.green(), c.blue()}; }

// A device at 96 dots per inch to measure text on, as it is drawn.
const QImage& measuringDevice() {
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(kDotsPerMeter);
        image.setDotsPerMeterY(kDotsPerMeter);
        return image;
    }();
    return device;
}

}  // namespace

QtTextPainter::QtTextPainter() {
    static const QString family = loadFamily();
    family_ = family;
}

QFont QtTextPainter::font(float points) const {
    QFont f(family_);
    f.setPointSizeF(points > 0 ? points : 1);
    // Hinting and subpixel rendering follow the desktop's settings; without
    // them the outlines are the same everywhere.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    f.setKerning(true);
    return f;
}

float QtTextPainter::draw(Raster& raster, float x, float y, std::string_view utf8, float points, Colour colour) {
    return paint(raster, x, y, utf8, points, colour, nullptr);
}

float QtTextPainter::drawOutlined(Raster& raster, float x, float y, std::string_view utf8, float points, Colour colour,
                                  Colour outline) {
    return paint(raster, x, y, utf8, points, colour, &outline);
}

float QtTextPainter::paint(Raster& raster, float x, float y, std::string_view utf8, float points, Colour colour,
                           const Colour* outline) {
    const QString text = qStringOf(utf8);
    QImage image = wrap(raster);
    // The font measured for the image, at its 96 dots per inch.
    const QFont deviceFont(font(points), &image);
    const QFontMetricsF metrics(deviceFont, &image);

    QPainterPath path;
    path.addText(QPointF(x, y + metrics.ascent()), deviceFont, text);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (outline) {
        QPainterPathStroker stroker;
        // A point is 4/3 of a pixel at 96 dots per inch.
        stroker.setWidth(std::max(kOutlinePixels, points * 4.0 / 3.0 / 10.0));
        stroker.setJoinStyle(Qt::RoundJoin);
        stroker.setCapStyle(Qt::RoundCap);
        painter.fillPath(stroker.createStroke(path), qColorOf(*outline));
    }
    painter.fillPath(path, qColorOf(colour));
    return static_cast<float>(x + metrics.horizontalAdvance(text));
}

float QtTextPainter::width(std::string_view utf8, float points) const {
    const QImage& device = measuringDevice();
    const QFontMetricsF metrics(QFont(font(points), &device), &device);
    return static_cast<float>(metrics.horizontalAdvance(qStringOf(utf8)));
}

float QtTextPainter::lineHeight(float points) const {
    const QImage& device = measuringDevice();
    const QFontMetricsF metrics(QFont(font(points), &device), &device);
    return static_cast<float>(metrics.lineSpacing());
}

}  // namespace ts
