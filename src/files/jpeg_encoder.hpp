#pragma once

#include <cstdint>
#include <vector>

#include "platform/outcome.hpp"
#include "platform/raster.hpp"

namespace ts {

// The quality JPEG files are written with unless asked otherwise.
inline constexpr int kJpegQuality = 90;

// The raster as a baseline JPEG (JFIF) file, with libjpeg: quality 1 to 100
// (anything else is a programming error), colour not subsampled (the
// pictures change colour from one pixel to the next), 96 dots per inch like
// the PNG files. A failure of the library gives WriteFailed with its
// reason; on success `jpeg` holds the file. Running out of memory throws
// std::bad_alloc.
[[nodiscard]] Outcome encodeJpeg(const Raster& raster, int quality, std::vector<std::uint8_t>& jpeg);

struct PictureRecipe;

// The same at kJpegQuality, as the image formats' table calls an encoder:
// the file keeps no recipe.
[[nodiscard]] Outcome encodeJpegFile(const Raster& raster, const PictureRecipe& recipe, std::vector<std::uint8_t>& jpeg);

}  // namespace ts
