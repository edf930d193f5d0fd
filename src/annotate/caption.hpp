#pragma once

#include "platform/surface.hpp"
#include "state/form_state.hpp"

namespace ts {

// The caption's font size for a text of dolz characters: Int(Log(500 / dolz))
// + 9, from 15 points for one character down to 10 for 68 to 100. Empty for
// the empty text, where the division fails.
Number captionSize(const FormState& s);

// Prints the text in white at (10, 415) of the canvas, in a size that
// shrinks as the text grows, then a "*" at (1, 1) of the window.
void PrintCaption(FormState& s, Surface& canvas, Surface& window);

}  // namespace ts
