#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/png_encoder.hpp"
#include "platform/outcome.hpp"
#include "platform/raster.hpp"
#include "state/form_state.hpp"
#include "state/picture_definition.hpp"

namespace ts {

// What a PNG file carries so that the picture can be traced to its text and
// made again from it.
struct PictureRecipe {
    std::string text;          // the picture's text, UTF-8
    std::string parameters;    // the window's parameter line
    std::string software;      // the program and its version
    std::string creationTime;  // when the picture was made, RFC 3339 (see creationTime)
    // The picture definition that drew it.
    int definition = kLatestPictureDefinition;
    // The picture's size in pixels and whether its caption was drawn; 0 and
    // nullopt when not recorded (files from before they were).
    int width = 0, height = 0;
    std::optional<bool> caption{};
    // The pHYs resolution in dots per inch; 0 is the size's own (dpiForSize).
    // Written only, not read back.
    int dpi = 0;

    friend bool operator==(const PictureRecipe&, const PictureRecipe&) = default;
};

// The PNG keywords the recipe is stored under: the ones image viewers show.
inline constexpr const char* kTitleKey = "Title";                 // the text, UTF-8 in iTXt
inline constexpr const char* kDescriptionKey = "Description";     // the parameter line
inline constexpr const char* kSoftwareKey = "Software";           // "textscape-render 1.0.0"
inline constexpr const char* kCreationTimeKey = "Creation Time";  // "2026-03-08T14:05:09+01:00"
// The picture definition's number, "2"; a file without it is of definition 1.
inline constexpr const char* kDefinitionKey = "Picture Definition";
// The picture's size, "1920x1080", and whether its caption was drawn, "yes" or "no".
inline constexpr const char* kSizeKey = "Picture Size";
inline constexpr const char* kCaptionKey = "Caption";
// The keywords of files written by version 1.0.0, still read.
inline constexpr const char* kOldTextKey = "Text";
inline constexpr const char* kOldParametersKey = "Parameters";

// The resolution a picture of this size is meant for: 300 dpi for the A4
// and A3 sizes (3508x2480, 4961x3508 and their upright forms), meant for
// print; 96, the screen's, for any other.
int dpiForSize(int width, int height);

// The Description a person reads, which still carries the parameter line:
// `Textscape picture of "sunset", definition 2, 1920 × 1080 (tip1=7  tip2=2
// tip3=3  seed=4133079); textscape-render --from FILE makes it again` (the
// size left out when not recorded).
std::string describe(const PictureRecipe& recipe);

// The parameter line a Description carries: the one inside describe's
// sentence, or the whole value as files before it wrote it.
std::string parametersOf(std::string_view description);

// What a PNG file of the picture carries: the recipe's text chunks in the
// order Title, Description, Software, Creation Time (empty values are left
// out; the text goes into tEXt as Latin-1 when it is all Latin-1, otherwise
// into an uncompressed UTF-8 iTXt chunk; the Description is describe's),
// Picture Definition, Picture Size and Caption (when recorded), pHYs at the
// recipe's dpi, and sRGB. The recipe's values hold no NUL byte and its
// definition is one this program draws: anything else is a programming error.
PngMetadata pngMetadataOf(const PictureRecipe& recipe);

// The PNG file of the raster, carrying the recipe (pngMetadataOf), as the
// image formats' table calls an encoder. Into memory libpng fails only for
// want of memory, which throws.
[[nodiscard]] Outcome encodePngFile(const Raster& raster, const PictureRecipe& recipe, std::vector<std::uint8_t>& png);

// The recipe a PNG file carries, read from its bytes alone: the signature,
// every chunk's length and CRC up to IEND, and the text chunks (tEXt, whose
// Latin-1 is given as UTF-8, and uncompressed iTXt) under the keys above;
// Title is preferred to the older Text, Description to Parameters, and the
// first chunk of a key counts. A file counts as carrying a recipe when it
// has the text and its Software names a Textscape program ("textscape" or
// "textscape-render", alone or followed by a space and more); without a
// Picture Definition it is of definition 1. Any input is answered, never
// trusted: on failure the Outcome (Failure::Refused) says in a few words,
// without a file name, whether the bytes are not a PNG file, a damaged one,
// one whose recipe is compressed, one without a recipe, or one of a picture
// definition this program does not draw (newerDefinitionMessage for a newer
// one). On success `recipe` is filled in.
Outcome readPngRecipe(std::span<const std::uint8_t> png, PictureRecipe& recipe);

// The Creation Time of a picture named "T<yyyymmddhhmmss>" (its stamp in
// local time), in RFC 3339 form with the given offset from UTC in seconds:
// "2026-03-08T14:05:09+01:00". Empty when the name holds no such stamp.
std::string creationTime(std::string_view pictureName, long utcOffsetSeconds);

// The same, with the offset the system's time zone had at that moment
// (in the hour repeated when clocks go back, the first of the two).
std::string localCreationTime(std::string_view pictureName);

// A picture's Creation Time: its instant (FormState::madeAt) with the
// offset the zone had at that instant, or, from a clock that gave no
// instant, the one its name tells (localCreationTime).
std::string creationTimeOf(const FormState& s);

}  // namespace ts
