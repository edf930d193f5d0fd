#include <gtest/gtest.h>

#include <QImage>
#include <QMimeDatabase>

#include <webp/decode.h>

#include <algorithm>
#include <cstdlib>

#include "files/recipe_file.hpp"
#include "files/image_encoding.hpp"
#include "support/qt_application.hpp"

namespace ts {
namespace {

Raster sample() {
    Raster raster(7, 5);  // odd sizes: a bitmap pads its rows
    for (int y = 0; y < raster.height(); ++y)
        for (int x = 0; x < raster.width(); ++x)
            raster.set(x, y,
                       Colour::fromRgb(static_cast<std::uint8_t>(x * 36), static_cast<std::uint8_t>(y * 60), 200));
    return raster;
}

// The file's pixels as a decoder other than ours reads them: Qt's, or
// libwebp's for WebP, which Qt reads only with a plugin that is not
// installed everywhere. An empty raster when it does not decode.
Raster decoded(ImageFormat format, const std::vector<std::uint8_t>& bytes) {
    if (format == ImageFormat::Webp) {
        int width = 0, height = 0;
        std::uint8_t* rgba = WebPDecodeRGBA(bytes.data(), bytes.size(), &width, &height);
        if (rgba == nullptr) return Raster(0, 0);
        Raster raster(width, height);
        const std::uint8_t* p = rgba;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x, p += 4)
                raster.set(x, y, p[3] == 255 ? Colour::fromRgb(p[0], p[1], p[2]) : Colour::fromRgb(p[0] ^ 1, p[1], p[2]));
        WebPFree(rgba);
        return raster;
    }
    const QByteArray data(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    const QImage image = QImage::fromData(data).convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) return Raster(0, 0);
    Raster raster(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) raster.set(x, y, Colour::fromPixel(image.pixel(x, y)));
    return raster;
}

// How far apart two colours are in their farthest channel.
int channelDistance(Colour a, Colour b) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

// Every format of the table encodes: the file is of the type its entry names
// (as Qt recognises it by content), holds the pixels (exactly when the entry
// says lossless, near them otherwise), and keeps the recipe when its entry
// says so.
TEST(EncodeImage, EveryFormatWritesItsTypeThePixelsAndTheRecipeItPromises) {
    testing::application();
    const PictureRecipe recipe{"Hello, Textscape", "tip1=15  tip2=1  tip3=4  seed=2033639", "textscape 1.0.0", ""};
    const Raster raster = sample();
    for (const ImageFormatInfo& info : imageFormats()) {
        SCOPED_TRACE(std::string(info.name));
        ASSERT_NE(info.encode, nullptr);
        std::vector<std::uint8_t> bytes;
        const Outcome encoded = encodeImage(raster, info.format, recipe, bytes);
        ASSERT_TRUE(encoded) << encoded.message;
        const QByteArray data(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
        EXPECT_EQ(QMimeDatabase().mimeTypeForData(data).name().toStdString(), info.mimeType);

        const Raster image = decoded(info.format, bytes);
        ASSERT_EQ(image.width(), raster.width());
        ASSERT_EQ(image.height(), raster.height());
        // A lossy format keeps the colours near: JPEG at its quality moves a
        // channel of these smooth ramps by a few steps.
        const int allowed = info.lossless ? 0 : 16;
        for (int y = 0; y < raster.height(); ++y)
            for (int x = 0; x < raster.width(); ++x)
                EXPECT_LE(channelDistance(image.at(x, y), raster.at(x, y)), allowed) << x << ", " << y;

        const RecipeRead read = readRecipe("file", bytes);
        EXPECT_EQ(static_cast<bool>(read), info.carriesRecipe) << read.message;
        if (info.carriesRecipe) {
            EXPECT_EQ(read.recipe, recipe);
        }
    }
}

}  // namespace
}  // namespace ts
