#pragma once

#include <cstdint>
#include <vector>

#include "files/image_format.hpp"
#include "files/png_recipe.hpp"
#include "platform/raster.hpp"

namespace ts {

// The encoder of a format: its table entry's, or for a format whose entry
// leaves it to this layer (PNG, for now), the one made with Qt here.
ImageEncoder encoderOf(ImageFormat format);

// The raster as the bytes of a file of the given format; a format that
// carries the recipe writes it in (a PNG in text chunks, see addPngRecipe).
// Needs a QGuiApplication for PNG.
std::vector<std::uint8_t> encodeImage(const Raster& raster, ImageFormat format, const PictureRecipe& recipe);

}  // namespace ts
