#pragma once

#include <string>

#include "platform/surface.hpp"
#include "state/form_state.hpp"

namespace ts {

// "tip1=7  tip2=2  tip3=4  seed=127010"
std::string parameterLine(const FormState& s);

// Paints the light grey band at x 650..880, y 560..580 of the window and
// prints the parameter line into it. Leaves i at 881.
void DrawInfoLine(FormState& s, Surface& window);

}  // namespace ts
