#pragma once

#include <string>

#include "app/form_state.hpp"
#include "app/picture_sequence.hpp"
#include "colour/build_palette.hpp"
#include "platform/random_source.hpp"
#include "seed/draw_parameters.hpp"
#include "seed/read_text_seed.hpp"
#include "support/fakes.hpp"

namespace ts::testing {

// Everything a picture of `text` needs before its sweep: the start-up
// geometry, the seed, the palette and the parameters (the name from a fixed
// clock). The state carries on from whatever `s` held before.
inline void prepareTextPicture(FormState& s, const std::string& text) {
    SplitMixGenerator random;
    FixedClock clock("03-08-2026", "14:05:09");
    SetGeometry(s);
    AcceptText(s, text, random);
    BuildPalette(s, random);
    DrawParameters(s, clock, random);
}

// The selectors a picture of `text` gets.
struct Selectors {
    int tip1, tip2, tip3;
};

inline Selectors selectorsOf(const std::string& text) {
    FormState s;
    prepareTextPicture(s, text);
    return {static_cast<int>(s.tip1.value()), static_cast<int>(s.tip2.value()), static_cast<int>(s.tip3.value())};
}

}  // namespace ts::testing
