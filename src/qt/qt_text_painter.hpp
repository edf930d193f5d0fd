#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

#include "annotate/caption_fonts.hpp"
#include "platform/raster_surface.hpp"

namespace ts {

// The fonts the window writes its own lines with (the parameter line, the
// save's status, the buttons): the caption's first two, DejaVu Sans then
// WenQuanYi Micro Hei.
inline constexpr const char* kWindowFontPaths[] = {kCaptionFontPaths[0], kCaptionFontPaths[1]};

// Draws the window's own text into a raster with Qt (the caption is the
// engine's, annotate/caption_text.hpp). The glyphs are filled as outlines at
// a fixed 96 dots per inch, with no hinting, so the same text gives the same
// pixels on every screen and under every platform plugin (window or
// headless).
//
// Only the fonts above are used, loaded from their files: each character is
// drawn with the first of them that has it, and a character neither has
// with DejaVu Sans's missing-glyph box, never with a font the machine
// happens to have. A missing font file stops the program (TS_CHECK) with
// its name; the window checks the caption fonts, which include these, before
// it makes a painter. Needs a QGuiApplication.
class QtTextPainter final : public TextPainter {
public:
    QtTextPainter();

    float draw(Raster& raster, float x, float y, std::string_view utf8, float points, Colour colour) override;
    // How wide `utf8` is at a size, as draw sets it.
    float width(std::string_view utf8, float points) const;

    // The fonts' families, in the order they are tried: "DejaVu Sans" first.
    const QStringList& families() const { return families_; }
    const QString& family() const { return families_.front(); }
    // The font of one of the families at a size, never merged with others.
    QFont font(float points, int which = 0) const;

private:
    QStringList families_;
};

}  // namespace ts
