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

    // DejaVu Sans when its file is there, else the platform's default family.
    const QString& family() const { return family_; }
    QFont font(float points) const;

private:
    QString family_;
};

}  // namespace ts
