#pragma once

#include <tuple>
#include <utility>

#include "numeric/fast_real.hpp"
#include "state/pixel_state.hpp"
#include "state/shape_formulas.hpp"

namespace ts {

namespace detail {

// Compares the formula with each number of the table in turn and calls
// that entry's value directly: the compiler inlines every value and turns
// the comparisons into one jump, as it would a switch.
template <std::size_t... K>
TS_HOT_INLINE double shapeFormulaOf(int formula, const PixelState& p, std::index_sequence<K...>) {
    double value = fast::kFailed;
    static_cast<void>(
        ((formula == static_cast<int>(K) + 1 ? (value = std::get<K>(kShapeFormulas).value(p), true) : false) || ...));
    return value;
}

}  // namespace detail

// The shape value of formula `formula` (1..kShapeFormulaCount) of the
// table in state/shape_formulas.hpp. A failed formula gives NaN.
TS_HOT_INLINE double shapeFormula(int formula, const PixelState& p) {
    return detail::shapeFormulaOf(formula, p, std::make_index_sequence<static_cast<std::size_t>(kShapeFormulaCount)>{});
}

// Gives the current pixel its shape value ba by the picture's formula; a
// failed formula leaves ba as the previous pixel left it.
TS_HOT_INLINE void ShapeValue(PixelState& p) { p.baSet |= fast::assign(p.ba, shapeFormula(p.tip1, p)); }

}  // namespace ts
