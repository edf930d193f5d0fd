#include "qt/image_encoding.hpp"

#include <QBuffer>
#include <QImageWriter>

#include <utility>

#include "numeric/check.hpp"
#include "qt/qt_image.hpp"

namespace ts {
namespace {

std::vector<std::uint8_t> encodePngWithQt(const Raster& raster, const PictureRecipe& recipe) {
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

// The formats whose table entry has no encoder yet.
constexpr std::pair<ImageFormat, ImageEncoder> kQtEncoders[] = {{ImageFormat::Png, encodePngWithQt}};

}  // namespace

ImageEncoder encoderOf(ImageFormat format) {
    if (const ImageEncoder own = imageFormatInfo(format).encode) return own;
    for (const auto& [which, encode] : kQtEncoders)
        if (which == format) return encode;
    TS_CHECK(false, "every image format has an encoder");
    return nullptr;
}

std::vector<std::uint8_t> encodeImage(const Raster& raster, ImageFormat format, const PictureRecipe& recipe) {
    return encoderOf(format)(raster, recipe);
}

}  // namespace ts
