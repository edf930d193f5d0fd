#pragma once

#include <cmath>

#include "numeric/fast_real.hpp"
#include "state/pixel_state.hpp"

namespace ts {

// The three channel values of one channel mode; a failed one is NaN.
struct ChannelTriple {
    double re, gr, bl;
};

TS_HOT_INLINE ChannelTriple channelsOf(int mode, const PixelState& p) {
    const double ba = p.ba;
    switch (mode) {
        default:
        case 1:
            return {std::fabs(ba * p.fak1), std::fabs(ba * p.fak2), std::fabs(ba * p.fak3)};
        case 2:
            return {std::fabs(ba * (10 + p.sinR)), std::fabs(ba * (10 + p.cosR)), std::fabs(ba * (10 + p.sinFit))};
        case 3:
            return {std::fabs(ba * (p.fak1 + p.sinR)), std::fabs(ba * (p.fak2 + p.cosR)),
                    std::fabs(ba * (p.fak3 + p.sinFit))};
    }
}

// Spreads the shape value into three non-negative channel values by the
// picture's channel mode; each channel is its own statement, so one that
// fails keeps its previous value while the others are still stored.
TS_HOT_INLINE void ChannelValues(PixelState& p) {
    using fast::assign;
    const ChannelTriple c = channelsOf(p.tip2, p);
    // v * 0 is 0 for a finite v and NaN otherwise: one test for all three.
    if (fast::finite((c.re * 0 + c.gr * 0) + c.bl * 0)) [[likely]] {
        p.re = c.re;
        p.gr = c.gr;
        p.bl = c.bl;
        p.reSet = p.grSet = p.blSet = true;
    } else {
        p.reSet |= assign(p.re, c.re);
        p.grSet |= assign(p.gr, c.gr);
        p.blSet |= assign(p.bl, c.bl);
    }
}

// The colour index of one mixing mode, sums taken from left to right.
TS_HOT_INLINE double mixedIndex(int mode, const PixelState& p) {
    using namespace fast;
    switch (mode) {
        default:
        case 1:
            return (p.re + p.gr) + p.bl;
        case 2:
            return (p.re + p.gr) + (p.bl * (1 + p.sinR));
        case 3:
            return div(p.re, p.r) + div(p.gr, sqr(p.r));
        case 4:
            return ((p.re * p.sinFit) + (p.gr * p.sinR)) + (p.bl * p.cosR);
    }
}

// Combines the channel values into the colour index barva by the picture's
// mixing mode; a failed mix leaves barva as the previous pixel left it.
TS_HOT_INLINE void MixColourIndex(PixelState& p) { p.barvaSet |= fast::assign(p.barva, mixedIndex(p.tip3, p)); }

}  // namespace ts
