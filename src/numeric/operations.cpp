#include "numeric/operations.hpp"

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace ts {
namespace {

constexpr int rank(Width w) { return static_cast<int>(w); }

// An empty operand takes part in arithmetic as the 16-bit integer 0.
constexpr Width operandWidth(Number n) { return n.isEmpty() ? Width::Int16 : n.width(); }

constexpr bool isInteger(Width w) { return w == Width::Int16 || w == Width::Int32; }

bool fitsInt16(double v) { return v >= -32768.0 && v <= 32767.0; }
bool fitsInt32(double v) { return v >= -2147483648.0 && v <= 2147483647.0; }

Result checkedDouble(double v) {
    if (!std::isfinite(v)) return std::nullopt;
    return Number::real(v);
}

Result checkedSingle(float v) {
    if (!std::isfinite(v)) return std::nullopt;
    return Number::single(v);
}

// An exact integer result, moved up to the next width when it does not fit.
Result widenedInteger(double exact, Width width) {
    if (width == Width::Int16 && fitsInt16(exact)) return Number::int16(static_cast<std::int16_t>(exact));
    if (fitsInt32(exact)) return Number::int32(static_cast<std::int32_t>(exact));
    return checkedDouble(exact);
}

// Width of a + b, a - b and a * b before any integer widening.
Width arithmeticWidth(Width a, Width b) {
    if ((a == Width::Single && b == Width::Int32) || (a == Width::Int32 && b == Width::Single)) return Width::Double;
    return rank(a) >= rank(b) ? a : b;
}

enum class Op { Add, Subtract, Multiply };

template <class T>
T apply(Op op, T a, T b) {
    switch (op) {
        case Op::Add:
            return a + b;
        case Op::Subtract:
            return a - b;
        case Op::Multiply:
            return a * b;
    }
    return T{};
}

Result arithmetic(Op op, Number a, Number b) {
    const Width w = arithmeticWidth(operandWidth(a), operandWidth(b));
    if (isInteger(w)) {
        // Both operands are integers of at most 32 bits: the exact result
        // fits a 64-bit integer.
        const auto exact =
            apply<std::int64_t>(op, static_cast<std::int64_t>(a.value()), static_cast<std::int64_t>(b.value()));
        return widenedInteger(static_cast<double>(exact), w);
    }
    if (w == Width::Single) {
        return checkedSingle(apply<float>(op, static_cast<float>(a.value()), static_cast<float>(b.value())));
    }
    return checkedDouble(apply<double>(op, a.value(), b.value()));
}

Width quotientWidth(Width a, Width b) {
    if (a == Width::Double || b == Width::Double || a == Width::Int32 || b == Width::Int32) return Width::Double;
    if (a == Width::Single || b == Width::Single) return Width::Single;
    // Two 16-bit integers: the quotient is taken in double precision.
    return Width::Double;
}

Result sameWidth(Number a, double v) {
    switch (operandWidth(a)) {
        case Width::Int16:
        case Width::Int32:
            return widenedInteger(v, operandWidth(a));
        case Width::Single:
            return checkedSingle(static_cast<float>(v));
        default:
            return checkedDouble(v);
    }
}

}  // namespace

double roundHalfEven(double v) {
    // The default floating-point environment rounds to nearest, ties to even.
    return std::nearbyint(v);
}

Result add(Number a, Number b) { return arithmetic(Op::Add, a, b); }
Result subtract(Number a, Number b) { return arithmetic(Op::Subtract, a, b); }
Result multiply(Number a, Number b) { return arithmetic(Op::Multiply, a, b); }

Result divide(Number a, Number b) {
    if (b.value() == 0.0) return std::nullopt;
    if (quotientWidth(operandWidth(a), operandWidth(b)) == Width::Single) {
        return checkedSingle(static_cast<float>(a.value()) / static_cast<float>(b.value()));
    }
    return checkedDouble(a.value() / b.value());
}

Result power(Number a, Number b) {
    const double base = a.value();
    const double exponent = b.value();
    if (base < 0.0 && exponent != std::trunc(exponent)) return std::nullopt;
    if (base == 0.0 && exponent < 0.0) return std::nullopt;
    return checkedDouble(std::pow(base, exponent));
}

Result intPart(Number a) { return sameWidth(a, std::floor(a.value())); }

Result absolute(Number a) { return sameWidth(a, std::fabs(a.value())); }

Result modulo(Number a, Number b) {
    const double dividend = roundHalfEven(a.value());
    const double divisor = roundHalfEven(b.value());
    if (divisor == 0.0) return std::nullopt;
    if (!fitsInt32(dividend) || !fitsInt32(divisor)) return std::nullopt;
    // Every whole number divided by -1 leaves 0; the division itself is left
    // out because the quotient of the smallest 32-bit integer by -1 does not
    // fit 32 bits.
    const std::int32_t rest =
        divisor == -1.0 ? 0 : static_cast<std::int32_t>(dividend) % static_cast<std::int32_t>(divisor);
    const bool narrow = operandWidth(a) == Width::Int16 && operandWidth(b) == Width::Int16;
    return narrow ? Number::int16(static_cast<std::int16_t>(rest)) : Number::int32(rest);
}

Result squareRoot(Number a) {
    if (a.value() < 0.0) return std::nullopt;
    return checkedDouble(std::sqrt(a.value()));
}

Result logarithm(Number a) {
    if (a.value() <= 0.0) return std::nullopt;
    return checkedDouble(std::log(a.value()));
}

Result sine(Number a) { return checkedDouble(std::sin(a.value())); }
Result cosine(Number a) { return checkedDouble(std::cos(a.value())); }
Result tangent(Number a) { return checkedDouble(std::tan(a.value())); }
Result arcTangent(Number a) { return checkedDouble(std::atan(a.value())); }

Result inlineReal(double v) { return checkedDouble(v); }

Result toInt16(Number a) {
    const double v = roundHalfEven(a.value());
    if (!fitsInt16(v)) return std::nullopt;
    return Number::int16(static_cast<std::int16_t>(v));
}

Result toInt32(Number a) {
    const double v = roundHalfEven(a.value());
    if (!fitsInt32(v)) return std::nullopt;
    return Number::int32(static_cast<std::int32_t>(v));
}

Result toSingle(Number a) { return checkedSingle(static_cast<float>(a.value())); }

Result toDouble(Number a) { return Number::real(a.value()); }

std::string toText(Number a) {
    const double v = a.value();
    char buffer[64];
    if (v == std::trunc(v) && std::fabs(v) < 1e17) {
        std::snprintf(buffer, sizeof buffer, "%.0f", v == 0.0 ? 0.0 : v);
        return buffer;
    }
    const int digits = a.width() == Width::Single ? std::numeric_limits<float>::max_digits10
                                                  : std::numeric_limits<double>::max_digits10;
    // The shortest precision that reads back to the same value.
    for (int precision = 1; precision <= digits; ++precision) {
        std::snprintf(buffer, sizeof buffer, "%.*g", precision, v);
        const double back = std::strtod(buffer, nullptr);
        const bool same = a.width() == Width::Single ? static_cast<float>(back) == static_cast<float>(v) : back == v;
        if (same) break;
    }
    return buffer;
}

}  // namespace ts
