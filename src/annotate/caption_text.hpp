#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "annotate/caption_fonts.hpp"
#include "platform/raster.hpp"

namespace ts {

// A caption's text as glyphs, set out left to right on one line. Every
// position is in ems of the caption's size, from the line's start on its
// baseline, x to the right and y upwards.
struct PlacedGlyph {
    CaptionFont font;
    std::uint32_t glyph;    // in that font; 0 is its missing-glyph box
    std::uint32_t cluster;  // the index of the first code point it draws
    double x, y;
};
struct ShapedLine {
    std::vector<PlacedGlyph> glyphs;  // in the order they stand, left to right
    double advance = 0;               // where a text after it would start
};

// Shapes one line of a caption with the caption fonts (loadCaptionFonts
// must have succeeded). The text is cut into characters as the eye sees
// them (a letter with its marks, an emoji with its modifiers and joined
// parts, a flag's pair of letters), and each is drawn with the first of the
// fonts that has all of it: DejaVu Sans, then WenQuanYi Micro Hei, then Noto
// Color Emoji, then Lohit Devanagari, then Loma, except that an emoji
// (U+1F000..U+1FAFF, or any character asked for as emoji with U+FE0F) is
// drawn in colour when Noto Color Emoji has it. A character none has is DejaVu Sans's missing-glyph box. Runs of
// one font, script and direction are shaped with HarfBuzz; a line whose
// first strong character is right-to-left reads right to left, and numbers
// and left-to-right words inside either kind of line keep their own order.
ShapedLine shapeCaptionLine(std::u32string_view text);

// The caption's sizes are points at 96 dots per inch.
inline double pixelsPerEm(double points) { return points * 4.0 / 3.0; }

// How wide a line is at a size, in pixels, and how far apart its lines lie.
float captionTextWidth(std::u32string_view text, float points);
float captionLineSpacing(float points);

// Draws one line of a caption with the top of its line at (x, top): the
// glyphs grown by max(1 pixel, a twentieth of the em) all round (FreeType's
// stroker) in `edge`, then filled with `fill` over it, so that a thin edge
// stays; colour emoji as they are, scaled from their bitmaps. Glyphs stand
// on quarter pixels. Returns where a text after it would start. The same
// text, place and size give the same pixels on any thread and in any
// process, whatever was drawn before.
float drawCaptionText(Raster& raster, float x, float top, std::u32string_view text, float points, Colour fill,
                      Colour edge);

}  // namespace ts
