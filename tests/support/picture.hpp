#pragma once

#include <string>

#include "picture/picture.hpp"
#include "platform/clock.hpp"
#include "platform/random_source.hpp"
#include "state/form_state.hpp"
#include "support/fakes.hpp"

namespace ts::testing {

// Everything a picture of `text` needs before its sweep, through the
// program's own picture sequence: the start-up geometry, the seed, the
// palette and the parameters, under picture definition `definition`. The
// state carries on from whatever `s` held.
inline void prepareTextPicture(FormState& s, const std::string& text, int definition = kLatestPictureDefinition) {
    SplitMixGenerator random;
    FixedClock clock = testClock();
    RasterSurface unused(1, 1);
    PictureTools tools{unused, unused, clock, random};
    SetGeometry(s);
    PreparePicture(s, text, tools, definition);
}

// The selectors a picture of `text` gets.
struct Selectors {
    int tip1, tip2, tip3;
};

inline Selectors selectorsOf(const std::string& text, int definition = kLatestPictureDefinition) {
    FormState s;
    prepareTextPicture(s, text, definition);
    return {static_cast<int>(s.tip1.value()), static_cast<int>(s.tip2.value()), static_cast<int>(s.tip3.value())};
}

}  // namespace ts::testing
