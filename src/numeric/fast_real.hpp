#pragma once

#include <cmath>
#include <limits>

// Double-precision arithmetic for the per-pixel path, where a failure must
// cost neither an exception nor an allocation. A failed operation yields NaN,
// which poisons everything computed from it; the statement then stores its
// result only when it is finite. Operations that could turn a non-finite
// operand back into a finite result (a quotient by infinity, an arctangent,
// a power) check their operands themselves.
namespace ts::fast {

inline constexpr double kFailed = std::numeric_limits<double>::quiet_NaN();

inline bool finite(double v) { return std::isfinite(v); }

inline double div(double a, double b) {
    return (b == 0.0 || !finite(a) || !finite(b)) ? kFailed : a / b;
}

inline double atn(double a) { return finite(a) ? std::atan(a) : kFailed; }

inline double sqr(double a) { return a < 0.0 ? kFailed : std::sqrt(a); }

inline double pow(double base, double exponent) {
    if (!finite(base) || !finite(exponent)) return kFailed;
    if (base < 0.0 && exponent != std::trunc(exponent)) return kFailed;
    if (base == 0.0 && exponent < 0.0) return kFailed;
    return std::pow(base, exponent);
}

// Stores a statement's result; a failed statement leaves its target as it was.
inline bool assign(double& target, double result) {
    if (!finite(result)) return false;
    target = result;
    return true;
}

}  // namespace ts::fast
