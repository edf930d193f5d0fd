#pragma once

#include <cmath>

#include "numeric/fast_real.hpp"
#include "render/pixel_state.hpp"

namespace ts {

// Advances the pole one step along its circle, then gives the current pixel
// its distance r and slope angle fi about the pole's new position.
TS_HOT_INLINE void PolarAboutPole(PixelState& p) {
    using namespace fast;
    // The temporaries start empty (0) at every call.
    double xpole = 0, ypole = 0, xrel = 0, yrel = 0;

    assign(p.fi1, p.fi1 + p.korakfi1);
    p.fitSet |= assign(p.fit, p.fi0 + p.fi1);
    p.cosFit = std::cos(p.fit);
    p.sinFit = std::sin(p.fit);
    assign(xpole, p.r0 * p.cosFit);
    assign(ypole, p.r0 * p.sinFit);
    assign(xrel, xpole - p.x);
    assign(yrel, ypole - p.y);
    p.rSet |= assign(p.r, sqr(xrel * xrel + yrel * yrel));
    // A slope, not a full-circle angle: it fails where the pixel lies exactly
    // below or above the pole, and fi then keeps the previous pixel's value.
    if (p.needsFi) {
        p.fiSet |= assign(p.fi, atn(div(yrel, xrel)));
    } else if (const double slope = div(yrel, xrel); finite(slope)) {
        p.pendingSlope = slope;
        p.fiPending = true;
    }

    if (p.needsTrigOfR) {
        p.sinR = std::sin(p.r);
        p.cosR = std::cos(p.r);
    }
}

}  // namespace ts
