#include "seed/character_code.hpp"

#include <array>
#include <cstdlib>
#include <memory>
#include <new>

#include <utf8proc.h>

#include "numeric/check.hpp"
#include "state/picture_definition.hpp"

namespace ts {
namespace {

// The characters Windows-1252 places at 0x80..0x9F; 0 marks the five
// positions it leaves unassigned.
constexpr std::array<char32_t, 32> kHighControlBlock = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

constexpr std::int16_t kUnrepresentable = 63;  // "?"

// Codes 256..32767 for the code points from 256 on: positive 16-bit codes,
// so that the seed stays above 0.
constexpr char32_t kFoldedFirst = 256;
constexpr char32_t kFoldedCount = 32768 - kFoldedFirst;

}  // namespace

std::optional<std::int16_t> windows1252Code(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<std::int16_t>(c);
    for (std::size_t k = 0; k < kHighControlBlock.size(); ++k) {
        if (kHighControlBlock[k] != 0 && kHighControlBlock[k] == c) return static_cast<std::int16_t>(0x80 + k);
    }
    return std::nullopt;
}

std::int16_t characterCode(char32_t c, int definition) {
    if (const std::optional<std::int16_t> code = windows1252Code(c)) return *code;
    if (pictureDefinition(definition).uncoded == UncodedCharacters::Folded && c >= kFoldedFirst)
        return static_cast<std::int16_t>(kFoldedFirst + (c - kFoldedFirst) % kFoldedCount);
    return kUnrepresentable;
}

std::string nfc(std::string_view utf8) {
    if (utf8.empty()) return {};
    utf8proc_uint8_t* mapped = nullptr;
    const utf8proc_ssize_t length =
        utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(utf8.data()), static_cast<utf8proc_ssize_t>(utf8.size()),
                     &mapped, static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
    if (length == UTF8PROC_ERROR_NOMEM) throw std::bad_alloc();
    const std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> owned(mapped, &std::free);
    TS_CHECK(length >= 0 && mapped != nullptr, "well-formed UTF-8 to normalise");
    return std::string(reinterpret_cast<const char*>(mapped), static_cast<std::size_t>(length));
}

bool decodeUtf8(std::string_view utf8, std::u32string* out) {
    bool wellFormed = true;
    std::size_t k = 0;
    const auto byte = [&](std::size_t n) { return static_cast<unsigned char>(utf8[n]); };
    while (k < utf8.size()) {
        const unsigned char lead = byte(k);
        std::size_t extra = 0;
        char32_t c = 0;
        if (lead < 0x80) {
            c = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            c = lead & 0x1Fu;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            c = lead & 0x0Fu;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            c = lead & 0x07u;
        } else {
            extra = 4;  // no such sequence
        }
        bool ok = extra < 4 && k + extra < utf8.size();
        for (std::size_t n = 1; ok && n <= extra; ++n) {
            const unsigned char next = byte(k + n);
            if ((next & 0xC0) != 0x80)
                ok = false;
            else
                c = (c << 6) | (next & 0x3Fu);
        }
        static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (!ok || c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            wellFormed = false;
            if (out) out->push_back(0xFFFD);
            ++k;
            continue;
        }
        if (out) out->push_back(c);
        k += extra + 1;
    }
    return wellFormed;
}

std::u32string codePoints(std::string_view utf8) {
    std::u32string out;
    (void)decodeUtf8(utf8, &out);
    return out;
}

std::string utf8(std::u32string_view text) {
    std::string out;
    for (char32_t c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

}  // namespace ts
