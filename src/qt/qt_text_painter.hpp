#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

#include "platform/raster_surface.hpp"

namespace ts {

// The fonts every surface writes with, where Debian's packages put them:
// DejaVu Sans (fonts-dejavu-core) for the Latin, Greek and Cyrillic scripts
// and many symbols, then WenQuanYi Micro Hei (fonts-wqy-microhei) for
// Chinese, Japanese and Korean.
inline constexpr const char* kDejaVuSansPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
inline constexpr const char* kCjkFontPath = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";
inline constexpr const char* kCaptionFontPaths[] = {kDejaVuSansPath, kCjkFontPath};

// Draws text into a raster with Qt. The glyphs are filled as outlines at a
// fixed 96 dots per inch, with no hinting, so the same text gives the same
// pixels on every screen and under every platform plugin (window or
// headless).
//
// Only the fonts above are used, loaded from their files: each character is
// drawn with the first of them that has it, and a character neither has
// with DejaVu Sans's missing-glyph box, never with a font the machine
// happens to have. A missing font file stops the program (TS_CHECK) with
// its name. Needs a QGuiApplication.
class QtTextPainter final : public TextPainter {
public:
    QtTextPainter();

    float draw(Raster& raster, float x, float y, std::string_view utf8, float points, Colour colour) override;
    // The glyphs are first edged with a stroke across the outline (half of
    // it outside) of kOutlinePixels, or a tenth of the em where that is
    // more (above 15 points), then filled.
    float drawOutlined(Raster& raster, float x, float y, std::string_view utf8, float points, Colour colour,
                       Colour outline) override;
    float width(std::string_view utf8, float points) const override;
    float lineHeight(float points) const override;

    static constexpr double kOutlinePixels = 2.0;

    // The fonts' families, in the order they are tried: "DejaVu Sans" first.
    const QStringList& families() const { return families_; }
    const QString& family() const { return families_.front(); }
    // The font of one of the families at a size, never merged with others.
    QFont font(float points, int which = 0) const;

private:
    float paint(Raster& raster, float x, float y, std::string_view utf8, float points, Colour colour,
                const Colour* outline);

    QStringList families_;
};

}  // namespace ts
