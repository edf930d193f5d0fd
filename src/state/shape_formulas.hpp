#pragma once

#include <array>
#include <cmath>
#include <string_view>
#include <tuple>

#include "numeric/fast_real.hpp"
#include "state/pixel_state.hpp"

namespace ts {

// One shape formula: how the current pixel's shape value ba is worked out,
// and what it reads.
template <class Value>
struct ShapeFormula {
    std::string_view name;  // the formula as written, for messages
    // Whether it reads the slope angle fi; for the others the sweep leaves
    // the slope's arctangent to the end of the picture.
    bool readsFi;
    // Whether it reads sinR (the sine of the distance r); for the others,
    // unless the channel or mixing mode reads them, the sweep takes neither
    // the sine nor the cosine of r.
    bool readsTrigOfR;
    // double(const PixelState&): the value, grouped exactly as the operations
    // are carried out, with fast::div, fast::sqr and fast::pow where an
    // operation can fail; a failed formula gives NaN. Each formula's own
    // type, so that the sweep calls it directly and inlines it.
    Value value;
};
template <class Value>
ShapeFormula(std::string_view, bool, bool, Value) -> ShapeFormula<Value>;
// Every shape formula: tip1 = k draws the k-th, counted from 1. Adding one
// raises the count, which sets the range of the parameter draw, so texts
// then draw other formulas than before: every picture changes.
inline constexpr std::tuple kShapeFormulas{
    // 1
    ShapeFormula{"r * r", false, false, [](const PixelState& p) TS_HOT_LAMBDA -> double { return p.r * p.r; }},
    // 2
    ShapeFormula{"r * fi", true, false, [](const PixelState& p) TS_HOT_LAMBDA -> double { return p.r * p.fi; }},
    // 3
    ShapeFormula{"(r * r) * Sin(r)", false, true,
                 [](const PixelState& p) TS_HOT_LAMBDA -> double { return (p.r * p.r) * p.sinR; }},
    // 4
    ShapeFormula{"x * r", false, false, [](const PixelState& p) TS_HOT_LAMBDA -> double { return p.x * p.r; }},
    // 5
    ShapeFormula{"((r * Sin(r)) * x) * Cos(y)", false, true,
                 [](const PixelState& p) TS_HOT_LAMBDA -> double { return ((p.r * p.sinR) * p.x) * p.cosY; }},
    // 6
    ShapeFormula{"((r * r) * (2 + Sin(fit * r))) / (r ^ (r + Sin(r)))", false, true,
                 [](const PixelState& p) TS_HOT_LAMBDA -> double {
                     return fast::div((p.r * p.r) * (2 + std::sin(p.fit * p.r)), fast::pow(p.r, p.r + p.sinR));
                 }},
    // 7
    ShapeFormula{"(r * Tan(fi)) * fi", true, false,
                 [](const PixelState& p) TS_HOT_LAMBDA -> double { return (p.r * std::tan(p.fi)) * p.fi; }},
    // 8
    ShapeFormula{"((r * Tan(r)) * x) * Sin(x)", false, false,
                 [](const PixelState& p) TS_HOT_LAMBDA -> double { return ((p.r * std::tan(p.r)) * p.x) * p.sinX; }},
    // 9
    ShapeFormula{"((r * (1 + Sin(r))) + (x * (1 + Sin(x)))) + (y * (1 + Sin(y)))", false, true,
                 [](const PixelState& p) TS_HOT_LAMBDA -> double {
                     return ((p.r * (1 + p.sinR)) + (p.x * (1 + p.sinX))) + (p.y * (1 + p.sinY));
                 }},
    // 10
    ShapeFormula{"(r * (1 + Sin(r))) + (((x * (1 + Sin(x))) * y) * (1 + Sin(y)))", false, true,
                 [](const PixelState& p) TS_HOT_LAMBDA -> double {
                     return (p.r * (1 + p.sinR)) + (((p.x * (1 + p.sinX)) * p.y) * (1 + p.sinY));
                 }},
    // 11
    ShapeFormula{"((r + x) + y) / fi", true, false,
                 [](const PixelState& p) TS_HOT_LAMBDA -> double { return fast::div((p.r + p.x) + p.y, p.fi); }},
    // 12
    ShapeFormula{"((r * (1 + Sin(r))) * (1 + Cos(fit + r))) * fi", true, true,
                 [](const PixelState& p)
                     TS_HOT_LAMBDA -> double { return ((p.r * (1 + p.sinR)) * (1 + std::cos(p.fit + p.r))) * p.fi; }},
    // 13
    ShapeFormula{"r / fi", true, false,
                 [](const PixelState& p) TS_HOT_LAMBDA -> double { return fast::div(p.r, p.fi); }},
    // 14
    ShapeFormula{"(Sqr(r) / fi) * (r ^ (1 + Sin(x)))", true, false,
                 [](const PixelState& p)
                     TS_HOT_LAMBDA -> double { return fast::div(fast::sqr(p.r), p.fi) * fast::pow(p.r, 1 + p.sinX); }},
    // 15
    ShapeFormula{"(r / Abs(x)) ^ ((1 + Sin(r)) + Cos(fi))", true, true,
                 [](const PixelState& p) TS_HOT_LAMBDA -> double {
                     return fast::pow(fast::div(p.r, std::fabs(p.x)), (1 + p.sinR) + std::cos(p.fi));
                 }},
};

inline constexpr int kShapeFormulaCount = static_cast<int>(std::tuple_size_v<decltype(kShapeFormulas)>);

// What the table says of a formula besides its value.
struct ShapeFormulaFacts {
    std::string_view name;
    bool readsFi;
    bool readsTrigOfR;
};

inline constexpr std::array<ShapeFormulaFacts, kShapeFormulaCount> kShapeFormulaFacts = std::apply(
    [](const auto&... f) {
        return std::array{ShapeFormulaFacts{f.name, f.readsFi, f.readsTrigOfR}...};
    },
    kShapeFormulas);

// The facts of formula `formula`, 1..kShapeFormulaCount.
constexpr const ShapeFormulaFacts& shapeFormulaFacts(int formula) {
    return kShapeFormulaFacts[static_cast<std::size_t>(formula - 1)];
}

}  // namespace ts
