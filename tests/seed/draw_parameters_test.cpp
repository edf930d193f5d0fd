#include "seed/draw_parameters.hpp"

#include <gtest/gtest.h>

#include "colour/build_palette.hpp"
#include "seed/read_text_seed.hpp"
#include "state/shape_formulas.hpp"
#include "support/fakes.hpp"

namespace ts {
namespace {

using testing::ConstantRandom;

using testing::ScriptedRandom;

struct Drawn {
    float tip1, tip2, tip3, pozic0;
    double fi0;
    float r0, fak1, fak2, fak3;
};

void expectDrawn(const FormState& s, const Drawn& d, const char* what) {
    EXPECT_EQ(s.tip1, Number::single(d.tip1)) << what;
    EXPECT_EQ(s.tip2, Number::single(d.tip2)) << what;
    EXPECT_EQ(s.tip3, Number::single(d.tip3)) << what;
    EXPECT_EQ(s.pozic0, Number::single(d.pozic0)) << what;
    EXPECT_EQ(s.fi0, Number::real(d.fi0)) << what;
    EXPECT_EQ(s.r0, Number::single(d.r0)) << what;
    EXPECT_EQ(s.fak1, Number::single(d.fak1)) << what;
    EXPECT_EQ(s.fak2, Number::single(d.fak2)) << what;
    EXPECT_EQ(s.fak3, Number::single(d.fak3)) << what;
}

// The two extremes of the draws: r = 0 and the largest single below 1, which
// give the first and the last shape formula of the table. The
// products are taken in double precision and rounded once to single when
// stored, which carries each factor up to exactly 20 and r0 to the single
// just below 4.
TEST(DrawParameters, ExtremeDraws) {
    const float largest = 1.0f - 1.0f / 16777216.0f;
    const float lastFormula = static_cast<float>(kShapeFormulaCount);
    const struct {
        const char* what;
        float r;
        Drawn expected;
    } cases[] = {
        {"every draw 0", 0.0f, {1, 1, 1, 5, 0.0, 1.0f, 10, 10, 10}},
        {"every draw 1 - 2^-24", largest, {lastFormula, 3, 4, 304, 6.2829996255040168, 3.99999976f, 20, 20, 20}},
    };
    for (const auto& c : cases) {
        FormState s;
        ConstantRandom random(c.r);
        FixedClock clock("03-08-2026", "14:05:09");
        DrawParameters(s, clock, random);
        expectDrawn(s, c.expected, c.what);
        EXPECT_EQ(random.draws, 9) << c.what;
        // The pole never starts a full turn round: fi0 stays below 6.283.
        EXPECT_LT(s.fi0.value(), 6.283) << c.what;
    }
}

// Nine draws in the order tip1, tip2, tip3, pozic0, fi0, r0, fak1, fak2,
// fak3; the tenth value is left for whoever draws next.
TEST(DrawParameters, EachMemberTakesItsOwnDrawInOrder) {
    ScriptedRandom random({0.5f, 0.0f, 0.75f, 0.5f, 0.25f, 0.5f, 0.1f, 0.2f, 0.3f, 0.9f});
    FormState s;
    FixedClock clock("03-08-2026", "14:05:09");
    DrawParameters(s, clock, random);
    EXPECT_EQ(random.drawn(), 9u);
    // 0.1f * 10 + 10 is 11.0000000149..., which rounds to the single 11.
    expectDrawn(s, {8, 1, 4, 155, 0.25 * 6.283, 2.5f, 11, 12, 13}, "scripted draws");
}

// The pole's walk restarts at every picture, whatever the last one left.
TEST(DrawParameters, RestartsThePoleWalk) {
    FormState s;
    s.fi1 = Number::real(8.13153);
    s.korakfi1 = Number::real(1);
    ConstantRandom random(0.5f);
    FixedClock clock("03-08-2026", "14:05:09");
    DrawParameters(s, clock, random);
    EXPECT_EQ(s.fi1, Number::int16(0));
    EXPECT_EQ(s.korakfi1, Number::real(0.00003));
}

// The name is "T" and yyyymmddhhmmss from the two clock readings.
TEST(DrawParameters, NamesThePictureAfterTheClock) {
    const struct {
        const char* date;
        const char* time;
        const char* name;
    } cases[] = {
        {"03-08-2026", "14:05:09", "T20260308140509"},
        {"03-08-2026", "00:00:00", "T20260308000000"},
        {"12-31-1999", "23:59:59", "T19991231235959"},
    };
    for (const auto& c : cases) {
        FormState s;
        ConstantRandom random(0);
        FixedClock clock(c.date, c.time);
        DrawParameters(s, clock, random);
        EXPECT_EQ(s.imeslike, c.name);
    }
}

// The whole draw for "abc": eleven values go to the palette, the next nine
// to the parameters.
TEST(DrawParameters, KnownAnswersForAbc) {
    FormState s;
    SplitMixGenerator random;
    FixedClock clock("03-08-2026", "14:05:09");
    ReadTextSeed(s, "abc", random);
    BuildPalette(s, random);
    DrawParameters(s, clock, random);
    EXPECT_EQ(s.tip1, Number::single(3));
    EXPECT_EQ(s.tip2, Number::single(1));
    EXPECT_EQ(s.tip3, Number::single(2));
    EXPECT_EQ(s.pozic0, Number::single(151));
    EXPECT_DOUBLE_EQ(s.fi0.value(), 4.005175369143486);
    EXPECT_EQ(s.r0, Number::single(2.022749662399292f));
    EXPECT_EQ(s.fak1, Number::single(14.58696174621582f));
    EXPECT_EQ(s.fak2, Number::single(15.856877326965332f));
    EXPECT_EQ(s.fak3, Number::single(10.212946891784668f));
}

// The same text gives the same parameters on every picture; only the name
// follows the clock.
TEST(DrawParameters, SameTextSameParameters) {
    FormState first, second;
    SplitMixGenerator random;
    FixedClock early("03-08-2026", "14:05:09"), late("03-08-2026", "14:05:10");
    ReadTextSeed(first, "Textscape", random);
    BuildPalette(first, random);
    DrawParameters(first, early, random);
    ReadTextSeed(second, "Textscape", random);
    BuildPalette(second, random);
    DrawParameters(second, late, random);
    EXPECT_EQ(first.palette, second.palette);
    for (auto member : {&FormState::tip1, &FormState::tip2, &FormState::tip3, &FormState::pozic0, &FormState::fi0,
                        &FormState::r0, &FormState::fak1, &FormState::fak2, &FormState::fak3}) {
        EXPECT_EQ(first.*member, second.*member);
    }
    EXPECT_NE(first.imeslike, second.imeslike);
}

}  // namespace
}  // namespace ts
