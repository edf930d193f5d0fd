#pragma once

#include <QFont>
#include <QString>

#include "platform/raster_surface.hpp"

namespace ts {

// Where Debian's fonts-dejavu-core puts the font every surface writes with.
inline constexpr const char* kDejaVuSansPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Draws text into a raster with Qt. The glyphs are filled as outlines at a
// fixed 96 dots per inch, with no hinting, so the same text gives the same
// pixels on every screen and under every platform plugin (window or
// headless). Needs a QGuiApplication.
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

    // DejaVu Sans when its file is there, else the platform's default family.
    const QString& family() const { return family_; }
    QFont font(float points) const;

private:
    float paint(Raster& raster, float x, float y, std::string_view utf8, float points, Colour colour,
                const Colour* outline);

    QString family_;
};

}  // namespace ts
