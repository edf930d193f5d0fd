#include "seed/read_text_seed.hpp"

#include "numeric/statement.hpp"
#include "seed/character_code.hpp"

namespace ts {

namespace {

// The C0 control characters and DEL, and in the later definitions the C1
// ones: a file's text chunk or a terminal would take them for something other
// than text.
bool isControl(char32_t c, const PictureDefinition& definition) {
    return c < 0x20 || c == 0x7F || (definition.refusesC1Controls && c >= 0x80 && c <= 0x9F);
}

// No character decomposes into more code points (U+FDFA's compatibility
// decomposition; canonical ones take at most 4). A text has no more code
// points than its full decomposition, which is that of its NFC form, so a
// text of more than kMaxTextLength times this many has more than
// kMaxTextLength characters in NFC: it is refused without being normalised.
constexpr std::size_t kLongestDecomposition = 18;

Outcome tooLong(const std::string& count) {
    return Outcome::failed(Failure::Refused, "the text has " + count + " characters; at most " +
                                                 std::to_string(kMaxTextLength) + " are allowed");
}

std::string codePointName(char32_t c) {
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string name = "U+0000";
    for (std::size_t k = 0; k < 4; ++k) name[5 - k] = kHex[(c >> (4 * k)) & 0xF];
    return name;
}

}  // namespace

std::string normaliseText(std::string text, int definition) {
    if (pictureDefinition(definition).form == TextForm::Nfc) return nfc(text);
    return text;
}

Outcome checkText(std::string_view text, int definition) {
    const PictureDefinition& rules = pictureDefinition(definition);
    std::u32string characters;
    if (!decodeUtf8(text, &characters)) return Outcome::failed(Failure::Refused, "the text is not valid UTF-8");
    constexpr auto kMax = static_cast<std::size_t>(kMaxTextLength);
    if (rules.form != TextForm::AsGiven) {
        if (characters.size() > kMax * kLongestDecomposition) return tooLong("more than " + std::to_string(kMax));
        characters = codePoints(normaliseText(std::string(text), definition));
    }
    if (characters.size() > kMax) return tooLong(std::to_string(characters.size()));
    for (std::size_t k = 0; k < characters.size(); ++k) {
        if (isControl(characters[k], rules)) {
            return Outcome::failed(Failure::Refused, "the text has a control character (" +
                                                         codePointName(characters[k]) + ") at position " +
                                                         std::to_string(k + 1));
        }
    }
    return Outcome::ok();
}

void ReadTextSeed(FormState& s, std::string text, RandomSource& random, int definition) {
    s.t = normaliseText(std::move(text), definition);
    const std::u32string characters = codePoints(s.t);
    TS_CHECK(characters.size() <= static_cast<std::size_t>(kMaxTextLength), "a text of at most 100 characters");
    s.dolz = Number::int32(static_cast<std::int32_t>(characters.size()));
    s.definition = definition;

    const int length = static_cast<int>(characters.size());
    for (int k = 1; k <= length; ++k) {
        s.charCodes[static_cast<std::size_t>(k)] =
            characterCode(characters[static_cast<std::size_t>(k - 1)], definition);
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
