#include "gui/picture_file.hpp"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <string_view>

#include "files/recipe_file.hpp"

namespace ts {

namespace {

// The window's words for what the recipe reader found.
OpenedPicture openedFrom(const std::filesystem::path& file, const RecipeRead& read) {
    using Kind = OpenedPicture::Kind;
    using Problem = RecipeRead::Problem;
    const std::string name = file.filename().string();
    switch (read.problem) {
        case Problem::None:
            return {Kind::Text,         read.recipe.text,   {}, read.recipe.definition, read.recipe.width,
                    read.recipe.height, read.recipe.caption};
        case Problem::Unreadable:
            return {Kind::Unreadable, {}, read.message};
        case Problem::Damaged: {
            constexpr std::string_view kDamaged = "damaged: ";
            const std::string why =
                read.reason.starts_with(kDamaged) ? read.reason.substr(kDamaged.size()) : read.reason;
            return {Kind::Broken, {}, name + " is a damaged PNG file: " + why + "."};
        }
        case Problem::NoRecipe:
            return {Kind::NoRecipe, {}, name + ": " + read.reason + "; only pictures Textscape wrote can be opened."};
        case Problem::TooNew:
            return {Kind::TooNew, {}, name + ": " + read.reason + "."};
        case Problem::TextRefused:
            return {Kind::RefusedText, {}, "The text in " + name + " cannot be used: " + read.reason};
        case Problem::NotPng:
            break;
    }
    // Another kind of image has no recipe; anything else is not an image.
    QBuffer buffer;
    buffer.setData(
        QByteArray(reinterpret_cast<const char*>(read.bytes.data()), static_cast<qsizetype>(read.bytes.size())));
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = QImageReader::imageFormat(&buffer);
    if (format.isEmpty()) return {Kind::NotAnImage, {}, name + " is not an image."};
    return {Kind::NoRecipe,
            {},
            name + " is a " + format.toUpper().toStdString() +
                " image without a recipe: only the PNG files Textscape writes carry their text."};
}

}  // namespace

OpenedPicture readPictureRecipe(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    return openedFrom(file, readRecipe(file, bytes));
}

OpenedPicture readPictureFile(const std::filesystem::path& file) { return openedFrom(file, readRecipeFile(file)); }

}  // namespace ts
