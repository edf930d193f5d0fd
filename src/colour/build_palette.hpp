#pragma once

#include "platform/random_source.hpp"
#include "state/form_state.hpp"

namespace ts {

// Fills palette entries 0..601 with three sampled sine waves, one per
// colour channel, from the next eleven random values. re, gr and bl are the
// working storage and are left holding the levels of entry 601.
void BuildPalette(FormState& s, RandomSource& random);

}  // namespace ts
