#include <gtest/gtest.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "files/jpeg_encoder.hpp"
#include "support/sample_rasters.hpp"

namespace ts {
namespace {

struct DecodeError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void onDecodeError(j_common_ptr info) { std::longjmp(reinterpret_cast<DecodeError*>(info->err)->jump, 1); }

// A JPEG file as libjpeg decodes it.
struct Decoded {
    bool ok = false;
    int components = 0;
    bool jfif = false;
    int densityUnit = -1, xDensity = 0, yDensity = 0;
    Raster raster{0, 0};
};

// Nothing with a destructor in this frame: libjpeg's errors longjmp here.
bool decodeInto(jpeg_decompress_struct& info, DecodeError& error, const std::vector<std::uint8_t>& file, Decoded& out,
                std::vector<std::uint8_t>& row) {
    if (setjmp(error.jump)) return false;
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    out.components = info.num_components;
    out.jfif = info.saw_JFIF_marker;
    out.densityUnit = info.density_unit;
    out.xDensity = info.X_density;
    out.yDensity = info.Y_density;
    out.raster = Raster(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
    row.resize(std::size_t{info.output_width} * 3);
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&info, rows, 1);
        for (int x = 0; x < out.raster.width(); ++x)
            out.raster.set(x, y, Colour::fromRgb(row[3 * x], row[3 * x + 1], row[3 * x + 2]));
    }
    jpeg_finish_decompress(&info);
    return true;
}

Decoded decodeJpeg(const std::vector<std::uint8_t>& file) {
    jpeg_decompress_struct info{};
    DecodeError error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = onDecodeError;
    jpeg_create_decompress(&info);
    Decoded out;
    std::vector<std::uint8_t> row;
    out.ok = decodeInto(info, error, file, out, row);
    jpeg_destroy_decompress(&info);
    return out;
}

std::vector<std::uint8_t> encoded(const Raster& raster, int quality) {
    std::vector<std::uint8_t> jpeg;
    const Outcome outcome = encodeJpeg(raster, quality, jpeg);
    EXPECT_TRUE(outcome) << outcome.message;
    return jpeg;
}

// How far apart two rasters of one size are, channel by channel.
struct Difference {
    double mean = 0;
    int largest = 0;
};

Difference differenceOf(const Raster& a, const Raster& b) {
    Difference d;
    long sum = 0;
    for (std::size_t k = 0; k < a.pixels().size(); ++k) {
        const Colour p = Colour::fromPixel(a.pixels()[k]), q = Colour::fromPixel(b.pixels()[k]);
        for (const int delta : {p.red() - q.red(), p.green() - q.green(), p.blue() - q.blue()}) {
            sum += std::abs(delta);
            d.largest = std::max(d.largest, std::abs(delta));
        }
    }
    d.mean = static_cast<double>(sum) / (3.0 * static_cast<double>(a.pixels().size()));
    return d;
}

Raster gradient(int width, int height) {
    Raster raster(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            raster.set(x, y,
                       Colour::fromRgb(static_cast<std::uint8_t>(x * 255 / (width - 1)),
                                       static_cast<std::uint8_t>(y * 255 / (height - 1)), 128));
    return raster;
}

TEST(EncodeJpeg, DecodesToTheRastersSizeAndNearlyItsPixels) {
    struct Case {
        const char* what;
        Raster raster;
        double meanAtMost;
        int largestAtMost;
    } const cases[] = {
        {"red", Raster(16, 16, Colour::fromRgb(255, 0, 0)), 1, 2},
        {"green", Raster(16, 16, Colour::fromRgb(0, 255, 0)), 1, 2},
        {"blue", Raster(16, 16, Colour::fromRgb(0, 0, 255)), 1, 2},
        {"grey", Raster(9, 7, Colour::fromRgb(100, 100, 100)), 1, 2},
        {"a gradient", gradient(123, 77), 1, 6},
        {"the program's picture", testing::programPicture("hello world"), 2.5, 64},
    };
    for (const Case& c : cases) {
        const Decoded decoded = decodeJpeg(encoded(c.raster, kJpegQuality));
        ASSERT_TRUE(decoded.ok) << c.what;
        EXPECT_EQ(decoded.components, 3) << c.what;
        ASSERT_EQ(decoded.raster.width(), c.raster.width()) << c.what;
        ASSERT_EQ(decoded.raster.height(), c.raster.height()) << c.what;
        const Difference d = differenceOf(decoded.raster, c.raster);
        EXPECT_LE(d.mean, c.meanAtMost) << c.what;
        EXPECT_LE(d.largest, c.largestAtMost) << c.what;
    }
}

TEST(EncodeJpeg, IsAJfifFileAtTheScreensResolution) {
    const Decoded decoded = decodeJpeg(encoded(gradient(20, 10), kJpegQuality));
    ASSERT_TRUE(decoded.ok);
    EXPECT_TRUE(decoded.jfif);
    EXPECT_EQ(decoded.densityUnit, 1);  // dots per inch
    EXPECT_EQ(decoded.xDensity, 96);
    EXPECT_EQ(decoded.yDensity, 96);
}

TEST(EncodeJpeg, HigherQualityIsCloserAndLarger) {
    const Raster picture = testing::programPicture("quality");
    std::size_t lastSize = 0;
    double lastMean = 1e9;
    for (const int quality : {10, 50, 90, 100}) {
        const std::vector<std::uint8_t> jpeg = encoded(picture, quality);
        const Decoded decoded = decodeJpeg(jpeg);
        ASSERT_TRUE(decoded.ok) << quality;
        const double mean = differenceOf(decoded.raster, picture).mean;
        EXPECT_GT(jpeg.size(), lastSize) << quality;
        EXPECT_LT(mean, lastMean) << quality;
        lastSize = jpeg.size();
        lastMean = mean;
    }
}

TEST(EncodeJpegDeathTest, AQualityOutsideOneToAHundredIsAProgrammingError) {
    std::vector<std::uint8_t> jpeg;
    for (const int quality : {0, 101, -5}) EXPECT_DEATH((void)encodeJpeg(Raster(2, 2), quality, jpeg), "JPEG quality");
}

}  // namespace
}  // namespace ts
