#include "colour/palette_window.hpp"

#include <cmath>
#include <stdexcept>

#include "numeric/operations.hpp"

namespace ts {
namespace {

std::uint8_t level(Number cell) {
    const Result v = toInt16(cell);
    if (!v || v->value() < 0 || v->value() > 255) throw std::range_error("palette level out of range");
    return static_cast<std::uint8_t>(v->value());
}

}  // namespace

Colour paletteColour(const FormState& s, int k) {
    if (k < 0 || k >= FormState::kPaletteEntries) throw std::out_of_range("palette entry out of range");
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
