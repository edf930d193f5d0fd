#include "seed/draw_parameters.hpp"

#include <cmath>

#include "numeric/statement.hpp"
#include "state/shape_formulas.hpp"

namespace ts {
namespace {

// Characters first..last (counted from 1) of a text; empty where the text
// is too short, as a failed statement would leave them.
std::string characters(const std::string& text, std::size_t first, std::size_t last) {
    if (text.size() < last) return {};
    return text.substr(first - 1, last - first + 1);
}

// Int of arithmetic done inline on a random value, in double precision.
Result intOf(double v) { return intPart(Number::real(v)); }

}  // namespace

void namePicture(FormState& s, Clock& clock) {
    const ClockReading now = clock.read();
    const std::string& d = now.date;  // mm-dd-yyyy
    const std::string& c = now.time;  // hh:mm:ss
    const std::string stamp = characters(d, 7, 10) + characters(d, 1, 2) + characters(d, 4, 5) + characters(c, 1, 2) +
                              characters(c, 4, 5) + characters(c, 7, 8);
    s.imeslike = "T" + stamp;
    s.madeAt = now.instant;
}

void DrawParameters(FormState& s, Clock& clock, RandomSource& random) {
    namePicture(s, clock);

    const auto rnd = [&random] { return static_cast<double>(random.next()); };
    // A shape formula 1..kShapeFormulaCount, in double arithmetic: with
    // fifteen formulas, rnd() * 15.0 + 1.
    assignSingle(s.tip1, intOf(rnd() * kShapeFormulaCount + 1));
    assignSingle(s.tip2, intOf(rnd() * 3 + 1));
    assignSingle(s.tip3, intOf(rnd() * 4 + 1));
    assignSingle(s.pozic0, intOf(rnd() * 300 + 5));
    assignDouble(s.fi0, inlineReal(rnd() * 6.283));
    s.fi1 = Number::int16(0);
    assignSingle(s.r0, inlineReal(rnd() * 3 + 1));
    s.korakfi1 = Number::real(0.00003);
    assignSingle(s.fak1, inlineReal(rnd() * 10 + 10));
    assignSingle(s.fak2, inlineReal(rnd() * 10 + 10));
    assignSingle(s.fak3, inlineReal(rnd() * 10 + 10));
}

}  // namespace ts
