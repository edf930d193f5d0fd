#include "seed/character_code.hpp"

#include <gtest/gtest.h>

#include <string>

namespace ts {
namespace {

// Windows-1252 bytes: code points below 128 and 160..255 keep their value,
// the 27 characters of 128..159 get their bytes, everything else is "?" (63).
TEST(CharacterCode, Windows1252Bytes) {
    const struct {
        char32_t c;
        int code;
    } cases[] = {
        {U'\0', 0},
        {U' ', 32},
        {U'A', 65},
        {U'a', 97},
        {U'\x7F', 127},
        {U'\xA0', 160},
        {U'é', 233},
        {U'ÿ', 255},
        {U'€', 128},
        {U'‚', 130},
        {U'…', 133},
        {U'Š', 138},
        {U'™', 153},
        {U'ž', 158},
        {U'Ÿ', 159},
        // C1 controls are not the characters Windows-1252 puts there, and its
        // five unassigned positions have no character at all.
        {U'\x80', 63},
        {U'\x81', 63},
        {U'\x8D', 63},
        {U'\x9F', 63},
        {U'Ā', 63},
        {U'中', 63},
        {U'\U0001F600', 63},
        {U'\uFFFD', 63},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(characterCode(c.c), c.code) << "U+" << std::hex << static_cast<unsigned>(c.c);
    }
}

TEST(CharacterCode, EveryCodePointGetsACodeFrom0To255) {
    int assignedHigh = 0;
    for (char32_t c = 0; c < 0x30000; ++c) {
        const int code = characterCode(c);
        ASSERT_GE(code, 0);
        ASSERT_LE(code, 255);
        if (code >= 128 && code <= 159) ++assignedHigh;
    }
    EXPECT_EQ(assignedHigh, 27);
}

// Each character is one code point; bytes that do not form a valid UTF-8
// sequence give one replacement character each, which then counts as "?".
TEST(CodePoints, DecodesUtf8AndReplacesMalformedBytes) {
    const struct {
        const char* what;
        std::string utf8;
        std::u32string expected;
    } cases[] = {
        {"ASCII", "abc", U"abc"},
        {"two-byte", "\xC3\xA9", U"é"},
        {"three-byte euro", "\xE2\x82\xAC", U"€"},
        {"four-byte", "\xF0\x9F\x98\x80", U"\U0001F600"},
        {"lone lead byte at the end", "a\xC3", U"a\uFFFD"},
        {"truncated three-byte sequence", "\xE2\x82", U"\uFFFD\uFFFD"},
        {"stray continuation byte", "a\x80z", U"a\uFFFDz"},
        {"overlong slash", "\xC0\xAF", U"\uFFFD\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"invalid byte",
         "\xFF"
         "b",
         U"\uFFFD"
         "b"},
        {"lead byte followed by ASCII", "\xC3(", U"\uFFFD("},
    };
    for (const auto& c : cases) EXPECT_EQ(codePoints(c.utf8), c.expected) << c.what;
}

TEST(CodePoints, RoundTripsThroughUtf8) {
    const std::u32string text = U"a\u00FF\u20AC\u4E2D\U0001F600\x7F\x80";
    EXPECT_EQ(codePoints(utf8(text)), text);
}

}  // namespace
}  // namespace ts
