#include "platform/raster_surface.hpp"

#include <gtest/gtest.h>

namespace ts {
namespace {

TEST(RasterSurface, PixelsAtSinglePrecisionPositions) {
    RasterSurface s(600, 450);
    s.setPixel(599.0f, 449.0f, Colour::white());
    s.setPixel(600.0f, 449.0f, Colour::white());  // just outside: no effect, no failure
    s.setPixel(1e30f, -1e30f, Colour::white());
    EXPECT_EQ(s.pixel(599.0f, 449.0f), Colour::white());
    EXPECT_EQ(s.pixel(600.0f, 449.0f), Colour::black());
    EXPECT_EQ(s.pixel(598.0f, 449.0f), Colour::black());
}

// Lines are drawn with both end points, and a one-pixel line is one pixel.
TEST(RasterSurface, LinesIncludeBothEnds) {
    RasterSurface s(20, 20);
    s.line(3, 2, 3, 6, Colour::white());
    for (int y = 0; y < 20; ++y) EXPECT_EQ(s.pixel(3, y) == Colour::white(), y >= 2 && y <= 6) << y;
    s.line(10, 10, 10, 10, Colour::fromRgb(200, 200, 200));
    EXPECT_EQ(s.pixel(10, 10), Colour::fromRgb(200, 200, 200));
    EXPECT_EQ(s.pixel(11, 10), Colour::black());
}

TEST(RasterSurface, ClearPaintsTheBackgroundAndResetsTheTextPosition) {
    RasterSurface s(4, 4);
    s.setPixel(1, 1, Colour::white());
    s.setTextX(10);
    s.setTextY(415);
    s.setBackground(Colour::fromRgb(0, 0, 200));
    EXPECT_EQ(s.pixel(1, 1), Colour::fromRgb(0, 0, 200));
    s.setPixel(2, 2, Colour::white());
    s.clear();
    EXPECT_EQ(s.pixel(2, 2), Colour::fromRgb(0, 0, 200));
    EXPECT_EQ(s.textX(), 0);
    EXPECT_EQ(s.textY(), 0);
}

// A font size of 0 arises only for the empty caption; it keeps the last size.
TEST(RasterSurface, FontSizeZeroKeepsThePreviousSize) {
    RasterSurface s(4, 4);
    s.setFontSize(12);
    s.setFontSize(0);
    EXPECT_EQ(s.fontSize(), 12);
}

}  // namespace
}  // namespace ts
