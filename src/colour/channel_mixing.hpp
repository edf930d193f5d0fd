#pragma once

#include <cmath>

#include "numeric/fast_real.hpp"
#include "render/pixel_state.hpp"

namespace ts {

// Spreads the shape value into three non-negative channel values by the
// picture's channel mode; each channel is its own statement, so one that
// fails keeps its previous value while the others are still computed.
TS_HOT_INLINE void ChannelValues(PixelState& p) {
    using fast::assign;
    const double ba = p.ba;
    switch (p.channelMode) {
        default:
        case 1:
            p.reSet |= assign(p.re, std::fabs(ba * p.fak1));
            p.grSet |= assign(p.gr, std::fabs(ba * p.fak2));
            p.blSet |= assign(p.bl, std::fabs(ba * p.fak3));
            break;
        case 2:
            p.reSet |= assign(p.re, std::fabs(ba * (10 + p.sinR)));
            p.grSet |= assign(p.gr, std::fabs(ba * (10 + p.cosR)));
            p.blSet |= assign(p.bl, std::fabs(ba * (10 + p.sinFit)));
            break;
        case 3:
            p.reSet |= assign(p.re, std::fabs(ba * (p.fak1 + p.sinR)));
            p.grSet |= assign(p.gr, std::fabs(ba * (p.fak2 + p.cosR)));
            p.blSet |= assign(p.bl, std::fabs(ba * (p.fak3 + p.sinFit)));
            break;
    }
}

// The colour index of one mixing mode, sums taken from left to right.
TS_HOT_INLINE double mixedIndex(int mode, const PixelState& p) {
    using namespace fast;
    switch (mode) {
        default:
        case 1: return (p.re + p.gr) + p.bl;
        case 2: return (p.re + p.gr) + (p.bl * (1 + p.sinR));
        case 3: return div(p.re, p.r) + div(p.gr, sqr(p.r));
        case 4: return ((p.re * p.sinFit) + (p.gr * p.sinR)) + (p.bl * p.cosR);
    }
}

// Combines the channel values into the colour index barva by the picture's
// mixing mode; a failed mix leaves barva as the previous pixel left it.
TS_HOT_INLINE void MixColourIndex(PixelState& p) { p.barvaSet |= fast::assign(p.barva, mixedIndex(p.mixingMode, p)); }

}  // namespace ts
