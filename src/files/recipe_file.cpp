#include "files/recipe_file.hpp"

#include <string_view>
#include <utility>

#include "files/file_input.hpp"
#include "seed/read_text_seed.hpp"
#include "state/picture_definition.hpp"

namespace ts {

RecipeRead readRecipe(const std::filesystem::path& file, std::vector<std::uint8_t> bytes) {
    RecipeRead read;
    read.bytes = std::move(bytes);
    const auto refuse = [&](RecipeRead::Problem problem, std::string reason, std::string_view saying = "") {
        read.problem = problem;
        read.reason = std::move(reason);
        read.message = file.string() + ": " + std::string(saying) + read.reason;
        return std::move(read);
    };
    if (const Outcome found = readPngRecipe(read.bytes, read.recipe); !found) {
        // readPngRecipe's messages start with what is wrong.
        if (found.message.starts_with("not a PNG file")) return refuse(RecipeRead::Problem::NotPng, found.message);
        if (found.message.starts_with("damaged: ")) return refuse(RecipeRead::Problem::Damaged, found.message);
        if (found.message.starts_with(kNeedsDefinition)) return refuse(RecipeRead::Problem::TooNew, found.message);
        return refuse(RecipeRead::Problem::NoRecipe, found.message);
    }
    if (const Outcome checked = checkText(read.recipe.text, read.recipe.definition); !checked)
        return refuse(RecipeRead::Problem::TextRefused, checked.message, "its text is refused: ");
    return read;
}

RecipeRead readRecipeFile(const std::filesystem::path& file) {
    std::vector<std::uint8_t> bytes;
    if (Outcome got = readBoundedPng(file, kMaxPictureFileBytes, bytes); !got) {
        RecipeRead read;
        read.problem = RecipeRead::Problem::Unreadable;
        read.message = std::move(got.message);
        return read;
    }
    return readRecipe(file, std::move(bytes));
}

}  // namespace ts
