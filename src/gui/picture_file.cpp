#include "gui/picture_file.hpp"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string_view>

#include "files/png_recipe.hpp"

namespace ts {

namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

}  // namespace

OpenedPicture readPictureRecipe(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    using Kind = OpenedPicture::Kind;
    const std::string name = file.filename().string();
    PictureRecipe recipe;
    const Outcome read = readPngRecipe(bytes, recipe);
    if (read) return {Kind::Text, recipe.text, {}, recipe.definition};
    if (read.message.starts_with(kNeedsDefinition)) return {Kind::TooNew, {}, name + ": " + read.message + "."};

    const bool png =
        bytes.size() >= sizeof kPngSignature && std::memcmp(bytes.data(), kPngSignature, sizeof kPngSignature) == 0;
    if (png) {
        // The reader says "damaged: ..." of a file it cannot read to its end.
        constexpr std::string_view kDamaged = "damaged: ";
        if (read.message.starts_with(kDamaged))
            return {Kind::Broken, {}, name + " is a damaged PNG file: " + read.message.substr(kDamaged.size()) + "."};
        return {Kind::NoRecipe, {}, name + ": " + read.message + "; only pictures Textscape wrote can be opened."};
    }
    // Another kind of image has no recipe; anything else is not an image.
    QBuffer buffer;
    buffer.setData(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = QImageReader::imageFormat(&buffer);
    if (format.isEmpty()) return {Kind::NotAnImage, {}, name + " is not an image."};
    return {Kind::NoRecipe,
            {},
            name + " is a " + format.toUpper().toStdString() +
                " image without a recipe: only the PNG files Textscape writes carry their text."};
}

OpenedPicture readPictureFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return {OpenedPicture::Kind::Unreadable, {}, "Could not read " + file.string() + ": " + std::strerror(errno)};
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return {OpenedPicture::Kind::Unreadable, {}, "Could not read " + file.string() + ": " + std::strerror(errno)};
    }
    return readPictureRecipe(file, bytes);
}

}  // namespace ts
