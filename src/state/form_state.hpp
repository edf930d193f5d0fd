#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "numeric/number.hpp"
#include "state/picture_definition.hpp"

namespace ts {

// Everything the program keeps about its pictures, in one record that lives
// as long as the window. Numeric members start empty and keep their value
// until a statement assigns them successfully: nothing is reset between
// pixels or pictures, because a failed statement repeats the value left
// before it.
//
// The members keep the short names the parameter line and the picture's
// design use; each is explained here, once. The per-pixel record
// (PixelState) uses the same names for the same quantities.
struct FormState {
    Number sir;            // canvas width, 600: last column of the sweep and of the copy
    Number vis;            // canvas height, 450: last row of the sweep and of the copy
    std::string imeslike;  // the picture's name: "T" and its date-time stamp
    // The instant the name was read from the clock, when the clock knows it:
    // the picture's Creation Time, with the offset the zone had then.
    std::optional<std::time_t> madeAt;
    Number i;                 // current column (also the info band's x counter)
    Number j;                 // current row, 0 at the top
    Number x, y;              // plane coordinates of the current pixel
    Number polx, poly;        // half width and half height of the plane window
    Number dx, dy;            // pixels per plane unit
    Number ba;                // shape value of the current pixel
    Number re, gr, bl;        // channel values; also the palette build's working storage
    Number barva;             // colour index of the current pixel
    Number tip1;              // shape formula, 1..kShapeFormulaCount
    Number tip2;              // channel mode, 1..3
    Number tip3;              // mixing mode, 1..4
    Number pozic0;            // palette offset, 5..304
    Number fi0;               // start angle of the pole on its circle
    Number r0;                // radius of the pole's circle
    Number korakfi1;          // pole angle step per visited pixel
    Number fi1;               // pole angle walked so far
    Number fit;               // current pole angle, fi0 + fi1
    Number r;                 // distance of the pixel from the pole
    Number fi;                // slope angle of the pixel about the pole
    Number fak1, fak2, fak3;  // channel factors, one per colour channel
    std::string t;            // the user's text, UTF-8
    std::string t1;           // first line of the prompt
    std::string t2;           // second line of the prompt
    Number seed;              // the seed made from the text
    Number dolz;              // number of characters of the text
    // The picture definition the text was coded with (set by ReadTextSeed).
    int definition = kLatestPictureDefinition;

    static constexpr int kCharCodeCount = 101;
    static constexpr int kPaletteEntries = 611;
    static constexpr int kPaletteChannels = 4;

    // Entry k (1..dolz) holds the code of the k-th character of t.
    std::array<std::int16_t, kCharCodeCount> charCodes{};
    // palette[k][m]: entry k, channel m (1 red, 2 green, 3 blue).
    std::array<std::array<Number, kPaletteChannels>, kPaletteEntries> palette{};

    // Every member the same, numbers of the same width.
    friend bool operator==(const FormState&, const FormState&) = default;
};

}  // namespace ts
