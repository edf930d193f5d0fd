#pragma once

#include "app/form_state.hpp"
#include "platform/random_source.hpp"
#include "platform/text_dialog.hpp"

namespace ts {

inline constexpr int kMaxTextLength = 100;

// Asks for a text of at most 100 characters (asking again, empty, while a
// longer one is returned), keeps it in t and dolz, makes seed from its
// character codes, and resets and reseeds the generator from seed.
void ReadTextSeed(FormState& s, TextDialog& dialog, RandomSource& random);

// The part of ReadTextSeed after the prompt: stores an accepted text and
// reseeds the generator from it. The text has at most 100 characters.
void AcceptText(FormState& s, std::string text, RandomSource& random);

}  // namespace ts
