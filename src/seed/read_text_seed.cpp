#include "seed/read_text_seed.hpp"

#include "numeric/statement.hpp"
#include "seed/character_code.hpp"

namespace ts {

namespace {

// The C0 control characters and DEL: a file's text chunk or a terminal would
// take them for something other than text.
bool isControl(char32_t c) { return c < 0x20 || c == 0x7F; }

std::string codePointName(char32_t c) {
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string name = "U+0000";
    for (std::size_t k = 0; k < 4; ++k) name[5 - k] = kHex[(c >> (4 * k)) & 0xF];
    return name;
}

}  // namespace

Outcome checkText(std::string_view text) {
    if (!decodeUtf8(text, nullptr)) return Outcome::failed(Failure::Refused, "the text is not valid UTF-8");
    const std::u32string characters = codePoints(text);
    const std::size_t length = characters.size();
    if (length > static_cast<std::size_t>(kMaxTextLength)) {
        return Outcome::failed(Failure::Refused, "the text has " + std::to_string(length) + " characters; at most " +
                                                     std::to_string(kMaxTextLength) + " are allowed");
    }
    for (std::size_t k = 0; k < characters.size(); ++k) {
        if (isControl(characters[k])) {
            return Outcome::failed(Failure::Refused, "the text has a control character (" +
                                                         codePointName(characters[k]) + ") at position " +
                                                         std::to_string(k + 1));
        }
    }
    return Outcome::ok();
}

void ReadTextSeed(FormState& s, std::string text, RandomSource& random) {
    const std::u32string characters = codePoints(text);
    TS_CHECK(characters.size() <= static_cast<std::size_t>(kMaxTextLength), "a text of at most 100 characters");
    s.t = std::move(text);
    s.dolz = Number::int32(static_cast<std::int32_t>(characters.size()));

    const int length = static_cast<int>(characters.size());
    for (int k = 1; k <= length; ++k) {
        s.charCodes[static_cast<std::size_t>(k)] = characterCode(characters[static_cast<std::size_t>(k - 1)]);
    }

    // seed = 123456 + the sum of code(k) * k^3; exact whole-number arithmetic
    // that widens past the 32-bit range instead of overflowing.
    s.seed = Number::int32(123456);
    for (int k = 1; k <= length; ++k) {
        const Number code = Number::int16(s.charCodes[static_cast<std::size_t>(k)]);
        const Number position = Number::int16(static_cast<std::int16_t>(k));
        Number term = require(multiply(code, position), "code * k");
        term = require(multiply(term, position), "code * k * k");
        term = require(multiply(term, position), "code * k * k * k");
        s.seed = require(add(s.seed, term), "seed + term");
    }

    if (s.seed.value() > 0) (void)random.reset(-1);
    random.reseed(s.seed.value());
}

}  // namespace ts
