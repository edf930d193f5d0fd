#pragma once

#include <cstdint>
#include <vector>

#include "files/image_format.hpp"
#include "files/png_recipe.hpp"
#include "platform/raster.hpp"

namespace ts {

// The raster as the bytes of a file of the given format; a PNG carries the
// recipe in its text chunks (see pngMetadataOf).
std::vector<std::uint8_t> encodeImage(const Raster& raster, ImageFormat format, const PictureRecipe& recipe);

}  // namespace ts
