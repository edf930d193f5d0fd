#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/surface.hpp"
#include "state/form_state.hpp"

namespace ts {

// The caption's font size for a text of dolz characters: Int(Log(500 / dolz))
// + 9, from 15 points for one character down to 10 for 68 to 100. Empty for
// the empty text, where the division fails.
Number captionSize(const FormState& s);

// Where the caption's lines start on the 600 x 450 picture: the last
// line's top is at kCaptionTop, the lines before it lie above, each starts
// at kCaptionLeft, and none runs past kCaptionRight.
inline constexpr float kCaptionLeft = 10;
inline constexpr float kCaptionRight = 590;
inline constexpr float kCaptionTop = 415;
// The caption shrinks no further than this before it takes another line.
inline constexpr float kSmallestCaptionPoints = 9;

// The caption's place on a picture: the standard one's, scaled as the
// picture's composition is (by its height over 450), in the lower-left
// corner, with the same margins (scaled) on either side.
struct CaptionFrame {
    float scale = 1;
    float left = kCaptionLeft;
    float right = kCaptionRight;
    float lastTop = kCaptionTop;
};

// The frame of a picture of width x height pixels; at 600 x 450 the
// standard one.
CaptionFrame captionFrame(int width, int height);

// The caption as it is printed: its size and its lines, top to bottom.
struct CaptionLayout {
    float points = 0;
    std::vector<std::string> lines;
    float top = kCaptionTop;  // the first line's
    float lineHeight = 0;
};

// How the caption of `text` fits between the frame's left and right,
// measured on `canvas`: at `largestPoints` (times the frame's scale) on one
// line when it fits there; else on as few lines as possible, each line at
// the largest size from there down to kSmallestCaptionPoints (scaled), a
// point (scaled) at a time, that lets the text fit in that many. Lines
// break after a word where one ends in time, else between two characters.
// No lines for the empty text.
CaptionLayout layoutCaption(std::string_view text, float largestPoints, const Surface& canvas,
                            const CaptionFrame& frame = {});

// Prints the text in white with a thin black outline into the lower-left
// corner of the canvas, laid out by layoutCaption with captionSize as the
// largest size, then a "*" at (1, 1) of the window.
void PrintCaption(FormState& s, Surface& canvas, Surface& window, const CaptionFrame& frame = {});

}  // namespace ts
