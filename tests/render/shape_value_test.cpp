#include "render/shape_value.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "support/pixel.hpp"

namespace ts {
namespace {

PixelState pixel(int formula, double r, double fi, double fit, double x, double y) {
    PixelState p;
    p.tip1 = formula;
    p.r = r;
    p.fi = fi;
    p.fit = fit;
    p.x = x;
    p.y = y;
    return testing::withTrigonometry(p);
}

struct ShapeCase {
    const char* what;
    int formula;
    double r, fi, fit, x, y;
    std::optional<double> ba;  // nullopt: the formula fails and ba keeps its value
};

TEST(ShapeValue, EdgeCases) {
    const ShapeCase cases[] = {
        {"1: r * r", 1, 2, 0.3, 1, 0.5, 0.5, 4},
        {"4: x * r", 4, 3, 0.3, 1, -6, 0.5, -18},
        {"12 with fi = 0 is 0", 12, 2, 0, 1, 0.5, 0.5, 0},
        {"6 on the pole: 0 * (2 + Sin 0) / 0 ^ 0 is 0", 6, 0, 0.3, 1, 0.5, 0.5, 0},
        {"14 on the pole", 14, 0, 0.3, 1, 0.5, 0.5, 0},
        {"15 on the pole", 15, 0, 0.3, 1, 0.5, 0.5, 0},
        {"15 left of column 300 takes Abs(x)", 15, 1, 0, 1, -0.5, 0.5, std::pow(2.0, (1 + std::sin(1.0)) + 1)},
        {"11 fails at fi = 0", 11, 2, 0, 1, 0.5, 0.5, std::nullopt},
        {"13 fails at fi = 0", 13, 2, 0, 1, 0.5, 0.5, std::nullopt},
        {"13 fails at fi = -0", 13, 2, -0.0, 1, 0.5, 0.5, std::nullopt},
        {"14 fails at fi = 0", 14, 2, 0, 1, 0.5, 0.5, std::nullopt},
        {"15 fails at x = 0", 15, 2, 0.3, 1, 0, 0.5, std::nullopt},
        {"15 fails at x = -0", 15, 2, 0.3, 1, -0.0, 0.5, std::nullopt},
    };
    for (const auto& c : cases) {
        for (bool wasSet : {true, false}) {
            PixelState p = pixel(c.formula, c.r, c.fi, c.fit, c.x, c.y);
            p.ba = wasSet ? -123.25 : 0;
            p.baSet = wasSet;
            ShapeValue(p);
            if (c.ba) {
                EXPECT_EQ(p.ba, *c.ba) << c.what;
                EXPECT_TRUE(p.baSet) << c.what;
            } else {
                EXPECT_EQ(p.ba, wasSet ? -123.25 : 0) << c.what;
                EXPECT_EQ(p.baSet, wasSet) << c.what;
            }
        }
    }
}

// A shape value beyond the double range is a failure like any other.
TEST(ShapeValue, AnOverflowingFormulaKeepsBa) {
    PixelState p = pixel(13, 2, 1e-308, 1, 0.5, 0.5);
    p.ba = 9;
    ShapeValue(p);
    EXPECT_EQ(p.ba, 9);
}

}  // namespace
}  // namespace ts
