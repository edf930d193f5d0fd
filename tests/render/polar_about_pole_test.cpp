#include "render/polar_about_pole.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace ts {
namespace {

// A pole whose first step lands exactly at angle 0: at (r0, 0).
PixelState poleOnTheXAxis(double r0) {
    PixelState p;
    p.korakfi1 = 0.00003;
    p.fi0 = -0.00003;
    p.r0 = r0;
    return p;
}

TEST(PolarAboutPole, FirstPixelOfAPicture) {
    PixelState p;
    p.fi0 = 4.005175369143486;
    p.r0 = 2.022749662399292f;
    p.korakfi1 = 0.00003;
    p.fi1 = 0;
    p.x = -6;
    p.y = 4.5;
    PolarAboutPole(p);
    EXPECT_EQ(p.fi1, 0.00003);
    EXPECT_EQ(p.fit, 4.005175369143486 + 0.00003);
    const double xrel = p.r0 * std::cos(p.fit) + 6, yrel = p.r0 * std::sin(p.fit) - 4.5;
    EXPECT_EQ(p.r, std::sqrt(xrel * xrel + yrel * yrel));
    EXPECT_EQ(p.fi, std::atan(yrel / xrel));
    EXPECT_TRUE(p.fitSet && p.rSet && p.fiSet);
}

// The angle is summed step by step, so after the 271,051 visits of a picture
// it is close to, but not exactly, 271,051 * 0.00003.
TEST(PolarAboutPole, TheAngleAccumulatesByRepeatedAddition) {
    PixelState p;
    p.korakfi1 = 0.00003;
    p.r0 = 1;
    for (int n = 0; n < 271051; ++n) PolarAboutPole(p);
    EXPECT_NE(p.fi1, 8.13153);
    EXPECT_NEAR(p.fi1, 8.13153, 1e-9);
}

// Exactly below, above or on the pole the slope's quotient divides by zero:
// fi keeps the previous pixel's value while r is still computed.
TEST(PolarAboutPole, PixelsOnTheVerticalThroughThePoleKeepFi) {
    const struct {
        const char* what;
        double x, y;
        double r;
    } cases[] = {
        {"above the pole", 2, 1.5, 1.5},
        {"below the pole", 2, -3, 3},
        {"on the pole", 2, 0, 0},
    };
    for (const auto& c : cases) {
        PixelState p = poleOnTheXAxis(2);
        p.x = c.x;
        p.y = c.y;
        p.fi = 0.7;
        p.fiSet = true;
        PolarAboutPole(p);
        EXPECT_EQ(p.fit, 0) << c.what;
        EXPECT_EQ(p.r, c.r) << c.what;
        EXPECT_EQ(p.fi, 0.7) << c.what;
    }
    // Before any value was stored, fi stays empty.
    PixelState p = poleOnTheXAxis(2);
    p.x = 2;
    PolarAboutPole(p);
    EXPECT_FALSE(p.fiSet);
}

// fi is the arctangent of a slope: the same for a pixel and its mirror image
// through the pole, and jumping by nearly pi across the vertical line.
TEST(PolarAboutPole, FiIsASlopeAngle) {
    const auto fiAt = [](double x, double y) {
        PixelState p = poleOnTheXAxis(2);
        p.x = x;
        p.y = y;
        PolarAboutPole(p);
        return p.fi;
    };
    EXPECT_EQ(fiAt(3, 1), std::numbers::pi / 4);
    EXPECT_EQ(fiAt(1, -1), std::numbers::pi / 4);
    EXPECT_GT(fiAt(1.98, 1), -std::numbers::pi / 2);
    EXPECT_LT(fiAt(1.98, 1), -1.5);
    EXPECT_GT(fiAt(2.02, 1), 1.5);
    EXPECT_LT(fiAt(2.02, 1), std::numbers::pi / 2);
}

}  // namespace
}  // namespace ts
