#include "platform/terminal_text.hpp"

#include <cstdint>
#include <cstdio>

namespace ts {
namespace {

void appendEscape(std::string& out, const char* format, unsigned value) {
    char escape[8];
    std::snprintf(escape, sizeof escape, format, value);
    out += escape;
}

// The length of the valid UTF-8 sequence at the start of `s` and its code
// point, or 0 when it is not one (overlong forms and surrogates included).
std::size_t decodeOne(std::string_view s, char32_t& code) {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(s[k]); };
    const std::uint8_t lead = byte(0);
    std::size_t length = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1Fu, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0Fu, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07u, min = 0x10000;
    } else {
        return 0;
    }
    if (s.size() < length) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0u) != 0x80u) return 0;
        code = (code << 6) | (byte(k) & 0x3Fu);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

bool escaped(char32_t code) {
    return (code >= 0x80 && code <= 0x9F)         // C1 controls (CSI, NEL, ...)
           || code == 0x2028 || code == 0x2029    // line and paragraph separators
           || (code >= 0x202A && code <= 0x202E)  // embeddings and overrides
           || (code >= 0x2066 && code <= 0x2069)  // isolates
           || code == 0x200E || code == 0x200F    // direction marks
           || code == 0x061C;                     // Arabic letter mark
}

}  // namespace

std::string terminalText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        char32_t code = 0;
        const std::size_t length = decodeOne(text, code);
        if (length == 0) {
            appendEscape(out, "\\x%02X", static_cast<std::uint8_t>(text.front()));
            text.remove_prefix(1);
            continue;
        }
        if (code < 0x20 || code == 0x7F) {
            appendEscape(out, "\\x%02X", static_cast<unsigned>(code));
        } else if (escaped(code)) {
            appendEscape(out, "\\u%04X", static_cast<unsigned>(code));
        } else {
            out.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    return out;
}

}  // namespace ts
