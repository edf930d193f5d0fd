#include "platform/raster.hpp"

#include <gtest/gtest.h>

namespace ts {
namespace {

TEST(Raster, SettingOutsideDoesNothingAndReadingThereGivesBlack) {
    Raster r(600, 450, Colour::fromRgb(1, 2, 3));
    const Raster before = r;
    // The sweep visits column 600 and row 450, one past the canvas's edges.
    for (auto [x, y] : {std::pair{600, 0}, {0, 450}, {600, 450}, {-1, 0}, {0, -1}}) {
        r.set(x, y, Colour::white());
        EXPECT_EQ(r.at(x, y), Colour::black()) << x << "," << y;
    }
    EXPECT_EQ(r, before);
}

TEST(Raster, KeepsEachPixelWhereItWasSet) {
    Raster r(3, 2);
    r.set(2, 1, Colour::fromRgb(252, 0, 10));
    r.set(0, 1, Colour::fromCode(7 + 256 * 8 + 65536 * 9));
    EXPECT_EQ(r.at(2, 1).code(), 252 + 10 * 65536);
    EXPECT_EQ(r.at(0, 1), Colour::fromRgb(7, 8, 9));
    EXPECT_EQ(r.at(1, 1), Colour::black());
    EXPECT_EQ(r.at(2, 0), Colour::black());  // rows and columns are not swapped
}

}  // namespace
}  // namespace ts
