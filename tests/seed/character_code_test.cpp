#include "seed/character_code.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ts {
namespace {

// Windows-1252 bytes: code points below 128 and 160..255 keep their value,
// the 27 characters of 128..159 get their bytes; in definition 1 everything
// else is "?" (63).
TEST(CharacterCode, Definition1GivesWindows1252BytesAndQuestionMarks) {
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
        EXPECT_EQ(characterCode(c.c, 1), c.code) << "U+" << std::hex << static_cast<unsigned>(c.c);
    }
}

TEST(CharacterCode, Definition1GivesEveryCodePointACodeFrom0To255) {
    int assignedHigh = 0;
    for (char32_t c = 0; c < 0x30000; ++c) {
        const int code = characterCode(c, 1);
        ASSERT_GE(code, 0);
        ASSERT_LE(code, 255);
        if (code >= 128 && code <= 159) ++assignedHigh;
    }
    EXPECT_EQ(assignedHigh, 27);
}

// Definition 2: the code page's characters keep their codes; every other
// code point c from 256 on is 256 + ((c - 256) mod 32512).
TEST(CharacterCode, Definition2GivesEveryCharacterOutsideTheCodePageItsOwnCode) {
    const struct {
        char32_t c;
        int code;
    } cases[] = {
        {U'A', 65},
        {U'\xA0', 160},
        {U'ÿ', 255},  // U+00FF, the last of Latin-1
        {U'Ā', 256},  // U+0100, the first folded
        {U'€', 128},  // Windows-1252 characters keep their bytes
        {U'Š', 138},
        {U'™', 153},
        {U'Ÿ', 159},
        {U'\x80', 63},  // C1 controls are refused; they are never coded
        {U'\x9F', 63},
        {U'П', 0x41F},  // U+041F
        {U'中', 0x4E2D},
        {U'\u7FFF', 32767},  // the largest code
        {U'\u8000', 256},    // and round again
        {U'\u8001', 257},
        {U'\u80FF', 511},
        {U'\u8100', 512},
        {U'\uFFFD', 256 + (0xFFFD - 256 - 2 * 32512)},
        {U'\U0001F600', 256 + (0x1F600 - 256 - 3 * 32512)},
        {U'\U0010FFFF', 256 + (0x10FFFF - 256 - 34 * 32512)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(characterCode(c.c, 2), c.code) << "U+" << std::hex << static_cast<unsigned>(c.c);
    }
}

// Over all of Unicode: codes from 0 to 32767, so that the seed stays
// positive; below 256 only for the code page (and the refused C1 controls);
// a code point outside the code page and the one 32512 further share a code,
// and no two below U+8000 do.
TEST(CharacterCode, Definition2CodesLieIn0To32767AndRepeatEvery32512) {
    std::vector<int> seen(32768, 0);
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        const auto where = static_cast<unsigned>(c);
        const int code = characterCode(c, 2);
        ASSERT_GE(code, 0) << where;
        ASSERT_LE(code, 32767) << where;
        if (const std::optional<std::int16_t> codePage = windows1252Code(c)) {
            ASSERT_EQ(code, *codePage) << where;
        } else if (c >= 256) {
            ASSERT_GE(code, 256) << where;
            if (c + 32512 <= 0x10FFFF) {
                ASSERT_EQ(characterCode(c + 32512, 2), code) << where;
            }
            if (c < 0x8000) ++seen[static_cast<std::size_t>(code)];
        } else {
            ASSERT_EQ(code, 63) << where;  // the C1 controls
        }
    }
    for (int code = 256; code < 32768; ++code) ASSERT_LE(seen[static_cast<std::size_t>(code)], 1) << code;
}

// NFC joins a letter and its combining marks into one character where
// Unicode has one, and leaves a text already in NFC as it is.
TEST(Nfc, ComposesWhatUnicodeComposes) {
    const struct {
        const char* what;
        std::string text;
        std::string expected;
    } cases[] = {
        {"empty", "", ""},
        {"ASCII", "abc", "abc"},
        {"e and a combining acute", "cafe\xCC\x81", "caf\xC3\xA9"},
        {"already composed", "caf\xC3\xA9", "caf\xC3\xA9"},
        {"Hangul jamo", "\xE1\x84\x92\xE1\x85\xA1\xE1\x86\xAB", "\xED\x95\x9C"},
        {"marks put in canonical order", "a\xCC\x81\xCC\xA3", "\xE1\xBA\xA1\xCC\x81"},
        {"a singleton: the Ohm sign is Omega", "\xE2\x84\xA6", "\xCE\xA9"},
        {"a mark that decomposes into two", "\xCD\x84", "\xCC\x88\xCC\x81"},
        {"compatibility characters stay", "\xEF\xAC\x81", "\xEF\xAC\x81"},
        {"a NUL inside", std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& c : cases) EXPECT_EQ(nfc(c.text), c.expected) << c.what;
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
