#pragma once

#include <cmath>

#include "numeric/fast_real.hpp"
#include "state/pixel_state.hpp"

namespace ts {

namespace detail {

// The pole's first seven statements one by one, each keeping its target when
// it fails; leaves the pole's offset from the pixel in xrel and yrel.
inline void advancePoleByStatements(PixelState& p, double& xrel, double& yrel) {
    using namespace fast;
    // The temporaries start empty (0) at every call.
    double xpole = 0, ypole = 0;
    xrel = 0;
    yrel = 0;
    assign(p.fi1, p.fi1 + p.korakfi1);
    p.fitSet |= assign(p.fit, p.fi0 + p.fi1);
    p.cosFit = std::cos(p.fit);
    p.sinFit = std::sin(p.fit);
    assign(xpole, p.r0 * p.cosFit);
    assign(ypole, p.r0 * p.sinFit);
    assign(xrel, xpole - p.x);
    assign(yrel, ypole - p.y);
    p.rSet |= assign(p.r, sqr(xrel * xrel + yrel * yrel));
}

}  // namespace detail

// Advances the pole one step along its circle, then gives the current pixel
// its distance r and slope angle fi about the pole's new position.
TS_HOT_INLINE void PolarAboutPole(PixelState& p) {
    using namespace fast;
    // Each result up to the distance is built from the ones before it, so
    // when the pole angle and the distance come out finite, every statement
    // succeeded and all of them can be stored at once. Otherwise they are
    // taken again one by one.
    const double fi1 = p.fi1 + p.korakfi1;
    const double fit = p.fi0 + fi1;
    const double cosFit = std::cos(fit), sinFit = std::sin(fit);
    double xrel = p.r0 * cosFit - p.x;
    double yrel = p.r0 * sinFit - p.y;
    const double r = sqr(xrel * xrel + yrel * yrel);
    if (finite(fit) && finite(r)) [[likely]] {
        p.fi1 = fi1;
        p.fit = fit;
        p.cosFit = cosFit;
        p.sinFit = sinFit;
        p.r = r;
        p.fitSet = p.rSet = true;
    } else {
        detail::advancePoleByStatements(p, xrel, yrel);
    }

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
