#pragma once

#include <cstdint>

namespace ts {

// A 24-bit colour. Its code is red + 256 * green + 65536 * blue; in an image
// buffer it is stored as 0xFFRRGGBB, the layout Qt paints directly.
class Colour {
public:
    constexpr Colour() = default;  // black

    static constexpr Colour fromRgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
        return Colour(0xFF000000u | (std::uint32_t{red} << 16) | (std::uint32_t{green} << 8) | blue);
    }
    // A code outside 0..0xFFFFFF keeps its low 24 bits.
    static constexpr Colour fromCode(std::int32_t code) {
        const auto c = static_cast<std::uint32_t>(code);
        return fromRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    }
    static constexpr Colour fromPixel(std::uint32_t argb) { return Colour(argb | 0xFF000000u); }
    static constexpr Colour black() { return fromRgb(0, 0, 0); }
    static constexpr Colour white() { return fromRgb(255, 255, 255); }

    constexpr std::uint8_t red() const { return static_cast<std::uint8_t>(argb_ >> 16); }
    constexpr std::uint8_t green() const { return static_cast<std::uint8_t>(argb_ >> 8); }
    constexpr std::uint8_t blue() const { return static_cast<std::uint8_t>(argb_); }
    constexpr std::int32_t code() const { return red() + 256 * green() + 65536 * blue(); }
    constexpr std::uint32_t pixel() const { return argb_; }

    friend constexpr bool operator==(Colour, Colour) = default;

private:
    constexpr explicit Colour(std::uint32_t argb) : argb_(argb) {}
    std::uint32_t argb_ = 0xFF000000u;
};

}  // namespace ts
