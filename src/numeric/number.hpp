#pragma once

#include <cstdint>
#include <optional>

namespace ts {

// The four widths a number can have, ranked from narrowest to widest.
// `Empty` is the value of a member that no statement has assigned yet.
enum class Width : std::uint8_t { Empty, Int16, Int32, Single, Double };

// A numeric value as the picture formulas see it: empty, or a number of one
// of four widths. The value is kept as a double, which holds every 16-bit and
// 32-bit integer and every single-precision value exactly.
class Number {
public:
    constexpr Number() = default;  // empty

    static constexpr Number int16(std::int16_t v) { return Number(Width::Int16, v); }
    static constexpr Number int32(std::int32_t v) { return Number(Width::Int32, v); }
    static constexpr Number single(float v) { return Number(Width::Single, v); }
    static constexpr Number real(double v) { return Number(Width::Double, v); }

    constexpr Width width() const { return width_; }
    constexpr bool isEmpty() const { return width_ == Width::Empty; }
    // An empty value reads as 0 everywhere it is used.
    constexpr double value() const { return value_; }

    friend constexpr bool operator==(const Number&, const Number&) = default;

private:
    constexpr Number(Width w, double v) : width_(w), value_(v) {}

    Width width_ = Width::Empty;
    double value_ = 0.0;
};

// Every operation that can fail returns an empty optional instead of throwing.
using Result = std::optional<Number>;

}  // namespace ts
