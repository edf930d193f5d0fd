#include "state/pixel_state.hpp"

#include <cmath>

#include "numeric/operations.hpp"
#include "state/shape_formulas.hpp"

namespace ts {
namespace {

// A selector converted to a whole number; a failed conversion selects the
// first case, as does any value without a case of its own.
int selectCase(Number selector, int lastCase) {
    const Result k = toInt16(selector);
    if (!k) return 1;
    const int value = static_cast<int>(k->value());
    return value >= 1 && value <= lastCase ? value : 1;
}

Number stored(bool set, double value, Number before) { return set ? Number::real(value) : before; }

}  // namespace

PixelState PixelState::load(const FormState& s) {
    PixelState p;
    p.fi0 = s.fi0.value();
    p.r0 = s.r0.value();
    p.korakfi1 = s.korakfi1.value();
    p.fak1 = s.fak1.value();
    p.fak2 = s.fak2.value();
    p.fak3 = s.fak3.value();
    p.tip1 = selectCase(s.tip1, kShapeFormulaCount);
    p.tip2 = selectCase(s.tip2, 3);
    p.tip3 = selectCase(s.tip3, 4);
    p.x = s.x.value();
    p.y = s.y.value();
    p.fi1 = s.fi1.value();
    p.fit = s.fit.value();
    p.r = s.r.value();
    p.fi = s.fi.value();
    p.ba = s.ba.value();
    p.re = s.re.value();
    p.gr = s.gr.value();
    p.bl = s.bl.value();
    p.barva = s.barva.value();
    const ShapeFormulaFacts& shape = shapeFormulaFacts(p.tip1);
    // Channel mode 1 and mixing modes 1 and 3 read neither the sine nor the
    // cosine of r.
    p.needsTrigOfR = shape.readsTrigOfR || p.tip2 != 1 || p.tip3 == 2 || p.tip3 == 4;
    p.needsFi = shape.readsFi;
    return p;
}

void PixelState::store(FormState& s) const {
    s.fi1 = Number::real(fi1);
    s.fit = stored(fitSet, fit, s.fit);
    s.r = stored(rSet, r, s.r);
    if (fiPending) {
        s.fi = Number::real(std::atan(pendingY / pendingX));
    } else {
        s.fi = stored(fiSet, fi, s.fi);
    }
    s.ba = stored(baSet, ba, s.ba);
    s.re = stored(reSet, re, s.re);
    s.gr = stored(grSet, gr, s.gr);
    s.bl = stored(blSet, bl, s.bl);
    s.barva = stored(barvaSet, barva, s.barva);
}

}  // namespace ts
