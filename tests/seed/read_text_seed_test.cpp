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
        double seed;
        int length;
    } cases[] = {
        {"empty text", "", 123456, 0},
        {"a", "a", 123553, 1},
        {"A", "A", 123521, 1},
        {"abc", "abc", 127010, 3},
        {"euro sign, code 128", "\xE2\x82\xAC", 123584, 1},
        {"a character outside the code page counts as 63", "\xE4\xB8\xAD", 123519, 1},
        {"second position weighs 8", " a", 123456 + 32 + 97 * 8, 2},
        {"100 spaces, inside 32 bits", repeat(" ", 100), 123456 + 32.0 * 25502500, 100},
        {"100 x code 126, past 32 bits", repeat("~", 100), 3213438456, 100},
        {"100 x y-diaeresis (code 255)", repeat("\xC3\xBF", 100), 6503260956, 100},
    };
    for (const auto& c : cases) {
        FormState s;
        SplitMixGenerator g;
        ReadTextSeed(s, c.text, g);
        EXPECT_EQ(s.seed.value(), c.seed) << c.what;
        EXPECT_EQ(s.dolz, Number::int32(c.length)) << c.what;
        EXPECT_EQ(s.t, c.text) << c.what;
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
    for (const char* fine : {" ", "~", "\xC2\x80", "\xC2\xA0", "a b"}) EXPECT_TRUE(checkText(fine)) << fine;
}

}  // namespace
}  // namespace ts
