#include "qt/image_encoding.hpp"

#include <QBuffer>
#include <QImageWriter>

#include "files/bmp_writer.hpp"
#include "files/png_recipe.hpp"
#include "numeric/check.hpp"
#include "qt/qt_image.hpp"

namespace ts {

std::vector<std::uint8_t> encodeImage(const Raster& raster, ImageFormat format, const PictureRecipe& recipe) {
    if (format == ImageFormat::Bmp) return encodeBmp(raster);

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // Into memory the writer fails only where Qt lacks its PNG support.
    TS_CHECK(writer.write(imageOf(raster)), "Qt's PNG writer");
    std::vector<std::uint8_t> png(bytes.begin(), bytes.end());
    // Written by hand: Qt's writer would fold the text's spaces.
    addPngRecipe(png, recipe);
    return png;
}

}  // namespace ts
