#pragma once

#include <string>

#include "picture/picture.hpp"
#include "platform/clock.hpp"
#include "platform/random_source.hpp"

// The state a picture of `text` starts its sweep from, through the program's
// own picture sequence, named after a fixed moment.
inline ts::FormState pictureOf(const std::string& text) {
    ts::FormState s;
    ts::SplitMixGenerator random;
    ts::FixedClock clock("03-08-2026", "12:00:00");
    ts::RasterSurface unused(1, 1);
    ts::PictureTools tools{unused, unused, clock, random};
    ts::SetGeometry(s);
    ts::PreparePicture(s, text, tools);
    return s;
}
