#pragma once

#include <string>

#include "platform/clock.hpp"
#include "platform/random_source.hpp"
#include "state/form_state.hpp"

namespace ts {

// The name a picture made now gets: "T" and the clock's yyyymmddhhmmss.
std::string pictureName(Clock& clock);

// Names the picture after the clock ("T" and yyyymmddhhmmss) and draws its
// selectors, palette offset, pole and channel factors from the next nine
// random values.
void DrawParameters(FormState& s, Clock& clock, RandomSource& random);

}  // namespace ts
