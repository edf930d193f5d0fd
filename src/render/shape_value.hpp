#pragma once

#include <cmath>

#include "numeric/fast_real.hpp"
#include "state/pixel_state.hpp"

namespace ts {

// The shape value of one formula, grouped exactly as the operations are
// carried out. A failed formula gives NaN.
TS_HOT_INLINE double shapeFormula(int formula, const PixelState& p) {
    using namespace fast;
    const double r = p.r, fi = p.fi, fit = p.fit, x = p.x, y = p.y;
    switch (formula) {
        default:
        case 1:
            return r * r;
        case 2:
            return r * fi;
        case 3:
            return (r * r) * p.sinR;
        case 4:
            return x * r;
        case 5:
            return ((r * p.sinR) * x) * p.cosY;
        case 6:
            return div((r * r) * (2 + std::sin(fit * r)), pow(r, r + p.sinR));
        case 7:
            return (r * std::tan(fi)) * fi;
        case 8:
            return ((r * std::tan(r)) * x) * p.sinX;
        case 9:
            return ((r * (1 + p.sinR)) + (x * (1 + p.sinX))) + (y * (1 + p.sinY));
        case 10:
            return (r * (1 + p.sinR)) + (((x * (1 + p.sinX)) * y) * (1 + p.sinY));
        case 11:
            return div((r + x) + y, fi);
        case 12:
            return ((r * (1 + p.sinR)) * (1 + std::cos(fit + r))) * fi;
        case 13:
            return div(r, fi);
        case 14:
            return div(sqr(r), fi) * pow(r, 1 + p.sinX);
        case 15:
            return pow(div(r, std::fabs(x)), (1 + p.sinR) + std::cos(fi));
    }
}

// Gives the current pixel its shape value ba by the picture's formula; a
// failed formula leaves ba as the previous pixel left it.
TS_HOT_INLINE void ShapeValue(PixelState& p) { p.baSet |= fast::assign(p.ba, shapeFormula(p.tip1, p)); }

}  // namespace ts
