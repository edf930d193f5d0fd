#pragma once

#include <string>
#include <string_view>

#include "platform/outcome.hpp"
#include "platform/random_source.hpp"
#include "state/form_state.hpp"

namespace ts {

inline constexpr int kMaxTextLength = 100;  // characters (code points)

// Whether the program takes `text` as a picture's text: well-formed UTF-8 of
// at most 100 characters, none of them a control character (U+0000 to
// U+001F, or DEL). A refusal carries the reason, for the user; for a control
// character it names the character and its position, counted in characters
// from 1.
Outcome checkText(std::string_view text);

// The text's seed: keeps the text in t and its length in dolz, the codes of
// its characters in charCodes, makes seed from them (123456 plus the sum of
// each code times the cube of its position), and resets and reseeds the
// generator from seed. The text must be one checkText accepts.
void ReadTextSeed(FormState& s, std::string text, RandomSource& random);

}  // namespace ts
