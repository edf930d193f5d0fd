#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "state/picture_definition.hpp"

namespace ts {

// What "Open picture…" and a dropped file find in a file: the text of the
// recipe a PNG written by Textscape carries, or why there is none. Read with
// readRecipeFile, as the renderer's --from reads.
struct OpenedPicture {
    enum class Kind {
        Text,         // the recipe's text, one checkText takes
        NoRecipe,     // an image, but without a Textscape recipe
        TooNew,       // a Textscape picture of a newer picture definition
        Broken,       // a PNG file that is damaged or cut short
        NotAnImage,   // not an image at all
        Unreadable,   // the file cannot be read: missing, not a regular file, too large
        RefusedText,  // a recipe whose text the program does not take
    };
    Kind kind = Kind::Unreadable;
    std::string text;                           // Text: the recipe's text, exactly as written
    std::string message;                        // otherwise: one line for the user, naming the file
    int definition = kLatestPictureDefinition;  // Text: the picture definition that drew it
    // Text: the file's size and whether its caption was drawn; 0 and nullopt
    // when the file does not record them.
    int width = 0, height = 0;
    std::optional<bool> caption{};
};

// Reads the recipe from the bytes of `file` (see readRecipe), and tells a
// file that is not a PNG apart: another kind of image, or not an image.
// Needs a QGuiApplication.
OpenedPicture readPictureRecipe(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);

// The same, reading the file first (see readRecipeFile).
OpenedPicture readPictureFile(const std::filesystem::path& file);

}  // namespace ts
