#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "state/form_state.hpp"

namespace ts::bench {

// One picture's parameters as plain values, read from the state the
// parameter draw left.
struct BareParameters {
    int tip1 = 1, tip2 = 1, tip3 = 1;  // shape formula, channel mode, mixing mode
    double fi0 = 0, r0 = 0, korakfi1 = 0;
    double fak1 = 0, fak2 = 0, fak3 = 0;
    bool needsFi = true, needsTrigOfR = true;
    std::array<std::uint32_t, 280> window{};  // palette entries pozic0 .. pozic0 + 279

    static BareParameters from(const FormState& s);
};

// The sweep with the same per-pixel math as the program's, in bare doubles:
// the shape formulas of the table, and otherwise no failure handling, no
// state carried in or out. Writes 600 x 450 pixels.
void bareLoop(const BareParameters& p, std::vector<std::uint32_t>& pixels);

}  // namespace ts::bench
