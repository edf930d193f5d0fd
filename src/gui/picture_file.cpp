#include "gui/picture_file.hpp"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string_view>

#include "files/crc32.hpp"

namespace ts {

namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint32_t bigEndian(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// The uncompressed text chunks of a PNG file (tEXt, and iTXt without
// compression), key to value; nothing when its chunks are damaged or it
// ends before its IEND chunk.
std::optional<std::map<std::string, std::string>> pngTexts(const std::vector<std::uint8_t>& png) {
    std::map<std::string, std::string> texts;
    std::size_t at = sizeof kPngSignature;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = bigEndian(&png[at]);
        if (length > png.size() - at - 12) return std::nullopt;
        const std::uint8_t* type = &png[at + 4];
        if (crc32(type, length + 4) != bigEndian(&png[at + 8 + length])) return std::nullopt;
        const std::string_view chunk(reinterpret_cast<const char*>(type), 4);
        const std::string_view data(reinterpret_cast<const char*>(type + 4), length);
        if (chunk == "IEND") return texts;
        const std::size_t nul = data.find('\0');
        if (chunk == "tEXt" && nul != std::string_view::npos) {
            texts[std::string(data.substr(0, nul))] = std::string(data.substr(nul + 1));
        } else if (chunk == "iTXt" && nul != std::string_view::npos && nul + 2 < data.size() && data[nul + 1] == 0) {
            // Key, compression flag and method, language tag, translated key.
            const std::size_t language = data.find('\0', nul + 3);
            const std::size_t translated =
                language == std::string_view::npos ? language : data.find('\0', language + 1);
            if (translated != std::string_view::npos)
                texts[std::string(data.substr(0, nul))] = std::string(data.substr(translated + 1));
        }
        at += 12 + std::size_t{length};
    }
    return std::nullopt;
}

}  // namespace

OpenedPicture readPictureRecipe(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    using Kind = OpenedPicture::Kind;
    const std::string name = file.filename().string();
    const bool png =
        bytes.size() >= sizeof kPngSignature && std::memcmp(bytes.data(), kPngSignature, sizeof kPngSignature) == 0;
    const QByteArray data =
        QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    if (!png) {
        QBuffer buffer;
        buffer.setData(data);
        buffer.open(QIODevice::ReadOnly);
        const QByteArray format = QImageReader::imageFormat(&buffer);
        if (format.isEmpty()) return {Kind::NotAnImage, {}, name + " is not an image."};
        return {Kind::NoRecipe,
                {},
                name + " is a " + format.toUpper().toStdString() +
                    " image without a recipe: only the PNG files Textscape writes carry their text."};
    }
    const auto texts = pngTexts(bytes);
    QImage image;
    if (!texts || !image.loadFromData(data, "PNG"))
        return {Kind::Broken, {}, name + " is a damaged PNG file: it cannot be read to its end."};

    const auto value = [&texts](const char* key) -> const std::string* {
        const auto found = texts->find(key);
        return found == texts->end() ? nullptr : &found->second;
    };
    if (const std::string* text = value("Text")) return {Kind::Text, *text, {}};
    const std::string* software = value("Software");
    if (const std::string* title = value("Title"); title && software && software->starts_with("textscape"))
        return {Kind::Text, *title, {}};
    return {Kind::NoRecipe, {}, name + " has no recipe: it is not a picture Textscape wrote."};
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
