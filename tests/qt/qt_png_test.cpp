#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <cstdio>
#include <string>
#include <vector>

#include "files/image_encoding.hpp"
#include "files/png_encoder.hpp"
#include "picture/picture.hpp"
#include "qt/qt_image.hpp"
#include "qt/qt_surfaces.hpp"
#include "support/fakes.hpp"
#include "support/qt_application.hpp"
#include "support/sample_rasters.hpp"

namespace ts {
namespace {

QByteArray bytesOf(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// Whether Qt's image holds exactly the raster's pixels.
bool samePixels(const QImage& decoded, const Raster& raster) {
    if (decoded.width() != raster.width() || decoded.height() != raster.height()) return false;
    const QImage rgb = decoded.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < raster.height(); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(rgb.constScanLine(y));
        for (int x = 0; x < raster.width(); ++x)
            if ((row[x] | 0xFF000000u) != raster.at(x, y).pixel()) return false;
    }
    return true;
}

TEST(QtReadsThePngEncoder, TheSamePixelsAndTheRecipesTexts) {
    testing::application();
    FixedClock clock = testing::testClock();
    struct Case {
        std::string text;
        Raster raster;
    } const cases[] = {
        {"Zażółć gęślą jaźń", MakeFreshPicture("Zażółć gęślą jaźń", makeCanvas(), clock).canvas},
        {"hello  world", MakeFreshPicture("hello  world", makeCanvas(320, 200), clock).canvas},
        {"random", testing::randomRaster(61, 17)},
    };
    for (const Case& c : cases) {
        const PictureRecipe recipe{c.text, "tip1=7  tip2=2  tip3=4  seed=127010", "textscape-render 1.0.0",
                                   "2026-03-08T14:05:09+01:00"};
        std::vector<std::uint8_t> encoded;
        ASSERT_TRUE(encodeImage(c.raster, ImageFormat::Png, recipe, encoded));
        const QByteArray png = bytesOf(encoded);
        QBuffer buffer;
        buffer.setData(png);
        QImageReader reader(&buffer, "png");
        // Qt folds the spaces of a text it reads.
        EXPECT_EQ(reader.text(QStringLiteral("Title")), QString::fromStdString(c.text).simplified()) << c.text;
        EXPECT_EQ(reader.text(QStringLiteral("Software")).toStdString(), recipe.software);
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << c.text << ": " << reader.errorString().toStdString();
        EXPECT_TRUE(samePixels(image, c.raster)) << c.text;
        EXPECT_EQ(image.dotsPerMeterX(), static_cast<int>(kScreenPixelsPerMetre));
        EXPECT_EQ(image.dotsPerMeterY(), static_cast<int>(kScreenPixelsPerMetre));
    }
}

// Both with pHYs and no text chunks, whose bytes would be the same in both.
TEST(QtReadsThePngEncoder, FilesOfTheFormulaPicturesAreNoLargerThanQtsOwn) {
    testing::application();
    std::size_t ours = 0, qts = 0;
    for (const Raster& picture : testing::formulaPictures()) {
        std::vector<std::uint8_t> png;
        ASSERT_TRUE(encodePng(picture, PngMetadata{{}, kScreenPixelsPerMetre}, png));
        ours += png.size();

        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImage image = imageOf(picture);
        image.setDotsPerMeterX(static_cast<int>(kScreenPixelsPerMetre));
        image.setDotsPerMeterY(static_cast<int>(kScreenPixelsPerMetre));
        ASSERT_TRUE(QImageWriter(&buffer, "png").write(image));
        qts += static_cast<std::size_t>(bytes.size());

        QImage decoded;
        ASSERT_TRUE(decoded.loadFromData(bytesOf(png), "PNG"));
        EXPECT_TRUE(samePixels(decoded, picture));
    }
    EXPECT_LE(ours, qts);
    std::printf("the fifteen formula pictures: %zu bytes, Qt's writer %zu\n", ours, qts);
}

}  // namespace
}  // namespace ts
