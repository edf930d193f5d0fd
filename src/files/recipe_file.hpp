#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "files/png_recipe.hpp"

namespace ts {

// What reading a picture file for its recipe gave. The renderer's --from and
// the window's Open and drop all read through readRecipeFile, so that they
// take and refuse the same files; each words the refusal its own way.
struct RecipeRead {
    enum class Problem {
        None,         // `recipe` holds the recipe, and its text is one the program takes
        Unreadable,   // not read: missing, not a regular file, too large, a read error
        NotPng,       // not a PNG file
        Damaged,      // a PNG file that is damaged or cut short
        NoRecipe,     // a PNG file without a Textscape recipe (or with a compressed one)
        TooNew,       // a Textscape recipe of a picture definition newer than this program's
        TextRefused,  // a recipe whose text checkText refuses
    };
    Problem problem = Problem::None;
    std::string message;  // one line for the user, naming the file as it was given
    // What readPngRecipe or checkText said, without the file's name:
    // "damaged: the chunk at byte 33 fails its CRC check"; empty when
    // Unreadable (the message says why).
    std::string reason;
    PictureRecipe recipe;             // None and TextRefused: what the file carries
    std::vector<std::uint8_t> bytes;  // the file as read (empty when Unreadable)

    explicit operator bool() const { return problem == Problem::None; }
};

// The recipe in the bytes of `file` (readPngRecipe), with its text checked.
RecipeRead readRecipe(const std::filesystem::path& file, std::vector<std::uint8_t> bytes);

// The same, reading the file first: a regular file of at most
// kMaxPictureFileBytes, read chunk by chunk and no further than what is
// wrong with it (readBoundedPng).
RecipeRead readRecipeFile(const std::filesystem::path& file);

}  // namespace ts
