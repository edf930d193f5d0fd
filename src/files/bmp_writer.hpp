#pragma once

#include <cstdint>
#include <vector>

#include "platform/outcome.hpp"
#include "platform/raster.hpp"

namespace ts {

// The raster as a 24-bit Windows bitmap file: a 14-byte file header, a
// 40-byte BITMAPINFOHEADER, then the rows bottom-up, each pixel blue, green,
// red, each row padded with zeros to a multiple of 4 bytes.
std::vector<std::uint8_t> encodeBmp(const Raster& raster);

struct PictureRecipe;

// The same, as the image formats' table calls an encoder: a bitmap keeps no
// recipe, and any raster can be written.
[[nodiscard]] Outcome encodeBmpFile(const Raster& raster, const PictureRecipe& recipe, std::vector<std::uint8_t>& bmp);

}  // namespace ts
