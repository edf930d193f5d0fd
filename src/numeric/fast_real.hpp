#pragma once

#include <cmath>
#include <limits>

// Double-precision arithmetic for the per-pixel path, where a failure must
// cost neither an exception nor an allocation. A failed operation yields NaN,
// which poisons everything computed from it; the statement then stores its
// result only when it is finite. Operations that could turn a non-finite
// operand back into a finite result (a quotient by infinity, an arctangent,
// a power) check their operands themselves.
// The per-pixel procedures are small and run 271,051 times a picture; the
// compiler would otherwise keep some of them as calls.
#define TS_HOT_INLINE [[gnu::always_inline]] inline
// The same for a lambda, written after its parameters.
#define TS_HOT_LAMBDA __attribute__((always_inline))

namespace ts::fast {

inline constexpr double kFailed = std::numeric_limits<double>::quiet_NaN();

inline bool finite(double v) { return std::isfinite(v); }

// A non-finite dividend gives a non-finite quotient by itself; a divisor
// must be checked, as a finite value divided by infinity would give 0.
inline double div(double a, double b) {
    const double magnitude = std::fabs(b);
    return (magnitude > 0.0 && magnitude <= std::numeric_limits<double>::max()) ? a / b : kFailed;
}

inline double atn(double a) { return finite(a) ? std::atan(a) : kFailed; }

inline double sqr(double a) { return a < 0.0 ? kFailed : std::sqrt(a); }

inline double pow(double base, double exponent) {
    if (!finite(base) || !finite(exponent)) return kFailed;
    if (base < 0.0 && exponent != std::trunc(exponent)) return kFailed;
    if (base == 0.0 && exponent < 0.0) return kFailed;
    return std::pow(base, exponent);
}

// Rounds a value from 0 to 2^52 to the nearest whole number, an exact half
// to the even one, without a library call: adding 2^52 leaves no fraction
// bits, and the addition rounds to nearest even.
inline double roundHalfEvenSmall(double v) {
    constexpr double kTwoTo52 = 4503599627370496.0;
    return (v + kTwoTo52) - kTwoTo52;
}

// Stores a statement's result; a failed statement leaves its target as it was.
inline bool assign(double& target, double result) {
    if (!finite(result)) return false;
    target = result;
    return true;
}

}  // namespace ts::fast
