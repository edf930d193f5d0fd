#pragma once

#include <string>

#include "numeric/number.hpp"

// The arithmetic of the picture formulas. Each operation follows the width
// rules of its operands and fails (an empty Result) instead of producing a
// value that is not finite at its width, or on a division by zero or a
// domain error. An empty operand reads as the 16-bit integer 0.
namespace ts {

[[nodiscard]] Result add(Number a, Number b);
[[nodiscard]] Result subtract(Number a, Number b);
[[nodiscard]] Result multiply(Number a, Number b);
[[nodiscard]] Result divide(Number a, Number b);
[[nodiscard]] Result power(Number a, Number b);  // a ^ b, always double

[[nodiscard]] Result intPart(Number a);           // Int: toward minus infinity
[[nodiscard]] Result modulo(Number a, Number b);  // Mod: operands rounded half to even
[[nodiscard]] Result absolute(Number a);          // Abs
[[nodiscard]] Result squareRoot(Number a);        // Sqr
[[nodiscard]] Result logarithm(Number a);         // Log, natural
[[nodiscard]] Result sine(Number a);
[[nodiscard]] Result cosine(Number a);
[[nodiscard]] Result tangent(Number a);
[[nodiscard]] Result arcTangent(Number a);  // Atn

// Arithmetic written inline on a random value or a function result is done
// in double precision; this checks that such an intermediate is finite.
[[nodiscard]] Result inlineReal(double v);

// Conversions.
[[nodiscard]] Result toInt16(Number a);   // nearest, half to even; fails outside the range
[[nodiscard]] Result toInt32(Number a);   // nearest, half to even; fails outside the range
[[nodiscard]] Result toSingle(Number a);  // fails when the value overflows single precision
[[nodiscard]] Result toDouble(Number a);

// Rounds to the nearest whole number, an exact half going to the even one.
double roundHalfEven(double v);

// A whole number in plain decimal (no point, no exponent); other values in
// the shortest form that reads back at their width.
std::string toText(Number a);

}  // namespace ts
