#include "colour/palette_window.hpp"

#include <cmath>

#include "numeric/check.hpp"
#include "numeric/operations.hpp"

namespace ts {
namespace {

std::uint8_t level(Number cell) {
    const Result v = toInt16(cell);
    // The palette's levels run 0..252 by construction.
    TS_CHECK(v && v->value() >= 0 && v->value() <= 255, "a palette level of 0..255");
    return static_cast<std::uint8_t>(v->value());
}

}  // namespace

Colour paletteColour(const FormState& s, int k) {
    TS_CHECK(k >= 0 && k < FormState::kPaletteEntries, "a palette entry of 0..610");
    const auto& entry = s.palette[static_cast<std::size_t>(k)];
    return Colour::fromRgb(level(entry[1]), level(entry[2]), level(entry[3]));
}

PaletteWindow PaletteWindow::load(const FormState& s) {
    PaletteWindow w;
    for (int m = 0; m < kSize; ++m) {
        const int k = static_cast<int>(std::floor(m + s.pozic0.value()));
        w.colours_[static_cast<std::size_t>(m)] = paletteColour(s, k);
    }
    return w;
}

}  // namespace ts
