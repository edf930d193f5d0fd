#include "colour/build_palette.hpp"

#include <array>
#include <cmath>

#include "numeric/statement.hpp"

namespace ts {
namespace {

constexpr int kLastWrittenEntry = 601;

// Int of arithmetic done inline, stored in single precision.
Number singleIntOf(double v) { return require(toSingle(require(intPart(Number::real(v)), "Int")), "single"); }

}  // namespace

void BuildPalette(FormState& s, RandomSource& random) {
    const auto rnd = [&random] { return static_cast<double>(random.next()); };

    const Number base = singleIntOf(rnd() * 10 + 10);
    const Number spread = singleIntOf(rnd() * 10 + 10);
    std::array<Number, 3> whole{};
    for (Number& w : whole) w = singleIntOf(base.value() + rnd() * spread.value());
    std::array<double, 3> phase{};
    for (double& p : phase) p = rnd() * 6.28;
    std::array<Number, 3> period{};
    for (std::size_t c = 0; c < 3; ++c) {
        period[c] = require(toSingle(Number::real(whole[c].value() + rnd() * whole[c].value())), "period");
    }

    Number* const channel[3] = {&s.re, &s.gr, &s.bl};
    for (int k = 0; k <= kLastWrittenEntry; ++k) {
        const Number entry = Number::int16(static_cast<std::int16_t>(k));
        for (std::size_t c = 0; c < 3; ++c) {
            // k / period is a single-precision quotient, added to a double phase.
            const Number quotient = require(divide(entry, period[c]), "k / period");
            const double level = std::floor((std::sin(phase[c] + quotient.value()) + 1) * 126);
            *channel[c] = Number::real(level);
        }
        auto& cells = s.palette[static_cast<std::size_t>(k)];
        cells[1] = s.re;
        cells[2] = s.gr;
        cells[3] = s.bl;
    }
}

}  // namespace ts
