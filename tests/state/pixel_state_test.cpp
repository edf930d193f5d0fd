#include "state/pixel_state.hpp"

#include <gtest/gtest.h>

#include <string>

#include "state/shape_formulas.hpp"

namespace ts {
namespace {

// The selectors are converted to whole numbers, half to even; a value
// without a mode of its own (or one that cannot be converted) runs mode 1.
TEST(ModeSelection, SelectorsWithoutAModeRunMode1) {
    // The last shape formula of the table, and the number after it.
    const float last = static_cast<float>(kShapeFormulaCount), pastLast = last + 1;
    const struct {
        Number selector;
        int shape, channel, mixing;
    } cases[] = {
        {Number::single(0), 1, 1, 1},
        {Number::single(1), 1, 1, 1},
        {Number::single(2), 2, 2, 2},
        {Number::single(3), 3, 3, 3},
        {Number::single(4), 4, 1, 4},
        {Number::single(5), 5, 1, 1},
        {Number::single(last), kShapeFormulaCount, 1, 1},
        {Number::single(pastLast), 1, 1, 1},
        {Number::single(-2), 1, 1, 1},
        {Number::real(2.5), 2, 2, 2},
        {Number::real(3.5), 4, 1, 4},
        {Number::real(14.5), 14, 1, 1},
        {Number::real(40000), 1, 1, 1},
        {Number{}, 1, 1, 1},
    };
    for (const auto& c : cases) {
        FormState s;
        s.tip1 = s.tip2 = s.tip3 = c.selector;
        const PixelState p = PixelState::load(s);
        EXPECT_EQ(p.tip1, c.shape) << c.selector.value();
        EXPECT_EQ(p.tip2, c.channel) << c.selector.value();
        EXPECT_EQ(p.tip3, c.mixing) << c.selector.value();
    }
}

// The sweep takes the slope angle fi at each pixel for the shape formulas
// whose table entry reads it, and the sine and cosine of r when the shape
// formula, the channel mode (2 and 3) or the mixing mode (2 and 4) reads them.
TEST(PixelState, TakesWhatTheFormulaAndTheModesRead) {
    const bool channelReadsTrigOfR[] = {false, true, true};
    const bool mixingReadsTrigOfR[] = {false, true, false, true};
    for (int formula = 1; formula <= kShapeFormulaCount; ++formula) {
        const ShapeFormulaFacts& shape = shapeFormulaFacts(formula);
        for (int channel = 1; channel <= 3; ++channel) {
            for (int mixing = 1; mixing <= 4; ++mixing) {
                FormState s;
                s.tip1 = Number::single(static_cast<float>(formula));
                s.tip2 = Number::single(static_cast<float>(channel));
                s.tip3 = Number::single(static_cast<float>(mixing));
                const PixelState p = PixelState::load(s);
                const std::string what = "formula " + std::to_string(formula) + " (" + std::string(shape.name) +
                                         "), channel " + std::to_string(channel) + ", mixing " + std::to_string(mixing);
                EXPECT_EQ(p.needsFi, shape.readsFi) << what;
                EXPECT_EQ(p.needsTrigOfR,
                          shape.readsTrigOfR || channelReadsTrigOfR[channel - 1] || mixingReadsTrigOfR[mixing - 1])
                    << what;
            }
        }
    }
}

// The sweep's members go back into FormState as doubles; those no statement
// stored keep what FormState had, empty included.
TEST(PixelState, StoresOnlyWhatWasAssigned) {
    FormState s;
    s.re = Number::real(126);
    s.gr = Number::real(138);
    s.bl = Number::real(1);
    s.barva = Number::int16(675);
    PixelState p = PixelState::load(s);
    p.fi1 = 0.00003;
    p.r = 2.5;
    p.rSet = true;
    p.gr = 44;
    p.grSet = true;
    p.store(s);
    EXPECT_EQ(s.fi1, Number::real(0.00003));
    EXPECT_EQ(s.r, Number::real(2.5));
    EXPECT_EQ(s.gr, Number::real(44));
    EXPECT_EQ(s.re, Number::real(126));
    EXPECT_EQ(s.bl, Number::real(1));
    EXPECT_EQ(s.barva, Number::int16(675));
    for (const Number* empty : {&s.fit, &s.fi, &s.ba}) EXPECT_TRUE(empty->isEmpty());
}

}  // namespace
}  // namespace ts
