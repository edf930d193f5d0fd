#include "seed/read_text_seed.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "numeric/statement.hpp"
#include "support/fakes.hpp"

namespace ts {
namespace {

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int k = 0; k < n; ++k) out += s;
    return out;
}

std::array<long, 3> nextThree(RandomSource& g) {
    std::array<long, 3> out{};
    for (long& v : out) v = std::lround(g.next() * 16777216.0);
    return out;
}

// seed = 123456 + sum of code(k) * k^3, exact beyond the 32-bit range.
TEST(ReadTextSeed, SeedKnownAnswers) {
    const struct {
        const char* what;
        std::string text;
        int definition;
        double seed;
        int length;
    } cases[] = {
        {"empty text", "", 2, 123456, 0},
        {"a", "a", 2, 123553, 1},
        {"A", "A", 2, 123521, 1},
        {"abc", "abc", 2, 127010, 3},
        {"abc, definition 1", "abc", 1, 127010, 3},
        {"euro sign, code 128", "\xE2\x82\xAC", 2, 123584, 1},
        {"definition 1: a character outside the code page counts as 63", "\xE4\xB8\xAD", 1, 123519, 1},
        {"definition 2: U+4E2D is code 20013", "\xE4\xB8\xAD", 2, 123456 + 20013, 1},
        {"second position weighs 8", " a", 2, 123456 + 32 + 97 * 8, 2},
        {"100 spaces, inside 32 bits", repeat(" ", 100), 2, 123456 + 32.0 * 25502500, 100},
        {"100 x code 126, past 32 bits", repeat("~", 100), 2, 3213438456, 100},
        {"100 x y-diaeresis (code 255)", repeat("\xC3\xBF", 100), 2, 6503260956, 100},
        {"100 x y-diaeresis, definition 1", repeat("\xC3\xBF", 100), 1, 6503260956, 100},
        // The largest seed: 32767 x (1^3 + ... + 100^3), still exact.
        {"100 x U+7FFF (code 32767)", repeat("\xE7\xBF\xBF", 100), 2, 123456 + 32767.0 * 25502500, 100},
        // П р и в е т: U+041F U+0440 U+0438 U+0432 U+0435 U+0442.
        {"Privet", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", 2,
         123456 + 0x41F * 1 + 0x440 * 8 + 0x438 * 27 + 0x432 * 64 + 0x435 * 125 + 0x442 * 216, 6},
        {"Privet, definition 1: six question marks", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", 1,
         123456 + 63 * (1 + 8 + 27 + 64 + 125 + 216), 6},
        // e and a combining acute: one character in NFC, two as given.
        {"cafe + U+0301, definition 2", "cafe\xCC\x81", 2, 123456 + 99 + 97 * 8 + 102 * 27 + 233 * 64, 4},
        {"cafe + U+0301, definition 1", "cafe\xCC\x81", 1, 123456 + 99 + 97 * 8 + 102 * 27 + 101 * 64 + 63 * 125, 5},
    };
    for (const auto& c : cases) {
        FormState s;
        SplitMixGenerator g;
        ReadTextSeed(s, c.text, g, c.definition);
        EXPECT_EQ(s.seed.value(), c.seed) << c.what;
        EXPECT_EQ(s.dolz, Number::int32(c.length)) << c.what;
        EXPECT_EQ(s.definition, c.definition) << c.what;
    }
}

// The text is kept in the form it was coded in: NFC from definition 2 on,
// as given in definition 1.
TEST(ReadTextSeed, KeepsTheTextInTheDefinitionsForm) {
    const struct {
        std::string text;
        int definition;
        std::string kept;
    } cases[] = {
        {"abc", 2, "abc"},
        {"caf\xC3\xA9", 2, "caf\xC3\xA9"},
        {"cafe\xCC\x81", 2, "caf\xC3\xA9"},
        {"\xE2\x84\xA6", 2, "\xCE\xA9"},
        {"cafe\xCC\x81", 1, "cafe\xCC\x81"},
        {"\xE2\x84\xA6", 1, "\xE2\x84\xA6"},
        {"a\xC2\x85"
         "b",
         1,
         "a\xC2\x85"
         "b"},
    };
    for (const auto& c : cases) {
        FormState s;
        SplitMixGenerator g;
        ReadTextSeed(s, c.text, g, c.definition);
        EXPECT_EQ(s.t, c.kept) << ::testing::PrintToString(c.text) << ", definition " << c.definition;
    }
}

