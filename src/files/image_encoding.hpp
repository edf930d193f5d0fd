#pragma once

#include <cstdint>
#include <vector>

#include "files/image_format.hpp"
#include "files/png_recipe.hpp"
#include "platform/raster.hpp"

namespace ts {

// The raster as the bytes of a file of the given format, by the format's
// entry in kImageFormats; a format that carries the recipe writes it in (a
// PNG in its text chunks, see pngMetadataOf).
std::vector<std::uint8_t> encodeImage(const Raster& raster, ImageFormat format, const PictureRecipe& recipe);

}  // namespace ts
