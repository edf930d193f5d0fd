#pragma once

#include "platform/raster.hpp"
#include "state/form_state.hpp"

namespace ts {

// Draws one picture: visits columns 0..sir and rows 0..vis, column by
// column, and runs the five per-pixel procedures for each position.
void RenderField(FormState& s, Raster& canvas);

}  // namespace ts
