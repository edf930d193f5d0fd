#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/image_format.hpp"
#include "files/png_recipe.hpp"
#include "platform/raster.hpp"

namespace ts {

// The raster as the bytes of a file of the given format; a PNG carries the
// recipe in text chunks (see addPngRecipe). Needs a QGuiApplication for PNG.
std::vector<std::uint8_t> encodeImage(const Raster& raster, ImageFormat format, const PictureRecipe& recipe);

}  // namespace ts
