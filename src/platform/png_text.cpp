#include "platform/png_text.hpp"

#include <algorithm>
#include <array>

namespace ts {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t k = 0; k < size; ++k) c = table[(c ^ data[k]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

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

}  // namespace

bool addPngText(std::vector<std::uint8_t>& png, std::string_view key, std::string_view value) {
    constexpr std::size_t kIhdrEnd = 8 + 4 + 4 + 13 + 4;
    if (png.size() < kIhdrEnd || !std::equal(kSignature.begin(), kSignature.end(), png.begin())) return false;
    if (get32(png, 8) != 13 || std::string_view(reinterpret_cast<const char*>(&png[12]), 4) != "IHDR") return false;
    if (!validKey(key)) return false;

    const bool ascii = std::all_of(value.begin(), value.end(), [](char c) { return static_cast<unsigned char>(c) < 128; });
    std::vector<std::uint8_t> body;  // type and data, which the CRC covers
    const std::string_view type = ascii ? "tEXt" : "iTXt";
    body.insert(body.end(), type.begin(), type.end());
    body.insert(body.end(), key.begin(), key.end());
    body.push_back(0);
    if (!ascii) {
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
    return true;
}

}  // namespace ts
