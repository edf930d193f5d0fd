#pragma once

#include <string>
#include <string_view>

#include "platform/outcome.hpp"
#include "platform/random_source.hpp"
#include "state/form_state.hpp"
#include "state/picture_definition.hpp"

namespace ts {

inline constexpr int kMaxTextLength = 100;  // characters (code points)

// The text as picture definition `definition` (a known one) takes it: in
// NFC from definition 2 on, as given in definition 1. `text` must be
// well-formed UTF-8. checkText and ReadTextSeed both take the text through
// here, so the text that is counted, coded, captioned and stored is this one.
std::string normaliseText(std::string text, int definition = kLatestPictureDefinition);

// Whether the program takes `text` as a picture's text: well-formed UTF-8
// whose normalised form (normaliseText) has at most 100 characters, none of
// them a control character (U+0000 to U+001F, DEL, and from definition 2
// on U+0080 to U+009F). A refusal carries the reason, for the user; for a
// control character it names the character and its position, counted in
// characters from 1.
Outcome checkText(std::string_view text, int definition = kLatestPictureDefinition);

// The text's seed under picture definition `definition`: keeps the
// normalised text in t, its length in dolz and the definition in
// definition, the codes of its characters in charCodes, makes seed from
// them (123456 plus the sum of each code times the cube of its position),
// and resets and reseeds the generator from seed. The text must be one
// checkText accepts under that definition.
void ReadTextSeed(FormState& s, std::string text, RandomSource& random, int definition = kLatestPictureDefinition);

}  // namespace ts
