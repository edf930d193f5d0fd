#include "files/png_recipe.hpp"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <ctime>
#include <initializer_list>
#include <optional>

#include "numeric/check.hpp"
#include "platform/clock.hpp"
#include "render/sweep.hpp"

namespace ts {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFFu;

std::uint32_t get32(std::span<const std::uint8_t> in, std::size_t at) {
    return (std::uint32_t{in[at]} << 24) | (std::uint32_t{in[at + 1]} << 16) | (std::uint32_t{in[at + 2]} << 8) |
           in[at + 3];
}

std::string latin1ToUtf8(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (const char c : latin1) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            out.push_back(c);
        } else {
            out.push_back(static_cast<char>(0xC0 | (u >> 6)));
            out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
        }
    }
    return out;
}

// One text chunk's key and value, as far as it can be read.
struct TextChunk {
    std::string key;
    std::string value;
    bool compressed = false;  // zTXt, or iTXt with its compression flag set: value not read
};

std::optional<TextChunk> readTextChunk(std::string_view type, std::string_view data) {
    const std::size_t nul = data.find('\0');
    if (nul == std::string_view::npos || nul == 0 || nul > 79) return std::nullopt;
    TextChunk chunk{std::string(data.substr(0, nul)), {}, false};
    const std::string_view rest = data.substr(nul + 1);
    if (type == "tEXt") {
        chunk.value = latin1ToUtf8(rest);
    } else if (type == "zTXt") {
        chunk.compressed = true;
    } else {  // iTXt: flag, method, language tag, NUL, translated keyword, NUL, text
        if (rest.size() < 2) return std::nullopt;
        chunk.compressed = rest[0] != 0;
        const std::size_t languageEnd = rest.find('\0', 2);
        if (languageEnd == std::string_view::npos) return std::nullopt;
        const std::size_t translatedEnd = rest.find('\0', languageEnd + 1);
        if (translatedEnd == std::string_view::npos) return std::nullopt;
        if (!chunk.compressed) chunk.value = std::string(rest.substr(translatedEnd + 1));
    }
    return chunk;
}

bool isChunkType(std::span<const std::uint8_t> type) {
    return std::all_of(type.begin(), type.end(), [](std::uint8_t c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; });
}

// zlib's CRC-32, which is PNG's, over a span however long.
std::uint32_t chunkCrc(std::span<const std::uint8_t> bytes) {
    uLong crc = crc32_z(0, Z_NULL, 0);
    crc = crc32_z(crc, bytes.data(), bytes.size());
    return static_cast<std::uint32_t>(crc);
}

Outcome refused(std::string message) { return Outcome::failed(Failure::Refused, std::move(message)); }

// A definition number or a side as written: decimal digits without a leading zero.
std::optional<int> definitionNumber(std::string_view text) {
    constexpr std::size_t kMaxDigits = 9;  // fits an int
    if (text.empty() || text.size() > kMaxDigits || text[0] == '0') return std::nullopt;
    int number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
    }
    return number;
}

// Whether a Software value names one of the two programs, "textscape" or
// "textscape-render", alone or before a space and its version; a name that
// only begins like them ("textscapeXYZ") is another program's.
bool namesOurProgram(std::string_view software) {
    const std::string_view program = software.substr(0, software.find(' '));
    return program == "textscape" || program == "textscape-render";
}

std::string twoDigits(int value) { return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)}; }

