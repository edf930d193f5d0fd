#pragma once

#include <cmath>

#include "state/pixel_state.hpp"

namespace ts::testing {

// The sines and cosines the sweep takes from r, fit, x and y before the
// shape, channel and mixing formulas read them.
inline PixelState withTrigonometry(PixelState p) {
    p.sinR = std::sin(p.r);
    p.cosR = std::cos(p.r);
    p.sinFit = std::sin(p.fit);
    p.cosFit = std::cos(p.fit);
    p.sinX = std::sin(p.x);
    p.sinY = std::sin(p.y);
    p.cosY = std::cos(p.y);
    return p;
}

}  // namespace ts::testing
