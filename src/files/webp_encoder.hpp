#pragma once

#include <cstdint>
#include <vector>

#include "platform/outcome.hpp"
#include "platform/raster.hpp"

namespace ts {

// The largest side a WebP picture can have, in pixels.
inline constexpr int kMaxWebpSide = 16383;

// The raster as a lossless WebP file, with libwebp: it decodes to exactly
// the raster's pixels. A picture wider or higher than kMaxWebpSide is
// refused (Refused, with a message that says so); any other failure of the
// library gives WriteFailed with its reason. On success `webp` holds the
// file. Running out of memory throws std::bad_alloc.
[[nodiscard]] Outcome encodeWebpLossless(const Raster& raster, std::vector<std::uint8_t>& webp);

struct PictureRecipe;

// The same, as the image formats' table calls an encoder: the file keeps no
// recipe.
[[nodiscard]] Outcome encodeWebpFile(const Raster& raster, const PictureRecipe& recipe, std::vector<std::uint8_t>& webp);

}  // namespace ts
