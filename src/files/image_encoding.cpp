#include "files/image_encoding.hpp"

#include "files/bmp_writer.hpp"
#include "files/png_encoder.hpp"
#include "numeric/check.hpp"

namespace ts {

std::vector<std::uint8_t> encodeImage(const Raster& raster, ImageFormat format, const PictureRecipe& recipe) {
    if (format == ImageFormat::Bmp) return encodeBmp(raster);

    std::vector<std::uint8_t> png;
    // Into memory libpng fails only for want of memory, which throws, or
    // for a raster it cannot take, which the program never makes.
    const Outcome encoded = encodePng(raster, pngMetadataOf(recipe), png);
    TS_CHECK(encoded, "libpng encodes the picture");
    return png;
}

}  // namespace ts
