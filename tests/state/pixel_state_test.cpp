#include "state/pixel_state.hpp"

#include <gtest/gtest.h>

namespace ts {
namespace {

// The selectors are converted to whole numbers, half to even; a value
// without a mode of its own (or one that cannot be converted) runs mode 1.
TEST(ModeSelection, SelectorsWithoutAModeRunMode1) {
    const struct {
        Number selector;
        int shape, channel, mixing;
    } cases[] = {
        {Number::single(0), 1, 1, 1},   {Number::single(1), 1, 1, 1},  {Number::single(2), 2, 2, 2},
        {Number::single(3), 3, 3, 3},   {Number::single(4), 4, 1, 4},  {Number::single(5), 5, 1, 1},
        {Number::single(15), 15, 1, 1}, {Number::single(16), 1, 1, 1}, {Number::single(-2), 1, 1, 1},
        {Number::real(2.5), 2, 2, 2},   {Number::real(3.5), 4, 1, 4},  {Number::real(14.5), 14, 1, 1},
        {Number::real(40000), 1, 1, 1}, {Number{}, 1, 1, 1},
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
