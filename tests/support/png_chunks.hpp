#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace ts::testing {

// PNG's CRC-32, bit by bit: slow and plainly right.
inline std::uint32_t pngCrc(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t k = 0; k < size; ++k) {
        crc ^= data[k];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return crc ^ 0xFFFFFFFFu;
}

// A chunk of the given type and data, with its length and CRC.
inline std::vector<std::uint8_t> pngChunk(std::string_view type, std::string_view data) {
    std::vector<std::uint8_t> out;
    const auto put32 = [&](std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
    };
    put32(static_cast<std::uint32_t>(data.size()));
    for (const char c : type) out.push_back(static_cast<std::uint8_t>(c));
    for (const char c : data) out.push_back(static_cast<std::uint8_t>(c));
    put32(pngCrc(out.data() + 4, out.size() - 4));
    return out;
}

// Where the chunks of a PNG file start, and their types, in file order.
struct PngChunkAt {
    std::size_t at;
    std::string type;
};
inline std::vector<PngChunkAt> pngChunks(const std::vector<std::uint8_t>& png) {
    std::vector<PngChunkAt> chunks;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::size_t length = (std::size_t{png[at]} << 24) | (std::size_t{png[at + 1]} << 16) |
                                   (std::size_t{png[at + 2]} << 8) | png[at + 3];
        chunks.push_back(
            {at, std::string(png.begin() + static_cast<long>(at) + 4, png.begin() + static_cast<long>(at) + 8)});
        at += 12 + length;
    }
    return chunks;
}

// The smallest PNG: one black pixel.
inline std::vector<std::uint8_t> tinyPng() {
    return {0x89, 'P',  'N',  'G',  '\r', '\n', 0x1A, '\n', 0,    0,    0,    13,  'I',  'H',  'D',  'R',  0,
            0,    0,    1,    0,    0,    0,    1,    8,    0,    0,    0,    0,   0x3A, 0x7E, 0x9B, 0x55, 0,
            0,    0,    10,   'I',  'D',  'A',  'T',  0x78, 0x9C, 0x63, 0x60, 0,   0,    0,    2,    0,    1,
            0x48, 0xAF, 0xA4, 0x71, 0,    0,    0,    0,    'I',  'E',  'N',  'D', 0xAE, 0x42, 0x60, 0x82};
}

// The tEXt and iTXt (uncompressed) chunks of a PNG file, key to value, read
// byte for byte, tEXt's Latin-1 given as UTF-8. A chunk whose CRC does not match is given as key "!crc".
inline std::map<std::string, std::string> pngTexts(const std::vector<std::uint8_t>& png) {
    const auto u32 = [&](std::size_t at) {
        return (std::uint32_t{png[at]} << 24) | (std::uint32_t{png[at + 1]} << 16) | (std::uint32_t{png[at + 2]} << 8) |
               png[at + 3];
    };
    std::map<std::string, std::string> texts;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::uint32_t length = u32(at);
        if (at + 12 + length > png.size()) break;
        if (pngCrc(png.data() + at + 4, 4 + std::size_t{length}) != u32(at + 8 + length))
            texts["!crc"] += std::to_string(at) + " ";
        const std::string type(png.begin() + static_cast<long>(at) + 4, png.begin() + static_cast<long>(at) + 8);
        const std::string data(png.begin() + static_cast<long>(at) + 8,
                               png.begin() + static_cast<long>(at) + 8 + static_cast<long>(length));
        const std::size_t nul = data.find('\0');
        if (type == "tEXt" && nul != std::string::npos) {
            std::string utf8;
            for (const char c : data.substr(nul + 1)) {
                const auto u = static_cast<unsigned char>(c);
                if (u < 0x80) {
                    utf8.push_back(c);
                } else {
                    utf8.push_back(static_cast<char>(0xC0 | (u >> 6)));
                    utf8.push_back(static_cast<char>(0x80 | (u & 0x3F)));
                }
            }
            texts[data.substr(0, nul)] = utf8;
        } else if (type == "iTXt" && nul != std::string::npos && nul + 2 < data.size() && data[nul + 1] == 0) {
            const std::size_t language = data.find('\0', nul + 3);
            const std::size_t translated = data.find('\0', language + 1);
            texts[data.substr(0, nul)] = data.substr(translated + 1);
        }
        at += 12 + length;
    }
    return texts;
}

}  // namespace ts::testing
