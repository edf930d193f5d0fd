#pragma once

#include <array>

#include "platform/colour.hpp"
#include "state/form_state.hpp"

namespace ts {

// The 280 consecutive palette entries a picture can show, starting at its
// palette offset pozic0: colour m is entry Int(m + pozic0).
class PaletteWindow {
public:
    static constexpr int kSize = 280;

    static PaletteWindow load(const FormState& s);

    Colour operator[](int m) const { return colours_[static_cast<std::size_t>(m)]; }

private:
    std::array<Colour, kSize> colours_{};
};

// The colour of palette entry k: red + 256 * green + 65536 * blue, each level
// taken as a 16-bit integer.
Colour paletteColour(const FormState& s, int k);

}  // namespace ts
