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

// What a PNG file of the picture carries: the recipe's text chunks in the
// order Title, Description, Software, Creation Time (empty values are left
// out; the text always goes into an uncompressed UTF-8 iTXt chunk), Picture
// Definition, Picture Size and Caption (when recorded), and
// pHYs at kScreenPixelsPerMetre. The recipe's values hold no NUL byte and its
// definition is one this program draws: anything else is a programming error.
PngMetadata pngMetadataOf(const PictureRecipe& recipe);

// The PNG file of the raster, carrying the recipe (pngMetadataOf). Into
// memory libpng fails only for want of memory, which throws.
std::vector<std::uint8_t> encodePngFile(const Raster& raster, const PictureRecipe& recipe);

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

// The same, with the offset the system's time zone had at that moment.
std::string localCreationTime(std::string_view pictureName);

}  // namespace ts
