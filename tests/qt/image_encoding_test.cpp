#include <gtest/gtest.h>

#include <QImage>
#include <QMimeDatabase>

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

// Every format of the table encodes: the file is of the type its entry names
// (as Qt recognises it by content), holds the pixels, and keeps the recipe
// when its entry says so.
TEST(EncodeImage, EveryFormatWritesItsTypeThePixelsAndTheRecipeItPromises) {
    testing::application();
    const PictureRecipe recipe{"Hello, Textscape", "tip1=15  tip2=1  tip3=4  seed=2033639", "textscape 1.0.0", ""};
    const Raster raster = sample();
    for (const ImageFormatInfo& info : imageFormats()) {
        SCOPED_TRACE(std::string(info.name));
        ASSERT_NE(info.encode, nullptr);
        const std::vector<std::uint8_t> bytes = encodeImage(raster, info.format, recipe);
        const QByteArray data(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
        EXPECT_EQ(QMimeDatabase().mimeTypeForData(data).name().toStdString(), info.mimeType);

        const QImage image = QImage::fromData(data).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(image.isNull());
        ASSERT_EQ(image.width(), raster.width());
        ASSERT_EQ(image.height(), raster.height());
        for (int y = 0; y < raster.height(); ++y)
            for (int x = 0; x < raster.width(); ++x)
                EXPECT_EQ(Colour::fromPixel(image.pixel(x, y)), raster.at(x, y)) << x << ", " << y;

        const RecipeRead read = readRecipe("file", bytes);
        EXPECT_EQ(static_cast<bool>(read), info.carriesRecipe) << read.message;
        if (info.carriesRecipe) {
            EXPECT_EQ(read.recipe, recipe);
        }
    }
}

}  // namespace
}  // namespace ts