// The UTF-8 text in Latin-1 bytes, when every character is Latin-1.
std::optional<std::string> utf8ToLatin1(std::string_view utf8) {
    std::string out;
    for (std::size_t k = 0; k < utf8.size(); ++k) {
        const auto u = static_cast<unsigned char>(utf8[k]);
        if (u < 0x80) {
            out.push_back(static_cast<char>(u));
        } else if ((u == 0xC2 || u == 0xC3) && k + 1 < utf8.size() &&
                   (static_cast<unsigned char>(utf8[k + 1]) & 0xC0) == 0x80) {
            out.push_back(static_cast<char>(((u & 0x03) << 6) | (static_cast<unsigned char>(utf8[k + 1]) & 0x3F)));
            ++k;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

constexpr std::string_view kDescriptionStart = "Textscape picture of \"";
constexpr std::string_view kDescriptionEnd = "); textscape-render --from FILE makes it again";

}  // namespace

int dpiForSize(int width, int height) {
    const auto is = [&](int w, int h) { return (width == w && height == h) || (width == h && height == w); };
    return is(3508, 2480) || is(4961, 3508) ? 300 : 96;
}

std::string describe(const PictureRecipe& recipe) {
    std::string out(kDescriptionStart);
    out += recipe.text + "\", definition " + std::to_string(recipe.definition);
    if (recipe.width > 0 && recipe.height > 0)
        out += ", " + std::to_string(recipe.width) + " \u00d7 " + std::to_string(recipe.height);
    return out + " (" + recipe.parameters + std::string(kDescriptionEnd);
}

std::string parametersOf(std::string_view description) {
    if (!description.starts_with(kDescriptionStart) || !description.ends_with(kDescriptionEnd))
        return std::string(description);
    const std::string_view body = description.substr(0, description.size() - kDescriptionEnd.size());
    // The parameter line holds no " (", the text may.
    const std::size_t open = body.rfind(" (");
    if (open == std::string_view::npos || open < kDescriptionStart.size()) return std::string(description);
    return std::string(body.substr(open + 2));
}

PngMetadata pngMetadataOf(const PictureRecipe& recipe) {
    PngMetadata metadata;
    if (std::optional<std::string> latin1 = utf8ToLatin1(recipe.text)) {
        metadata.texts.push_back({kTitleKey, std::move(*latin1), false, true});
    } else {
        metadata.texts.push_back({kTitleKey, recipe.text, true});
    }
    if (!recipe.parameters.empty()) metadata.texts.push_back({kDescriptionKey, describe(recipe)});
    if (!recipe.software.empty()) metadata.texts.push_back({kSoftwareKey, recipe.software});
    if (!recipe.creationTime.empty()) metadata.texts.push_back({kCreationTimeKey, recipe.creationTime});
    TS_CHECK(isKnownPictureDefinition(recipe.definition), "a recipe of a picture definition this program draws");
    metadata.texts.push_back({kDefinitionKey, std::to_string(recipe.definition)});
    if (recipe.width > 0 && recipe.height > 0)
        metadata.texts.push_back({kSizeKey, std::to_string(recipe.width) + "x" + std::to_string(recipe.height)});
    if (recipe.caption) metadata.texts.push_back({kCaptionKey, *recipe.caption ? "yes" : "no"});
    const int dpi = recipe.dpi > 0 ? recipe.dpi : dpiForSize(recipe.width, recipe.height);
    // Dots per inch to pixels per metre, rounded: 96 gives 3780.
    metadata.pixelsPerMetre = static_cast<std::uint32_t>((static_cast<long long>(dpi) * 10000 + 127) / 254);
    metadata.srgb = true;
    return metadata;
}

Outcome encodePngFile(const Raster& raster, const PictureRecipe& recipe, std::vector<std::uint8_t>& png) {
    const Outcome encoded = encodePng(raster, pngMetadataOf(recipe), png);
    TS_CHECK(encoded, "libpng encodes a picture into memory");
    return encoded;
}

namespace {

// What is wrong with an IHDR chunk's data, or "" when nothing is: a file
// whose CRCs all match is still damaged when its header describes no image
// PNG can hold.
std::string headerFault(std::string_view data) {
    if (data.size() != 13) return "has " + std::to_string(data.size()) + " bytes, not 13";
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(data[k]); };
    const auto value32 = [&](std::size_t k) {
        return (std::uint32_t{byte(k)} << 24) | (std::uint32_t{byte(k + 1)} << 16) | (std::uint32_t{byte(k + 2)} << 8) |
               std::uint32_t{byte(k + 3)};
    };
    const std::uint32_t width = value32(0), height = value32(4);
    if (width == 0 || height == 0 || width > kMaxChunkLength || height > kMaxChunkLength)
        return "gives a size of " + std::to_string(width) + " x " + std::to_string(height);
    const unsigned depth = byte(8), colourType = byte(9);
    const auto depthIsOneOf = [&](std::initializer_list<unsigned> depths) {
        return std::find(depths.begin(), depths.end(), depth) != depths.end();
    };
    bool valid = false;
    if (colourType == 0) {  // grey
        valid = depthIsOneOf({1, 2, 4, 8, 16});
    } else if (colourType == 3) {  // palette
        valid = depthIsOneOf({1, 2, 4, 8});
    } else if (colourType == 2 || colourType == 4 || colourType == 6) {  // colour; grey or colour with alpha
        valid = depthIsOneOf({8, 16});
    } else {
        return "has colour type " + std::to_string(colourType) + ", which PNG does not have";
    }
    if (!valid)
        return "has bit depth " + std::to_string(depth) + ", which colour type " + std::to_string(colourType) +
               " does not take";
    if (byte(10) != 0) return "has compression method " + std::to_string(byte(10)) + ", which PNG does not have";
    if (byte(11) != 0) return "has filter method " + std::to_string(byte(11)) + ", which PNG does not have";
    if (byte(12) > 1) return "has interlace method " + std::to_string(byte(12)) + ", which PNG does not have";
    return "";
}

}  // namespace

Outcome readPngRecipe(std::span<const std::uint8_t> png, PictureRecipe& recipe) {
    if (png.size() < kSignature.size() || !std::equal(kSignature.begin(), kSignature.end(), png.begin()))
        return refused("not a PNG file");

    // The first value of each key; a compressed one is noted, not read.
    std::optional<std::string> title, oldText, description, oldParameters, software, created, definition, size,
        caption;
    bool textCompressed = false;
    const auto keep = [](std::optional<std::string>& slot, std::string& value) {
        if (!slot) slot = std::move(value);
    };

    bool ended = false;
    bool sawImageData = false;
    std::size_t at = kSignature.size();
    for (bool first = true; !ended; first = false) {
        const std::string where = "the chunk at byte " + std::to_string(at);
        const std::size_t left = png.size() - at;
        if (left == 0) return refused("damaged: it ends before its IEND chunk");
        // A length out of range is told from a file cut short after it.
        if (left >= 4 && get32(png, at) > kMaxChunkLength)
            return refused("damaged: " + where + " has a length out of range");
        if (left < 12) return refused("damaged: " + where + " is cut short");
        const std::uint32_t length = get32(png, at);
        if (length > left - 12) return refused("damaged: " + where + " is cut short");
        const auto body = png.subspan(at + 4, std::size_t{length} + 4);  // type and data
        if (!isChunkType(body.first(4))) return refused("damaged: " + where + " has no valid type");
        if (chunkCrc(body) != get32(png, at + 8 + length)) return refused("damaged: " + where + " fails its CRC check");

        const std::string_view type(reinterpret_cast<const char*>(body.data()), 4);
        const std::string_view data(reinterpret_cast<const char*>(body.data()) + 4, length);
        if (first && type != "IHDR") return refused("damaged: it does not start with an IHDR chunk");
        if (first) {
            if (const std::string wrong = headerFault(data); !wrong.empty())
                return refused("damaged: its IHDR chunk " + wrong);
        }
        if (type == "IDAT") sawImageData = true;
        if (type == "IEND") {
            if (!sawImageData) return refused("damaged: it has no image data (no IDAT chunk)");
            ended = true;
        }
        if (type == "tEXt" || type == "zTXt" || type == "iTXt") {
            if (std::optional<TextChunk> chunk = readTextChunk(type, data)) {
                const bool isText = chunk->key == kTitleKey || chunk->key == kOldTextKey;
                if (chunk->compressed) {
                    textCompressed = textCompressed || isText;
                } else if (chunk->key == kTitleKey) {
                    keep(title, chunk->value);
                } else if (chunk->key == kOldTextKey) {
                    keep(oldText, chunk->value);
                } else if (chunk->key == kDescriptionKey) {
                    keep(description, chunk->value);
                } else if (chunk->key == kOldParametersKey) {
                    keep(oldParameters, chunk->value);
                } else if (chunk->key == kSoftwareKey) {
                    keep(software, chunk->value);
                } else if (chunk->key == kCreationTimeKey) {
                    keep(created, chunk->value);
                } else if (chunk->key == kDefinitionKey) {
                    keep(definition, chunk->value);
                } else if (chunk->key == kSizeKey) {
                    keep(size, chunk->value);
                } else if (chunk->key == kCaptionKey) {
                    keep(caption, chunk->value);
                }
            }
        }
        at += std::size_t{length} + 12;
    }

    const std::optional<std::string>& text = title ? title : oldText;
    if (!text) {
        if (textCompressed) return refused("its recipe is compressed (zTXt or compressed iTXt), which is not read");
        return refused("no Textscape recipe in its text chunks");
    }
    if (!software || !namesOurProgram(*software))
        return refused("no Textscape recipe in its text chunks (its Software is not a Textscape program)");
    // Files written before definitions were recorded are of the first.
    const std::optional<int> number = definition ? definitionNumber(*definition) : kOldestPictureDefinition;
    if (!number) return refused("its picture definition \"" + *definition + "\" is not a definition number");
    if (*number > kLatestPictureDefinition) return refused(newerDefinitionMessage(*number));
    recipe.text = *text;
    recipe.parameters = description ? parametersOf(*description) : oldParameters.value_or("");
    recipe.software = *software;
    recipe.creationTime = created.value_or("");
    recipe.definition = *number;
    // A size or caption flag that cannot be read counts as not recorded, as
    // does a size no picture can have.
    recipe.width = recipe.height = 0;
    if (size) {
        const std::size_t x = size->find('x');
        const std::optional<int> w = x == std::string::npos ? std::nullopt : definitionNumber(size->substr(0, x));
        const std::optional<int> h = x == std::string::npos ? std::nullopt : definitionNumber(size->substr(x + 1));
        const auto drawable = [](int side) { return side >= kMinPictureSide && side <= kMaxPictureSide; };
        if (w && h && drawable(*w) && drawable(*h)) {
            recipe.width = *w;
            recipe.height = *h;
        }
    }
    recipe.caption = std::nullopt;
    if (caption == "yes") recipe.caption = true;
    if (caption == "no") recipe.caption = false;
    return Outcome::ok();
}

std::string creationTime(std::string_view pictureName, long utcOffsetSeconds) {
    constexpr std::size_t kStampLength = 14;  // yyyymmddhhmmss
    if (pictureName.size() != kStampLength + 1 || pictureName[0] != 'T') return {};
    const std::string_view stamp = pictureName.substr(1);
    if (!std::all_of(stamp.begin(), stamp.end(), [](char c) { return c >= '0' && c <= '9'; })) return {};

    std::string out;
    out.append(stamp.substr(0, 4)).append("-").append(stamp.substr(4, 2)).append("-").append(stamp.substr(6, 2));
    out.append("T").append(stamp.substr(8, 2)).append(":").append(stamp.substr(10, 2)).append(":");
    out.append(stamp.substr(12, 2));
    const long minutes = (utcOffsetSeconds < 0 ? -utcOffsetSeconds + 30 : utcOffsetSeconds + 30) / 60;
    if (minutes == 0) return out + "Z";
    constexpr long kMaxMinutes = 23 * 60 + 59;  // RFC 3339's widest offset
    const long shown = std::min(minutes, kMaxMinutes);
    out.push_back(utcOffsetSeconds < 0 ? '-' : '+');
    out.append(twoDigits(static_cast<int>(shown / 60))).append(":").append(twoDigits(static_cast<int>(shown % 60)));
    return out;
}

std::string localCreationTime(std::string_view pictureName) {
    if (creationTime(pictureName, 0).empty()) return {};
    const auto number = [&](std::size_t from, std::size_t count) {
        int value = 0;
        for (std::size_t k = from; k < from + count; ++k) value = value * 10 + (pictureName[k] - '0');
        return value;
    };
    std::tm local{};
    local.tm_year = number(1, 4) - 1900;
    local.tm_mon = number(5, 2) - 1;
    local.tm_mday = number(7, 2);
    local.tm_hour = number(9, 2);
    local.tm_min = number(11, 2);
    local.tm_sec = number(13, 2);
    local.tm_isdst = -1;  // as the zone had it then
    if (std::mktime(&local) == static_cast<std::time_t>(-1)) return creationTime(pictureName, 0);
    return creationTime(pictureName, local.tm_gmtoff);
}

std::string creationTimeOf(const FormState& s) {
    return s.madeAt ? localRfc3339(*s.madeAt) : localCreationTime(s.imeslike);
}

}  // namespace ts
