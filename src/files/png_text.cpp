#include "files/png_text.hpp"

#include <algorithm>
#include <array>

#include "files/crc32.hpp"
#include "numeric/check.hpp"

namespace ts {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

std::uint32_t get32(const std::vector<std::uint8_t>& in, std::size_t at) {
    return (std::uint32_t{in[at]} << 24) | (std::uint32_t{in[at + 1]} << 16) | (std::uint32_t{in[at + 2]} << 8) |
           in[at + 3];
}

bool validKey(std::string_view key) {
    if (key.empty() || key.size() > 79 || key.front() == ' ' || key.back() == ' ') return false;
    return std::all_of(key.begin(), key.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u >= 32 && u <= 126) || u >= 161;
    });
}

void addText(std::vector<std::uint8_t>& png, std::string_view key, std::string_view value, bool international) {
    constexpr std::size_t kIhdrEnd = 8 + 4 + 4 + 13 + 4;
    TS_CHECK(png.size() >= kIhdrEnd && std::equal(kSignature.begin(), kSignature.end(), png.begin()), "a PNG file");
    TS_CHECK(get32(png, 8) == 13 && std::string_view(reinterpret_cast<const char*>(&png[12]), 4) == "IHDR",
             "a PNG file starting with its header");
    TS_CHECK(validKey(key), "a PNG text key of 1 to 79 printable characters");

    std::vector<std::uint8_t> body;  // type and data, which the CRC covers
    const std::string_view type = international ? "iTXt" : "tEXt";
    body.insert(body.end(), type.begin(), type.end());
    body.insert(body.end(), key.begin(), key.end());
    body.push_back(0);
    if (international) {
        body.push_back(0);  // not compressed
        body.push_back(0);  // compression method
        body.push_back(0);  // no language tag
        body.push_back(0);  // no translated keyword
    }
    body.insert(body.end(), value.begin(), value.end());

    std::vector<std::uint8_t> chunk;
    put32(chunk, static_cast<std::uint32_t>(body.size() - 4));
    chunk.insert(chunk.end(), body.begin(), body.end());
    put32(chunk, crc32(body.data(), body.size()));
    png.insert(png.begin() + static_cast<std::ptrdiff_t>(kIhdrEnd), chunk.begin(), chunk.end());
}

}  // namespace

void addPngText(std::vector<std::uint8_t>& png, std::string_view key, std::string_view value) {
    const bool ascii =
        std::all_of(value.begin(), value.end(), [](char c) { return static_cast<unsigned char>(c) < 128; });
    addText(png, key, value, !ascii);
}

void addPngInternationalText(std::vector<std::uint8_t>& png, std::string_view key, std::string_view value) {
    addText(png, key, value, true);
}

}  // namespace ts