// Definition 2 gives one picture to the spellings of one text and different
// pictures to different texts that definition 1 coded alike.
TEST(ReadTextSeed, Definition2SeedsTellTextsApartButNotTheirSpellings) {
    const auto seedOf = [](const std::string& text, int definition) {
        FormState s;
        SplitMixGenerator g;
        EXPECT_TRUE(checkText(text, definition)) << text;
        ReadTextSeed(s, text, g, definition);
        return s.seed.value();
    };
    const struct {
        const char* what;
        std::string a, b;
        bool sameIn1, sameIn2;
    } cases[] = {
        {"Privet and Moskva", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
         "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0", true, false},
        {"two CJK words", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", "\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97", true, false},
        {"heart and star", "I \xE2\x9D\xA4 you", "I \xE2\x98\x85 you", true, false},
        {"a star and a question mark", "I \xE2\x98\x85 you", "I ? you", true, false},
        {"two emoji", "\xF0\x9F\x98\x80", "\xF0\x9F\x8C\x85", true, false},
        {"cafe in NFC and NFD", "caf\xC3\xA9", "cafe\xCC\x81", false, true},
        {"Hangul syllable and its jamo", "\xED\x95\x9C", "\xE1\x84\x92\xE1\x85\xA1\xE1\x86\xAB", false, true},
        {"marks in either order", "a\xCC\xA3\xCC\x81", "a\xCC\x81\xCC\xA3", true, true},
        {"Ohm sign and Omega", "\xE2\x84\xA6", "\xCE\xA9", true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(seedOf(c.a, 1) == seedOf(c.b, 1), c.sameIn1) << c.what;
        EXPECT_EQ(seedOf(c.a, 2) == seedOf(c.b, 2), c.sameIn2) << c.what;
    }
}

TEST(ReadTextSeed, KeepsEachCharactersCodeFromPositionOne) {
    FormState s;
    SplitMixGenerator g;
    ReadTextSeed(s, "A\xC3\xA9\xE2\x82\xAC", g);  // "Aé€"
    EXPECT_EQ(s.charCodes[0], 0);                 // never used
    EXPECT_EQ(s.charCodes[1], 65);
    EXPECT_EQ(s.charCodes[2], 233);
    EXPECT_EQ(s.charCodes[3], 128);
}

// Entries beyond a shorter text keep the longer text's codes and are not read.
TEST(ReadTextSeed, StaleCodesOfALongerTextAreNotRead) {
    FormState s;
    SplitMixGenerator g;
    ReadTextSeed(s, repeat("\xC3\xBF", 100), g);
    ReadTextSeed(s, "abc", g);
    EXPECT_EQ(s.seed.value(), 127010);
    EXPECT_EQ(s.charCodes[4], 255);
    EXPECT_EQ(s.charCodes[100], 255);
}

// The generator is reset and reseeded from the text alone, whatever it did
// before: the same text gives the same draws.
TEST(ReadTextSeed, ReseedsTheGeneratorFromTheTextAlone) {
    const struct {
        std::string text;
        std::array<long, 3> draws;  // x 2^24
    } cases[] = {
        {"", {5501175, 10613477, 15795680}},
        {"abc", {1467243, 3531554, 11046610}},
        {repeat("\xC3\xBF", 100), {6859067, 9600886, 1877538}},
    };
    for (const auto& c : cases) {
        FormState s;
        SplitMixGenerator g;
        g.reseed(52000.25);  // the start-up reseed from the clock
        ReadTextSeed(s, "something else", g);
        for (int k = 0; k < 20; ++k) (void)g.next();
        ReadTextSeed(s, c.text, g);
        EXPECT_EQ(nextThree(g), c.draws) << c.text;
    }
}

TEST(ReadTextSeedDeathTest, MoreThan100CharactersIsAProgrammingError) {
    FormState s;
    SplitMixGenerator g;
    EXPECT_DEATH(ReadTextSeed(s, repeat("x", 101), g), "at most 100 characters");
}

TEST(ReadTextSeed, TheEmptyTextGivesItsSeedAndSequence) {
    FormState s;
    SplitMixGenerator g;
    ReadTextSeed(s, "", g);
    EXPECT_EQ(s.t, "");
    EXPECT_EQ(s.dolz, Number::int32(0));
    EXPECT_EQ(s.seed.value(), 123456);
    EXPECT_EQ(nextThree(g), (std::array<long, 3>{5501175, 10613477, 15795680}));
}

TEST(CheckText, TakesWellFormedTextsOfAtMost100Characters) {
    EXPECT_TRUE(checkText(""));
    EXPECT_TRUE(checkText(std::string(100, 'z')));
    EXPECT_TRUE(checkText(repeat("\xF0\x9F\x98\x80", 100)));  // 400 bytes, 100 characters
    EXPECT_TRUE(checkText("\xE2\x82\xAC and \xF0\x9F\x98\x80"));
    const Outcome tooLong = checkText(std::string(101, 'z'));
    EXPECT_EQ(tooLong.failure, Failure::Refused);
    EXPECT_EQ(tooLong.message, "the text has 101 characters; at most 100 are allowed");
    for (const char* bad : {"\x80", "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "a\xE2\x82"}) {
        const Outcome refused = checkText(bad);
        EXPECT_EQ(refused.failure, Failure::Refused) << ::testing::PrintToString(std::string(bad));
        EXPECT_EQ(refused.message, "the text is not valid UTF-8");
    }
}

// C0 control characters and DEL would end up in a PNG's text chunk or on a
// terminal; the refusal names the first one and its position in characters.
TEST(CheckText, RefusesControlCharactersNamingThePosition) {
    const struct {
        std::string text;
        const char* message;
    } cases[] = {
        {std::string("ab\0cd", 5), "the text has a control character (U+0000) at position 3"},
        {"\x1B[31mred", "the text has a control character (U+001B) at position 1"},
        {"tab\there", "the text has a control character (U+0009) at position 4"},
        {"line\n", "the text has a control character (U+000A) at position 5"},
        {"\r", "the text has a control character (U+000D) at position 1"},
        {"\x1F", "the text has a control character (U+001F) at position 1"},
        {"del\x7F", "the text has a control character (U+007F) at position 4"},
        // Positions count characters, not bytes; the first control character is named.
        {"\xC3\xA9\xF0\x9F\x98\x80\x01\x02", "the text has a control character (U+0001) at position 3"},
    };
    for (const auto& c : cases) {
        const Outcome refused = checkText(c.text);
        EXPECT_EQ(refused.failure, Failure::Refused) << ::testing::PrintToString(c.text);
        EXPECT_EQ(refused.message, c.message) << ::testing::PrintToString(c.text);
    }
    // The neighbours of the refused ranges are ordinary characters.
    for (const char* fine : {" ", "~", "\xC2\xA0", "a b"}) EXPECT_TRUE(checkText(fine)) << fine;
}

// From definition 2 on the C1 controls (U+0080..U+009F) are refused as the
// C0 ones are; definition 1 took them, so its files still open.
TEST(CheckText, RefusesC1ControlsFromDefinition2) {
    const struct {
        std::string text;
        const char* message;
    } cases[] = {
        {"\xC2\x80", "the text has a control character (U+0080) at position 1"},
        {"next\xC2\x85line", "the text has a control character (U+0085) at position 5"},
        {"\xC2\x9B"
         "31m",
         "the text has a control character (U+009B) at position 1"},
        {"caf\xC3\xA9\xC2\x9F", "the text has a control character (U+009F) at position 5"},
        // Positions count the NFC text's characters.
        {"cafe\xCC\x81\xC2\x90", "the text has a control character (U+0090) at position 5"},
    };
    for (const auto& c : cases) {
        const Outcome refused = checkText(c.text);
        EXPECT_EQ(refused.failure, Failure::Refused) << ::testing::PrintToString(c.text);
        EXPECT_EQ(refused.message, c.message) << ::testing::PrintToString(c.text);
        EXPECT_TRUE(checkText(c.text, 1)) << ::testing::PrintToString(c.text);
    }
    // Windows-1252's characters at those bytes are ordinary ones.
    for (const char* fine : {"\xE2\x82\xAC", "\xE2\x80\x9A", "\xC5\xB8"}) EXPECT_TRUE(checkText(fine)) << fine;
}

// The limit counts the characters of the text as the definition takes it:
// from definition 2 on those of its NFC form, in definition 1 code points.
TEST(CheckText, TheLimitCountsTheNormalisedTextsCharacters) {
    const std::string eAcuteNfd = "e\xCC\x81";      // two code points, one in NFC
    const std::string dialytikaTonos = "\xCD\x84";  // one code point, two in NFC
    const struct {
        const char* what;
        std::string text;
        int definition;
        const char* refusal;  // empty: taken
    } cases[] = {
        {"100 NFD e-acutes, definition 2", repeat(eAcuteNfd, 100), 2, ""},
        {"101 NFD e-acutes, definition 2", repeat(eAcuteNfd, 101), 2,
         "the text has 101 characters; at most 100 are allowed"},
        {"100 NFD e-acutes, definition 1", repeat(eAcuteNfd, 100), 1,
         "the text has 200 characters; at most 100 are allowed"},
        {"50 U+0344, definition 2", repeat(dialytikaTonos, 50), 2, ""},
        {"51 U+0344, definition 2", repeat(dialytikaTonos, 51), 2,
         "the text has 102 characters; at most 100 are allowed"},
        {"51 U+0344, definition 1", repeat(dialytikaTonos, 51), 1, ""},
        {"1801 letters, refused unnormalised", std::string(1801, 'x'), 2,
         "the text has more than 100 characters; at most 100 are allowed"},
        {"1801 letters, definition 1", std::string(1801, 'x'), 1,
         "the text has 1801 characters; at most 100 are allowed"},
    };
    for (const auto& c : cases) {
        const Outcome checked = checkText(c.text, c.definition);
        EXPECT_EQ(checked.message, c.refusal) << c.what;
        EXPECT_EQ(static_cast<bool>(checked), std::string(c.refusal).empty()) << c.what;
        if (!checked) continue;
        FormState s;
        SplitMixGenerator g;
        ReadTextSeed(s, c.text, g, c.definition);  // no more than 100 characters to code
        EXPECT_LE(s.dolz.value(), 100) << c.what;
    }
}

}  // namespace
}  // namespace ts
