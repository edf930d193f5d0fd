#pragma once

#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>

namespace ts {

// A picture definition fixes how a text becomes the pixels of its field (the
// canvas before its caption, at any size). A picture file records the
// definition that drew it, so that a later Textscape draws the same field
// again from the file. Whatever would change those pixels for any text makes
// a new definition; the old ones are kept, and this table is the one place
// that says how they differ. The caption is not part of a definition: every
// picture gets the current program's caption.

// How a text is taken before it is counted, coded, captioned and stored.
enum class TextForm {
    AsGiven,  // code point by code point, as typed or as the file holds it
    Nfc,      // in Unicode Normalization Form C: one picture for each spelling
};

// The code of a character that Windows-1252 cannot represent.
enum class UncodedCharacters {
    QuestionMark,  // 63, the code of "?": many texts share one picture
    Folded,        // c >= 256: 256 + ((c - 256) mod 32512), in 256..32767
};

struct PictureDefinition {
    int number;
    TextForm form;
    bool refusesC1Controls;  // U+0080..U+009F refused like U+0000..U+001F and DEL
    UncodedCharacters uncoded;
};

// Every definition, oldest first, numbered from 1. A file without a
// definition was written before they were recorded: definition 1.
inline constexpr PictureDefinition kPictureDefinitions[] = {
    // The first Textscape's coding: the text as given, and every character
    // outside Windows-1252 counted as "?".
    {1, TextForm::AsGiven, false, UncodedCharacters::QuestionMark},
    // Every character its own code, every text in NFC, C1 controls refused.
    {2, TextForm::Nfc, true, UncodedCharacters::Folded},
};

// The definition the program draws new pictures with: the newest.
inline constexpr int kLatestPictureDefinition = static_cast<int>(std::size(kPictureDefinitions));
inline constexpr int kOldestPictureDefinition = 1;

// Whether this program can draw pictures of that definition.
constexpr bool isKnownPictureDefinition(int number) {
    return number >= kOldestPictureDefinition && number <= kLatestPictureDefinition;
}

// The definition numbered `number`, which must be a known one.
const PictureDefinition& pictureDefinition(int number);

// The start of newerDefinitionMessage's line.
inline constexpr std::string_view kNeedsDefinition = "this picture needs picture definition ";

// Why a picture of a definition newer than this program's is refused, in
// one line: "this picture needs picture definition 3; this Textscape draws
// definitions 1 to 2".
std::string newerDefinitionMessage(int number);

}  // namespace ts
