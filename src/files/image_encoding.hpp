#pragma once

#include <cstdint>
#include <vector>

#include "files/image_format.hpp"
#include "files/png_recipe.hpp"
#include "platform/outcome.hpp"
#include "platform/raster.hpp"

namespace ts {

// The raster as the bytes of a file of the given format, by the format's
// entry in kImageFormats, into `bytes`; a format that carries the recipe
// writes it in (a PNG in its text chunks, see pngMetadataOf). A picture the
// format cannot hold (a WebP over kMaxWebpSide) gives a failed Outcome whose
// message the user can read: "Could not write a WebP file: ...".
[[nodiscard]] Outcome encodeImage(const Raster& raster, ImageFormat format, const PictureRecipe& recipe,
                                  std::vector<std::uint8_t>& bytes);

}  // namespace ts
