#include "files/image_encoding.hpp"

namespace ts {

std::vector<std::uint8_t> encodeImage(const Raster& raster, ImageFormat format, const PictureRecipe& recipe) {
    return imageFormatInfo(format).encode(raster, recipe);
}

}  // namespace ts
