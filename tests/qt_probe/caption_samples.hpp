#pragma once

#include <cstdint>

#include "qt/qt_text_painter.hpp"
#include "support/canvas_checksum.hpp"

namespace ts::testing {

// Captions in the scripts the program's fonts cover, and characters neither
// covers, with the checksum of their pixels as drawn by captionChecksum.
// DejaVu Sans has U+1F600 (a plain outline); neither font has U+1F44D and
// U+1F3FD, which are drawn as missing-glyph boxes.
struct CaptionSample {
    const char* what;
    const char* text;
    std::uint64_t checksum;
};

inline constexpr CaptionSample kCaptionSamples[] = {
    {"Latin", "Hello, Textscape \xC3\xA9t\xC3\xA9 AVAWA", 0x55992790995d1948ull},
    {"Cyrillic", "\xD0\xA1\xD1\x8A\xD0\xB5\xD1\x88\xD1\x8C \xD0\xB6\xD0\xB5 \xD0\xB5\xD1\x89\xD1\x91",
     0x6e5824db08e3ef83ull},
    {"CJK", "\xE6\xBC\xA2\xE5\xAD\x97\xE3\x81\x8B\xE3\x81\xAA \xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4",
     0x202a9fa3cc71f3fdull},
    {"emoji", "\xF0\x9F\x98\x80 ok \xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD", 0x0a96df4a401aa3b8ull},
};

// The caption drawn in white at 15 points on a dark 600 x 60 raster.
inline std::uint64_t captionChecksum(QtTextPainter& painter, const CaptionSample& sample) {
    Raster raster(600, 60, Colour::fromRgb(20, 60, 100));
    painter.draw(raster, 10, 10, sample.text, 15, Colour::white());
    return canvasChecksum(raster);
}

}  // namespace ts::testing
