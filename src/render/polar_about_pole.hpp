#pragma once

#include <cmath>

#include "numeric/fast_real.hpp"
#include "state/pixel_state.hpp"

namespace ts {

namespace detail {

// The pole's first seven statements one by one, each keeping its target when
// it fails; leaves the pole's offset from the pixel in xrel and yrel. `fi1`
// is the result of the first statement, the new pole angle offset.
inline void advancePoleByStatements(PixelState& p, double fi1, double& xrel, double& yrel) {
    using namespace fast;
    // The temporaries start empty (0) at every call.
    double xpole = 0, ypole = 0;
    xrel = 0;
    yrel = 0;
    assign(p.fi1, fi1);
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

// What the pole's statements up to the distance give at one visit when
// every one of them succeeds. They depend on the pole angle offset and the
// visit's plane point alone, not on anything an earlier visit left, so a
// sweep may work them out for several visits ahead of storing them.
struct PoleAhead {
    double fi1, fit, cosFit, sinFit;
    double xrel, yrel, r;
    double fi;  // the slope angle, for a formula that reads it
};

// The pole's results for the offset `fi1` (the result of the statement that
// gives it) and the plane point (x, y).
TS_HOT_INLINE PoleAhead poleAhead(const PixelState& p, const double fi1, const double x, const double y) {
    using namespace fast;
    PoleAhead a;
    a.fi1 = fi1;
    a.fit = p.fi0 + fi1;
    a.cosFit = std::cos(a.fit);
    a.sinFit = std::sin(a.fit);
    a.xrel = p.r0 * a.cosFit - x;
    a.yrel = p.r0 * a.sinFit - y;
    a.r = sqr(a.xrel * a.xrel + a.yrel * a.yrel);
    a.fi = p.needsFi ? atn(div(a.yrel, a.xrel)) : 0.0;
    return a;
}

namespace detail {

// A slope, not a full-circle angle: it fails where the pixel lies exactly
// below or above the pole, and fi then keeps the previous pixel's value.
// Only some formulas read fi. For the others only the last finite slope is
// kept, as its two terms: in the usual case the sizes of the terms already
// show that the quotient is finite, and the division is left to the end.
TS_HOT_INLINE void keepPendingSlope(PixelState& p, const double xrel, const double yrel) {
    using namespace fast;
    const double ax = std::fabs(xrel), ay = std::fabs(yrel);
    if ((ax >= 1e-150 && ax <= 1e150 && ay <= 1e150) || finite(div(yrel, xrel))) [[likely]] {
        p.pendingX = xrel;
        p.pendingY = yrel;
        p.fiPending = true;
    }
}

}  // namespace detail

// Stores the pole's results for the current pixel, `a` being poleAhead for
// its offset and plane point. Each result up to the distance is built from
// the ones before it, so when the pole angle and the distance come out
// finite, every statement succeeded and all of them are stored at once.
// Otherwise they are taken again one by one, from what the state holds.
TS_HOT_INLINE void PolarAboutPoleWith(PixelState& p, const PoleAhead& a) {
    using namespace fast;
    double xrel = a.xrel, yrel = a.yrel;
    const bool allStored = finite(a.fit) && finite(a.r);
    if (allStored) [[likely]] {
        p.fi1 = a.fi1;
        p.fit = a.fit;
        p.cosFit = a.cosFit;
        p.sinFit = a.sinFit;
        p.r = a.r;
        p.fitSet = p.rSet = true;
    } else {
        detail::advancePoleByStatements(p, a.fi1, xrel, yrel);
    }

    if (p.needsFi) {
        // Worked out ahead from the same offsets unless a statement failed.
        p.fiSet |= assign(p.fi, allStored ? a.fi : atn(div(yrel, xrel)));
    } else {
        detail::keepPendingSlope(p, xrel, yrel);
    }

    if (p.needsTrigOfR) {
        p.sinR = std::sin(p.r);
        p.cosR = std::cos(p.r);
    }
}

// Moves the pole to the angle fi0 + fi1, where `fi1` is the result of the
// statement that gives the pole its angle offset (stored in p.fi1 when
// finite), then gives the current pixel its distance r and slope angle fi
// about the pole's new position.
TS_HOT_INLINE void PolarAboutPoleAt(PixelState& p, const double fi1) {
    PolarAboutPoleWith(p, poleAhead(p, fi1, p.x, p.y));
}

// Advances the pole one step along its circle (fi1 = fi1 + korakfi1), then
// gives the current pixel its distance and slope angle about it.
TS_HOT_INLINE void PolarAboutPole(PixelState& p) { PolarAboutPoleAt(p, p.fi1 + p.korakfi1); }

}  // namespace ts
