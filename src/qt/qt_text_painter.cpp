#include "qt/qt_text_painter.hpp"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRawFont>
#include <QTextBoundaryFinder>

#include <algorithm>

#include <string>
#include <vector>

#include "numeric/check.hpp"
#include "qt/qt_image.hpp"

namespace ts {

namespace {

// 96 dots per inch: a point is 4/3 of a pixel whatever the screen says.
constexpr int kDotsPerMeter = 3780;

QString loadFamily(const char* path) {
    const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(path));
    const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList{};
    const std::string missing = std::string("the font file ") + path +
                                " cannot be loaded; install Debian's fonts-dejavu-core and fonts-wqy-microhei";
    TS_CHECK(!families.isEmpty(), missing.c_str());
    return families.front();
}

QStringList loadFamilies() {
    QStringList families;
    for (const char* path : kCaptionFontPaths) families.append(loadFamily(path));
    return families;
}

// The raster's own pixels as an image to paint on, at 96 dots per inch.
QImage wrap(Raster& raster) {
    QImage image = writableImageOf(raster);
    image.setDotsPerMeterX(kDotsPerMeter);
    image.setDotsPerMeterY(kDotsPerMeter);
    return image;
}

// A stretch of the text drawn with one font.
struct Run {
    int font;
    QString text;
};

// Splits the text into runs of whole characters (a letter with its accents,
// an emoji with its modifiers) each drawn with the first font that has the
// character's first code point; the first font when none has it.
std::vector<Run> runsOf(const QString& text, const std::vector<QRawFont>& fonts) {
    std::vector<Run> runs;
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = clusters.toNextBoundary();
        if (end <= start) end = text.size();
        const QString cluster = text.mid(start, end - start);
        const char32_t first = cluster.toUcs4().value(0);
        int chosen = 0;
        for (int k = 0; k < static_cast<int>(fonts.size()); ++k) {
            if (fonts[static_cast<std::size_t>(k)].supportsCharacter(first)) {
                chosen = k;
                break;
            }
        }
        if (runs.empty() || runs.back().font != chosen)
            runs.push_back({chosen, cluster});
        else
            runs.back().text += cluster;
        start = end;
    }
    return runs;
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

// Qt takes a glyph's outline from the FreeType face of its font file as the
// last glyph drawn from that face left it, and drawing text on a widget at a
// fraction of a pixel leaves the face shifted by that fraction: the caption's
// edges would then depend on which buttons and dialogs were painted before.
// A font engine made for the face sets it back to no shift, so one is made
// (at another size, and dropped) before the outlines are taken.
void settleFace(const QRawFont& font) {
    if (!font.isValid()) return;
    QRawFont other = font;
    other.setPixelSize(font.pixelSize() + 1);
}

}  // namespace

QtTextPainter::QtTextPainter() {
    static const QStringList families = loadFamilies();
    families_ = families;
}

QFont QtTextPainter::font(float points, int which) const {
    QFont f;
    f.setFamilies({families_.at(which)});
    f.setPointSizeF(points > 0 ? points : 1);
    // Hinting and subpixel rendering follow the desktop's settings; without
    // them the outlines are the same everywhere. Without merging, a
    // character the font lacks is its missing-glyph box rather than a glyph
    // from some other font of the machine's.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(
        QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias | QFont::NoFontMerging));
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
    // The fonts measured for the image, at its 96 dots per inch.
    std::vector<QFont> fonts;
    std::vector<QRawFont> coverage;
    for (int k = 0; k < static_cast<int>(families_.size()); ++k) {
        fonts.emplace_back(font(points, k), &image);
        coverage.push_back(QRawFont::fromFont(fonts.back()));
        settleFace(coverage.back());
    }
    // Every run stands on the first font's baseline.
    const double baseline = y + QFontMetricsF(fonts.front(), &image).ascent();

    QPainterPath path;
    double next = x;
    for (const Run& run : runsOf(text, coverage)) {
        const QFont& runFont = fonts[static_cast<std::size_t>(run.font)];
        path.addText(QPointF(next, baseline), runFont, run.text);
        next += QFontMetricsF(runFont, &image).horizontalAdvance(run.text);
    }
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
    return static_cast<float>(next);
}

float QtTextPainter::width(std::string_view utf8, float points) const {
    // Measured as it is drawn: each run in the font that draws it.
    const QImage& device = measuringDevice();
    std::vector<QFont> fonts;
    std::vector<QRawFont> coverage;
    for (int k = 0; k < static_cast<int>(families_.size()); ++k) {
        fonts.emplace_back(font(points, k), &device);
        coverage.push_back(QRawFont::fromFont(fonts.back()));
    }
    double total = 0;
    for (const Run& run : runsOf(qStringOf(utf8), coverage))
        total += QFontMetricsF(fonts[static_cast<std::size_t>(run.font)], &device).horizontalAdvance(run.text);
    return static_cast<float>(total);
}
float QtTextPainter::lineHeight(float points) const {
    const QImage& device = measuringDevice();
    const QFontMetricsF metrics(QFont(font(points), &device), &device);
    return static_cast<float>(metrics.lineSpacing());
}

}  // namespace ts
