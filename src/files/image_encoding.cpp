#include "files/image_encoding.hpp"

#include <string>

namespace ts {

Outcome encodeImage(const Raster& raster, ImageFormat format, const PictureRecipe& recipe,
                    std::vector<std::uint8_t>& bytes) {
    const ImageFormatInfo& info = imageFormatInfo(format);
    bytes.clear();
    Outcome encoded = info.encode(raster, recipe, bytes);
    if (!encoded) {
        bytes.clear();
        encoded.message = "Could not write a " + std::string(info.title) + " file: " + encoded.message;
    }
    return encoded;
}

}  // namespace ts
