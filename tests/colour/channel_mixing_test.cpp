#include "colour/channel_mixing.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "support/pixel.hpp"

namespace ts {
namespace {

// A pixel's state as PolarAboutPole leaves it: distance r, pole angle fit
// and the sines and cosines taken from them.
PixelState pixel(double ba, double r, double fit, int tip2 = 1, int tip3 = 1) {
    PixelState p;
    p.ba = ba;
    p.r = r;
    p.fit = fit;
    p.fak1 = 10;
    p.fak2 = 15;
    p.fak3 = 19.5;
    p.tip2 = tip2;
    p.tip3 = tip3;
    return testing::withTrigonometry(p);
}

struct ChannelCase {
    const char* what;
    int mode;
    double ba, r, fit;
    double re, gr, bl;
};

TEST(ChannelValues, Modes) {
    const double halfPi = std::numbers::pi / 2;
    const ChannelCase cases[] = {
        // Channel values are never negative, whatever the sign of ba.
        {"mode 1, ba = -2", 1, -2, 1.3, 0.2, 20, 30, 39},
        {"mode 2, ba = 1, r = 0, fit = pi/2", 2, 1, 0, halfPi, 10, 11, 11},
        {"mode 3, ba = -1, r = 0, fit = pi/2", 3, -1, 0, halfPi, 10, 16, 20.5},
        {"mode 2, r = pi/2: re follows Sin(r), gr Cos(r)", 2, 2, halfPi, 0, 22, 20, 20},
        {"mode 1, ba = 0", 1, 0, 3, 1, 0, 0, 0},
        {"mode 2, ba = 0", 2, 0, 3, 1, 0, 0, 0},
        {"mode 3, ba = 0", 3, 0, 3, 1, 0, 0, 0},
    };
    for (const auto& c : cases) {
        PixelState p = pixel(c.ba, c.r, c.fit, c.mode);
        ChannelValues(p);
        EXPECT_EQ(p.re, c.re) << c.what;
        EXPECT_EQ(p.gr, c.gr) << c.what;
        EXPECT_EQ(p.bl, c.bl) << c.what;
        EXPECT_TRUE(p.reSet && p.grSet && p.blSet) << c.what;
    }
}

// Each channel is its own statement: one that overflows keeps its previous
// value, and the others are still computed.
TEST(ChannelValues, AnOverflowingChannelKeepsItsValue) {
    PixelState p = pixel(1.7e307, 1, 1, 1);
    p.fak1 = 20;  // 3.4e308: beyond the double range
    p.fak2 = 10;
    p.fak3 = 20;
    p.re = 126;
    p.gr = 127;
    p.bl = 128;
    ChannelValues(p);
    EXPECT_EQ(p.re, 126);
    EXPECT_EQ(p.gr, 1.7e308);
    EXPECT_EQ(p.bl, 128);
    EXPECT_FALSE(p.reSet);
    EXPECT_TRUE(p.grSet);
    EXPECT_FALSE(p.blSet);
}

struct MixCase {
    const char* what;
    int mode;
    double re, gr, bl, r, fit;
    double barva;
};

TEST(MixColourIndex, Modes) {
    const MixCase cases[] = {
        {"mode 1 sums the channels", 1, 20, 30, 39, 2, 1, 89},
        {"mode 2 with r = 0", 2, 1, 2, 4, 0, 1, 7},
        {"mode 2 weighs bl by 1 + Sin(r)", 2, 1, 2, 4, std::numbers::pi / 2, 1, 11},
        {"mode 3: 8 / 4 + 6 / Sqr(4)", 3, 8, 6, 1e6, 4, 1, 5},
        {"mode 4 with r = 0 is bl + re * Sin(fit)", 4, 3, 100, 5, 0, 0.5, 5 + 3 * std::sin(0.5)},
        {"mode 1 of zeros", 1, 0, 0, 0, 2, 1, 0},
        {"mode 2 of zeros", 2, 0, 0, 0, 2, 1, 0},
        {"mode 3 of zeros", 3, 0, 0, 0, 2, 1, 0},
        {"mode 4 of zeros", 4, 0, 0, 0, 2, 1, 0},
    };
    for (const auto& c : cases) {
        PixelState p = pixel(0, c.r, c.fit, 1, c.mode);
        p.re = c.re;
        p.gr = c.gr;
        p.bl = c.bl;
        p.barva = -77;
        MixColourIndex(p);
        EXPECT_EQ(p.barva, c.barva) << c.what;
    }
}

// On the pole (r = 0) mode 3 divides by zero; barva keeps the value it had,
// which is the previous pixel's clamped index (or empty before any).
TEST(MixColourIndex, Mode3OnThePoleKeepsBarva) {
    for (const auto& [before, wasSet] : {std::pair{417.0, true}, {0.0, false}}) {
        PixelState p = pixel(0, 0, 1, 1, 3);
        p.re = 8;
        p.gr = 6;
        p.barva = before;
        p.barvaSet = wasSet;
        MixColourIndex(p);
        EXPECT_EQ(p.barva, before);
        EXPECT_EQ(p.barvaSet, wasSet);
    }
}

TEST(MixColourIndex, AnOverflowingSumKeepsBarva) {
    PixelState p = pixel(0, 1, 1, 1, 1);
    p.re = 1.7e308;
    p.gr = 1.7e308;
    p.bl = 1;
    p.barva = 12;
    MixColourIndex(p);
    EXPECT_EQ(p.barva, 12);
}

}  // namespace
}  // namespace ts
