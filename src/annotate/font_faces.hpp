#pragma once

// The caption fonts as FreeType and HarfBuzz see them; for the caption's
// own code in annotate/, not for its users.

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_STROKER_H
#include <hb.h>

#include "annotate/caption_fonts.hpp"

namespace ts::fonts {

// One font file, mapped once and never changed or unmapped, shared by every
// thread. `shaper` shapes in font units (its scale is the em), which makes
// it immutable and so safe to use from any thread at once.
struct FontFile {
    const unsigned char* bytes = nullptr;
    std::size_t size = 0;
    hb_font_t* shaper = nullptr;
    double unitsPerEm = 1;
};

// The file of one font; loadCaptionFonts must have succeeded.
const FontFile& file(CaptionFont font);

// The lines of a caption, in ems of DejaVu Sans: from the top of a line to
// its baseline, and from line to line.
struct LineMetrics {
    double ascent = 0;
    double spacing = 0;
};
const LineMetrics& lineMetrics();

// This thread's FreeType objects over the shared files: FreeType's faces
// are not to be used by two threads at once, so each thread opens its own,
// when it first needs them, and closes them when it ends.
class ThreadFaces {
public:
    ThreadFaces();
    ~ThreadFaces();
    ThreadFaces(const ThreadFaces&) = delete;
    ThreadFaces& operator=(const ThreadFaces&) = delete;

    // The face of `font`; a scalable one set to `pixelsPerEm` (in 1/64 pixel).
    FT_Face face(CaptionFont font, FT_F26Dot6 pixelsPerEm);
    // The stroker that draws the caption's edge.
    FT_Stroker stroker() const { return stroker_; }

private:
    FT_Library library_ = nullptr;
    FT_Stroker stroker_ = nullptr;
    FT_Face faces_[kCaptionFontCount] = {};
    FT_F26Dot6 sizes_[kCaptionFontCount] = {};
};

ThreadFaces& threadFaces();

}  // namespace ts::fonts
