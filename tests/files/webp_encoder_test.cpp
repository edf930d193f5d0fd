#include <gtest/gtest.h>
#include <webp/decode.h>

#include <string>
#include <vector>

#include "files/webp_encoder.hpp"
#include "support/sample_rasters.hpp"

namespace ts {
namespace {

// The file as libwebp decodes it, or an empty raster.
Raster decodeWebp(const std::vector<std::uint8_t>& file) {
    int width = 0, height = 0;
    std::uint8_t* rgba = WebPDecodeRGBA(file.data(), file.size(), &width, &height);
    if (rgba == nullptr) return Raster(0, 0);
    Raster raster(width, height);
    const std::uint8_t* p = rgba;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x, p += 4) {
            // Not opaque would not be the raster's pixel: make it differ.
            raster.set(x, y, p[3] == 255 ? Colour::fromRgb(p[0], p[1], p[2]) : Colour::fromRgb(p[0] ^ 1, p[1], p[2]));
        }
    }
    WebPFree(rgba);
    return raster;
}

TEST(EncodeWebpLossless, DecodesToTheRastersPixels) {
    struct Case {
        const char* what;
        Raster raster;
    } const cases[] = {
        {"the program's picture", testing::programPicture("hello world")},
        {"random pixels", testing::randomRaster(37, 23)},
        {"one pixel", Raster(1, 1, Colour::fromRgb(250, 2, 3))},
        {"one row", testing::randomRaster(300, 1, 7)},
        {"one column", testing::randomRaster(1, 300, 8)},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> webp;
        const Outcome outcome = encodeWebpLossless(c.raster, webp);
        ASSERT_TRUE(outcome) << c.what << ": " << outcome.message;
        ASSERT_GE(webp.size(), 16u) << c.what;
        EXPECT_EQ(std::string(webp.begin(), webp.begin() + 4), "RIFF") << c.what;
        EXPECT_EQ(std::string(webp.begin() + 8, webp.begin() + 16), "WEBPVP8L") << c.what;  // lossless
        WebPBitstreamFeatures features;
        ASSERT_EQ(WebPGetFeatures(webp.data(), webp.size(), &features), VP8_STATUS_OK) << c.what;
        EXPECT_FALSE(features.has_alpha) << c.what;
        EXPECT_TRUE(decodeWebp(webp) == c.raster) << c.what;
    }
}

TEST(EncodeWebpLossless, RefusesWhatWebpCannotHoldAndSaysWhy) {
    for (const auto& [width, height] : {std::pair{kMaxWebpSide + 1, 1}, std::pair{1, kMaxWebpSide + 1}}) {
        std::vector<std::uint8_t> webp = {1, 2, 3};
        const Outcome outcome = encodeWebpLossless(Raster(width, height), webp);
        EXPECT_EQ(outcome.failure, Failure::Refused);
        EXPECT_NE(outcome.message.find("at most 16383 pixels"), std::string::npos) << outcome.message;
        EXPECT_NE(outcome.message.find(std::to_string(width) + " x " + std::to_string(height)), std::string::npos)
            << outcome.message;
        EXPECT_EQ(webp, (std::vector<std::uint8_t>{1, 2, 3}));  // left as it was
    }
    // The largest side it takes.
    std::vector<std::uint8_t> webp;
    ASSERT_TRUE(encodeWebpLossless(Raster(kMaxWebpSide, 2, Colour::white()), webp));
    EXPECT_TRUE(decodeWebp(webp) == Raster(kMaxWebpSide, 2, Colour::white()));
}

}  // namespace
}  // namespace ts
