#include "colour/build_palette.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "seed/read_text_seed.hpp"
#include "support/fakes.hpp"

namespace ts {
namespace {

using testing::ConstantRandom;
using testing::ScriptedRandom;

// The level of one channel at entry k: the quotient k / period is a single,
// added to the double phase.
double level(double phase, float period, int k) {
    const float quotient = static_cast<float>(k) / period;
    return std::floor((std::sin(phase + quotient) + 1) * 126);
}

// All draws 0: base = spread = 10, every period 10, every phase 0, so every
// channel of entry k is Int((Sin(k / 10) + 1) * 126).
TEST(BuildPalette, AllZeroDrawsGiveOneSineWaveOfPeriod10) {
    FormState s;
    ConstantRandom random(0);
    BuildPalette(s, random);
    EXPECT_EQ(random.draws, 11);
    EXPECT_EQ(s.palette[0][1], Number::real(126));
    EXPECT_EQ(s.palette[1][1], Number::real(138));
    for (int k = 0; k <= 601; ++k) {
        for (int m = 1; m <= 3; ++m) {
            ASSERT_EQ(s.palette[k][m], Number::real(level(0, 10, k))) << "entry " << k << " channel " << m;
        }
    }
}

// Red comes from draws 3, 6, 9, green from 4, 7, 10 and blue from 5, 8, 11,
// all three whole periods from the one base (draw 1) and spread (draw 2).
TEST(BuildPalette, EachChannelTakesItsOwnDraws) {
    const float largest = 1.0f - 1.0f / 16777216.0f;
    ScriptedRandom random({0.0f, 0.5f,           // base 10, spread 15
                           0.0f, 0.5f, largest,  // whole periods 10, 17, 24
                           0.0f, 0.25f, 0.5f,    // phases 0, 1.57, 3.14
                           0.0f, 0.5f, largest,  // periods 10, 25.5, 48 (rounded to single)
                           0.125f});             // not drawn
    FormState s;
    BuildPalette(s, random);
    EXPECT_EQ(random.drawn(), 11u);
    const double phase[] = {0.0, 0.25 * 6.28, 0.5 * 6.28};
    const float period[] = {10.0f, 25.5f, static_cast<float>(24 + static_cast<double>(largest) * 24)};
    for (int k : {0, 1, 7, 100, 333, 601}) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(s.palette[k][c + 1].value(), level(phase[c], period[c], k))
                << "entry " << k << " channel " << c + 1;
        }
    }
    // Entry 0 is the level of the phase alone.
    EXPECT_EQ(s.palette[0][2].value(), 251);  // Sin(1.57) is just under 1
    EXPECT_EQ(s.palette[0][3].value(), 126);  // Sin(3.14) is just over 0
}

TEST(BuildPalette, WritesOnlyEntries0To601OfChannels1To3) {
    FormState s;
    SplitMixGenerator random;
    ReadTextSeed(s, "abc", random);
    BuildPalette(s, random);
    for (int k = 0; k < FormState::kPaletteEntries; ++k) {
        EXPECT_TRUE(s.palette[k][0].isEmpty()) << k;
        for (int m = 1; m <= 3; ++m) EXPECT_EQ(s.palette[k][m].isEmpty(), k > 601) << k << "," << m;
    }
    // The working members hold the levels of the last entry written.
    EXPECT_EQ(s.re, s.palette[601][1]);
    EXPECT_EQ(s.gr, s.palette[601][2]);
    EXPECT_EQ(s.bl, s.palette[601][3]);
}

TEST(BuildPalette, LevelsAreWholeNumbersFrom0To252) {
    for (const char* text : {"", "abc", "The quick brown fox", "\xC3\xBF\xC3\xBF\xC3\xBF"}) {
        FormState s;
        SplitMixGenerator random;
        ReadTextSeed(s, text, random);
        BuildPalette(s, random);
        double low = 252, high = 0;
        for (int k = 0; k <= 601; ++k) {
            for (int m = 1; m <= 3; ++m) {
                const Number cell = s.palette[k][m];
                ASSERT_EQ(cell.width(), Width::Double);
                ASSERT_EQ(cell.value(), std::floor(cell.value()));
                low = std::min(low, cell.value());
                high = std::max(high, cell.value());
            }
        }
        EXPECT_GE(low, 0) << text;
        EXPECT_LE(high, 252) << text;
        EXPECT_GT(high - low, 200) << text;  // full sine waves over 602 entries
    }
}

// Nothing of an earlier palette survives a build.
TEST(BuildPalette, ABuildOverwritesTheWholeTable) {
    FormState once, twice;
    SplitMixGenerator random;
    ReadTextSeed(twice, "first", random);
    BuildPalette(twice, random);
    ReadTextSeed(twice, "second", random);
    BuildPalette(twice, random);
    ReadTextSeed(once, "second", random);
    BuildPalette(once, random);
    EXPECT_EQ(once.palette, twice.palette);
}

}  // namespace
}  // namespace ts
