#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "files/bmp_writer.hpp"

namespace ts {
namespace {

std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t u16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

Colour patternAt(int x, int y) {
    return Colour::fromRgb(static_cast<std::uint8_t>(x * 7 + 1), static_cast<std::uint8_t>(y * 13 + 2),
                           static_cast<std::uint8_t>(x * y + 3));
}

Raster pattern(int width, int height) {
    Raster r(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) r.set(x, y, patternAt(x, y));
    return r;
}

TEST(EncodeBmp, HeadersDescribeA24BitBottomUpBitmap) {
    struct Case {
        int width, height;
        std::uint32_t stride;  // bytes per row, a multiple of 4
    } const cases[] = {{1, 1, 4}, {3, 2, 12}, {4, 3, 12}, {5, 1, 16}, {601, 449, 1804}};
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> b = encodeBmp(pattern(c.width, c.height));
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        ASSERT_EQ(b.size(), 54u + c.stride * c.height);
        EXPECT_EQ(b[0], 'B');
        EXPECT_EQ(b[1], 'M');
        EXPECT_EQ(u32(b, 2), b.size());  // file size
        EXPECT_EQ(u32(b, 6), 0u);        // reserved
        EXPECT_EQ(u32(b, 10), 54u);      // pixel data offset
        EXPECT_EQ(u32(b, 14), 40u);      // BITMAPINFOHEADER
        EXPECT_EQ(static_cast<std::int32_t>(u32(b, 18)), c.width);
        EXPECT_EQ(static_cast<std::int32_t>(u32(b, 22)), c.height);  // positive: bottom-up
        EXPECT_EQ(u16(b, 26), 1);                                    // planes
        EXPECT_EQ(u16(b, 28), 24);                                   // bits per pixel
        EXPECT_EQ(u32(b, 30), 0u);                                   // BI_RGB
        EXPECT_EQ(u32(b, 34), c.stride * c.height);                  // image size
        EXPECT_EQ(u32(b, 46), 0u);                                   // no colour table
    }
}

TEST(EncodeBmp, RowsRunBottomUpInBlueGreenRedOrderWithZeroPadding) {
    for (const auto& [width, height] : std::vector<std::pair<int, int>>{{3, 2}, {5, 4}, {601, 449}}) {
        const Raster r = pattern(width, height);
        const std::vector<std::uint8_t> b = encodeBmp(r);
        const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
        for (int y = 0; y < height; ++y) {
            const std::size_t row = 54 + static_cast<std::size_t>(height - 1 - y) * stride;
            for (int x = 0; x < width; ++x) {
                const std::size_t at = row + static_cast<std::size_t>(x) * 3;
                ASSERT_EQ(b[at], patternAt(x, y).blue()) << x << "," << y;
                ASSERT_EQ(b[at + 1], patternAt(x, y).green()) << x << "," << y;
                ASSERT_EQ(b[at + 2], patternAt(x, y).red()) << x << "," << y;
            }
            for (std::size_t pad = static_cast<std::size_t>(width) * 3; pad < stride; ++pad)
                ASSERT_EQ(b[row + pad], 0) << "padding of row " << y;
        }
    }
}

}  // namespace
}  // namespace ts
