#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/outcome.hpp"
#include "platform/raster.hpp"

namespace ts {

// One text chunk of a PNG file. The key is 1 to 79 printable Latin-1
// characters with no space at either end and no two spaces in a row (so
// that it is stored as given); the value, kept exactly as given, holds no
// NUL byte. Anything else is a programming error.
struct PngText {
    std::string key;
    std::string value;
    // An uncompressed UTF-8 iTXt chunk even for an ASCII value; without it
    // ASCII goes into tEXt and anything else into iTXt.
    bool international = false;
    // The value is Latin-1 bytes (not UTF-8), written as they are into tEXt,
    // which viewers show best. Not with `international`.
    bool latin1 = false;

    friend bool operator==(const PngText&, const PngText&) = default;
};

// What a PNG file carries besides its pixels.
struct PngMetadata {
    std::vector<PngText> texts;  // written in this order, before the image data
    // The pHYs chunk: pixels per metre, the same across and down.
    std::optional<std::uint32_t> pixelsPerMetre;
    // An sRGB chunk (with the gAMA and cHRM that stand for it to older
    // readers): the colours are sRGB, as every screen takes them anyway.
    bool srgb = false;
};

// 96 dots per inch, the screen's resolution, which Textscape's files carry.
inline constexpr std::uint32_t kScreenPixelsPerMetre = 3780;

// The raster as an 8-bit RGB PNG file. libpng writes its chunks, with the
// texts and pHYs right after the header; the image data is compressed by
// libdeflate at its level 1 without a row filter (the pictures' colours
// repeat along a row, which deflate finds as it is), which makes the files
// smaller than libpng's adaptive filters with zlib at level 6, in a tenth of
// the time. It holds the picture's rows (3 bytes a pixel) and their
// compressed data at once. On success `png` holds the file; a failure of
// the library (which into memory should not happen) gives WriteFailed with
// its message. Running out of memory throws std::bad_alloc, as every other
// allocation does.
[[nodiscard]] Outcome encodePng(const Raster& raster, const PngMetadata& metadata, std::vector<std::uint8_t>& png);

}  // namespace ts
