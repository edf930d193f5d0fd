#pragma once

#include <string>

#include "platform/clock.hpp"
#include "platform/random_source.hpp"
#include "state/form_state.hpp"

namespace ts {

// Names a picture made now, from one reading of the clock: its name "T"
// and the clock's yyyymmddhhmmss (imeslike), and the instant that reading
// shows, when the clock knows it (madeAt, its Creation Time).
void namePicture(FormState& s, Clock& clock);

// Names the picture after the clock ("T" and yyyymmddhhmmss) and draws its
// selectors, palette offset, pole and channel factors from the next nine
// random values.
void DrawParameters(FormState& s, Clock& clock, RandomSource& random);

}  // namespace ts
