#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "annotate/caption_fonts.hpp"
#include "annotate/caption_text.hpp"
#include "seed/character_code.hpp"
#include "support/canvas_checksum.hpp"
#include "support/test_folder.hpp"
#include "support/test_names.hpp"

namespace ts {
namespace {

constexpr Colour kBackground = Colour::fromRgb(20, 60, 100);

// The fonts are a condition of the machine the tests run on, as of the
// programs: every test here needs them.
class CaptionText : public ::testing::Test {
protected:
    void SetUp() override {
        const Outcome fonts = loadCaptionFonts();
        ASSERT_TRUE(fonts) << fonts.message;
    }
};

std::u32string u(std::string_view utf8text) { return codePoints(utf8text); }

struct Ink {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive
    int changed = 0;
    int white = 0;
    int coloured = 0;  // far from grey: an emoji's colours
};

Ink inkOf(const Raster& raster, Colour background = kBackground) {
    Ink ink;
    for (int y = 0; y < raster.height(); ++y)
        for (int x = 0; x < raster.width(); ++x) {
            const Colour c = raster.at(x, y);
            if (c == background) continue;
            ++ink.changed;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
            ink.white += c == Colour::white();
            const int spread = std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()});
            ink.coloured += spread > 60;
        }
    return ink;
}

// A caption line in white with a black edge, the way captions are printed.
Raster drawn(std::string_view text, float points = 15, int width = 600, int height = 60, float* next = nullptr) {
    Raster raster(width, height, kBackground);
    const float after = drawCaptionText(raster, 10, 10, u(text), points, Colour::white(), Colour::black());
    if (next) *next = after;
    return raster;
}

TEST_F(CaptionText, EveryFontFileOpens) {
    for (const char* path : kCaptionFontPaths) {
        const Outcome checked = checkFontFile(path);
        EXPECT_TRUE(checked) << checked.message;
    }
}

// A font file that is missing, empty, a folder or no font is reported, not
// a crash: one message naming the file and the packages that bring the
// fonts.
TEST_F(CaptionText, AFontFileThatCannotBeLoadedIsReportedWithThePackagesToInstall) {
    const std::filesystem::path folder = testing::freshFolder();
    std::ofstream(folder / "empty.ttf").close();
    std::ofstream(folder / "text.ttf") << "not a font, only some words";
    std::filesystem::create_directory(folder / "folder.ttf");
    for (const std::filesystem::path& file :
         {folder / "missing.ttf", folder / "empty.ttf", folder / "text.ttf", folder / "folder.ttf"}) {
        const Outcome checked = checkFontFile(file);
        ASSERT_FALSE(checked) << file;
        EXPECT_EQ(checked.failure, Failure::Unavailable);
        EXPECT_EQ(checked.file, file);
        EXPECT_EQ(checked.message, "the font file " + file.string() +
                                       " cannot be loaded; install Debian's fonts-dejavu-core, fonts-wqy-microhei, "
                                       "fonts-noto-color-emoji, fonts-lohit-deva and fonts-tlwg-loma-ttf");
    }
}

// Running out of descriptors is the machine's state, not a missing font:
// the message says so, and names no package. Checked in a child whose
// descriptor limit is below what it has open.
TEST_F(CaptionText, NoDescriptorLeftIsReportedAsSuch) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto checkWithoutDescriptors = [] {
        const rlimit none{0, 0};
        if (::setrlimit(RLIMIT_NOFILE, &none) != 0) std::_Exit(2);
        const Outcome checked = checkFontFile(kCaptionFontPaths[0]);
        std::fprintf(stderr, "[%s]\n", checked.message.c_str());
        std::_Exit(checked ? 3 : 0);
    };
    EXPECT_EXIT(checkWithoutDescriptors(), ::testing::ExitedWithCode(0),
                "\\[cannot load the caption fonts: Too many open files\\]");
}

// Which font draws a character, and into how many glyphs.
struct FontCase {
    const char* what;
    const char* text;
    CaptionFont font;
    std::size_t glyphs;
    bool missing;  // drawn as the missing-glyph box
};

void PrintTo(const FontCase& c, std::ostream* os) { *os << c.what; }

class CaptionFontChoice : public CaptionText, public ::testing::WithParamInterface<FontCase> {};

TEST_P(CaptionFontChoice, EachCharacterFromTheFirstFontThatHasIt) {
    const FontCase& c = GetParam();
    const ShapedLine line = shapeCaptionLine(u(c.text));
    ASSERT_EQ(line.glyphs.size(), c.glyphs);
    for (const PlacedGlyph& g : line.glyphs) {
        EXPECT_EQ(g.font, c.font);
        EXPECT_EQ(g.glyph == 0, c.missing);
    }
    EXPECT_GT(line.advance, 0.2);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, CaptionFontChoice,
    ::testing::Values(
        FontCase{"Latin letter", "A", CaptionFont::DejaVuSans, 1, false},
        FontCase{"Cyrillic letter", "\xD0\x96", CaptionFont::DejaVuSans, 1, false},
        FontCase{"Arabic letter", "\xD8\xA8", CaptionFont::DejaVuSans, 1, false},
        FontCase{"Han character", "\xE6\xBC\xA2", CaptionFont::WenQuanYi, 1, false},
        FontCase{"Hangul syllable", "\xED\x95\x9C", CaptionFont::WenQuanYi, 1, false},
        FontCase{"emoji DejaVu Sans has too", "\xF0\x9F\x98\x80", CaptionFont::NotoColorEmoji, 1, false},
        FontCase{"emoji only Noto has", "\xF0\x9F\x91\x8D", CaptionFont::NotoColorEmoji, 1, false},
        FontCase{"emoji with a skin tone, one glyph", "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD", CaptionFont::NotoColorEmoji,
                 1, false},
        FontCase{"flag from two regional indicators", "\xF0\x9F\x87\xB8\xF0\x9F\x87\xAE", CaptionFont::NotoColorEmoji,
                 1, false},
        FontCase{"family joined by zero-width joiners",
                 "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7",
                 CaptionFont::NotoColorEmoji, 1, false},
        FontCase{"symbol as text", "\xE2\x98\xBA", CaptionFont::DejaVuSans, 1, false},
        FontCase{"symbol asked for as emoji", "\xE2\x98\xBA\xEF\xB8\x8F", CaptionFont::NotoColorEmoji, 1, false},
        FontCase{"private use character", "\xEE\x80\x80", CaptionFont::DejaVuSans, 1, true},
        FontCase{"last code point", "\xF4\x8F\xBF\xBD", CaptionFont::DejaVuSans, 1, true},
        FontCase{"Devanagari letter", "\xE0\xA4\x95", CaptionFont::LohitDevanagari, 1, false},
        // U+0915 U+094D U+0937: one conjunct
        FontCase{"Devanagari conjunct", "\xE0\xA4\x95\xE0\xA5\x8D\xE0\xA4\xB7", CaptionFont::LohitDevanagari, 1, false},
        FontCase{"Devanagari danda", "\xE0\xA5\xA4", CaptionFont::LohitDevanagari, 1, false},
        FontCase{"Thai letter", "\xE0\xB8\x81", CaptionFont::Loma, 1, false},
        // U+0E17 U+0E35 U+0E48: a letter, a vowel sign and a tone mark over it
        FontCase{"Thai letter with its marks", "\xE0\xB8\x97\xE0\xB8\xB5\xE0\xB9\x88", CaptionFont::Loma, 3, false},
        FontCase{"Malayalam, which no font has", "\xE0\xB4\x95", CaptionFont::DejaVuSans, 1, true}),
    testing::nameByWhat);

// Arabic letters join: the same letter takes another form between two
// others than alone, and the text reads from the right.
TEST_F(CaptionText, ArabicIsJoinedAndReadsFromTheRight) {
    const ShapedLine alone = shapeCaptionLine(u("\xD8\xA8"));  // U+0628
    const ShapedLine three = shapeCaptionLine(u("\xD8\xA8\xD8\xA8\xD8\xA8"));
    ASSERT_EQ(alone.glyphs.size(), 1u);
    ASSERT_EQ(three.glyphs.size(), 3u);
    std::vector<std::uint32_t> forms;
    for (const PlacedGlyph& g : three.glyphs) forms.push_back(g.glyph);
    EXPECT_EQ(std::count(forms.begin(), forms.end(), alone.glyphs[0].glyph), 0) << "no letter is in its lone form";
    EXPECT_NE(forms[0], forms[1]);
    EXPECT_NE(forms[1], forms[2]);
    // Left to right, the glyphs are the third, second and first letter.
    EXPECT_EQ(three.glyphs[0].cluster, 2u);
    EXPECT_EQ(three.glyphs[2].cluster, 0u);
    EXPECT_LT(three.glyphs[0].x, three.glyphs[2].x);
}

// The x at which the glyph of each code point of `text` stands.
std::vector<double> placeOfEach(std::u32string_view text) {
    const ShapedLine line = shapeCaptionLine(text);
    std::vector<double> x(text.size(), -1);
    for (const PlacedGlyph& g : line.glyphs) x[g.cluster] = g.x;
    return x;
}

struct OrderCase {
    const char* what;
    const char* text;
    // Indices of code points, in the order they stand from left to right.
    std::vector<std::size_t> leftToRight;
};

void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.what; }

class CaptionReadingOrder : public CaptionText, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(CaptionReadingOrder, StandsInTheOrderItIsRead) {
    const OrderCase& c = GetParam();
    const std::vector<double> x = placeOfEach(u(c.text));
    for (std::size_t k = 1; k < c.leftToRight.size(); ++k)
        EXPECT_LT(x[c.leftToRight[k - 1]], x[c.leftToRight[k]])
            << "code point " << c.leftToRight[k - 1] << " stands left of " << c.leftToRight[k];
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CaptionReadingOrder,
    ::testing::Values(OrderCase{"Latin", "abc", {0, 1, 2}},
                      // U+05E9 U+05DC U+05D5 U+05DD
                      OrderCase{"Hebrew", "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D", {3, 2, 1, 0}},
                      // Two Hebrew words: the first on the right.
                      OrderCase{"Hebrew words", "\xD7\xA9\xD7\x9C \xD7\xA2\xD7\x95", {4, 3, 2, 1, 0}},
                      // Numbers read left to right inside a right-to-left line.
                      OrderCase{"Hebrew with a number", "\xD7\xA9\xD7\x9C 123", {3, 4, 5, 2, 1, 0}},
                      // A Latin word keeps its order inside a Hebrew line.
                      OrderCase{"Latin inside Hebrew", "\xD7\xA9\xD7\x9C abc", {3, 4, 5, 2, 1, 0}},
                      // A Hebrew word inside a Latin line reads from the right.
                      OrderCase{"Hebrew inside Latin", "ab \xD7\xA9\xD7\x9C cd", {0, 1, 2, 4, 3, 5, 6, 7}},
                      OrderCase{"Arabic with a number", "\xD8\xA8\xD8\xAA 42", {3, 4, 2, 1, 0}}),
    testing::nameByWhat);

// Devanagari's vowel sign I (U+093F) follows its letter in the text but
// stands before it, and a consonant with a virama joins the next into one
// conjunct.
TEST_F(CaptionText, DevanagariVowelSignsAndConjunctsAreSetAsTheScriptIsWritten) {
    const ShapedLine ka = shapeCaptionLine(u("\xE0\xA4\x95"));              // U+0915
    const ShapedLine ki = shapeCaptionLine(u("\xE0\xA4\x95\xE0\xA4\xBF"));  // U+0915 U+093F
    ASSERT_EQ(ka.glyphs.size(), 1u);
    ASSERT_EQ(ki.glyphs.size(), 2u);
    EXPECT_NE(ki.glyphs[0].glyph, ka.glyphs[0].glyph) << "the vowel sign stands first";
    EXPECT_EQ(ki.glyphs[1].glyph, ka.glyphs[0].glyph);
    EXPECT_LT(ki.glyphs[0].x, ki.glyphs[1].x);
    // U+0915 U+094D U+0937, and the same with a zero-width non-joiner that
    // keeps the virama visible.
    const ShapedLine joined = shapeCaptionLine(u("\xE0\xA4\x95\xE0\xA5\x8D\xE0\xA4\xB7"));
    const ShapedLine apart = shapeCaptionLine(u("\xE0\xA4\x95\xE0\xA5\x8D\xE2\x80\x8C\xE0\xA4\xB7"));
    EXPECT_EQ(joined.glyphs.size(), 1u);
    EXPECT_GE(apart.glyphs.size(), 3u);
}

// A Thai tone mark (U+0E48) sits over its letter, taking no room, and
// higher when a vowel sign (U+0E35) is between them.
TEST_F(CaptionText, ThaiMarksStackOverTheirLetter) {
    float letterNext = 0, toneNext = 0, bothNext = 0;
    const Ink letter = inkOf(drawn("\xE0\xB8\x97", 15, 100, 60, &letterNext));
    const Ink tone = inkOf(drawn("\xE0\xB8\x97\xE0\xB9\x88", 15, 100, 60, &toneNext));
    const Ink both = inkOf(drawn("\xE0\xB8\x97\xE0\xB8\xB5\xE0\xB9\x88", 15, 100, 60, &bothNext));
    EXPECT_EQ(toneNext, letterNext);
    EXPECT_EQ(bothNext, letterNext);
    EXPECT_LT(tone.top, letter.top);
    EXPECT_LT(both.top, tone.top);
    EXPECT_LE(both.right, letter.right + 1);
}

// A letter with a combining accent is drawn as the same letter written
// with its accent at once.
TEST_F(CaptionText, CombiningMarksAreComposed) {
    float composedNext = 0, combinedNext = 0;
    const Raster composed = drawn("caf\xC3\xA9", 15, 600, 60, &composedNext);
    const Raster combined = drawn("cafe\xCC\x81", 15, 600, 60, &combinedNext);
    EXPECT_TRUE(composed == combined);
    EXPECT_EQ(composedNext, combinedNext);
}

// "Namaste, world" in Hindi: a vowel sign that stands before its letter
// (U+093F), a conjunct (U+0938 U+094D U+0924), vowel signs above and below.
constexpr const char* kDevanagari =
    "\xE0\xA4\xA8\xE0\xA4\xAE\xE0\xA4\xB8\xE0\xA5\x8D\xE0\xA4\xA4\xE0\xA5\x87 "
    "\xE0\xA4\xA6\xE0\xA5\x81\xE0\xA4\xA8\xE0\xA4\xBF\xE0\xA4\xAF\xE0\xA4\xBE";
// "Here: hello, Thailand" in Thai: tone marks over vowel signs over
// letters, and vowel signs that stand before their letter (U+0E40, U+0E44).
constexpr const char* kThai =
    "\xE0\xB8\x97\xE0\xB8\xB5\xE0\xB9\x88\xE0\xB8\x99\xE0\xB8\xB5\xE0\xB9\x88 "
    "\xE0\xB8\xAA\xE0\xB8\xA7\xE0\xB8\xB1\xE0\xB8\xAA\xE0\xB8\x94\xE0\xB8\xB5 "
    "\xE0\xB8\x9B\xE0\xB8\xA3\xE0\xB8\xB0\xE0\xB9\x80\xE0\xB8\x97\xE0\xB8\xA8\xE0\xB9\x84\xE0\xB8\x97\xE0\xB8\xA2";

// The texts of the checksums below.
struct Sample {
    const char* what;
    const char* text;
    std::uint64_t checksum;  // of the line drawn at 15 points by drawn()
};

const Sample kSamples[] = {
    {"Latin", "Hello, Textscape \xC3\xA9t\xC3\xA9 AVAWA", 0x256702ca9f00d55cull},
    {"Cyrillic", "\xD0\xA1\xD1\x8A\xD0\xB5\xD1\x88\xD1\x8C \xD0\xB6\xD0\xB5 \xD0\xB5\xD1\x89\xD1\x91",
     0xd15f39ef187e8f74ull},
    {"CJK", "\xE6\xBC\xA2\xE5\xAD\x97\xE3\x81\x8B\xE3\x81\xAA \xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4",
     0xf9918492f6fb90b6ull},
    {"Arabic", "\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7 \xD8\xA8\xD8\xA7\xD9\x84\xD8\xB9\xD8\xA7\xD9\x84\xD9\x85",
     0xa653ff6e42ff01eeull},
    {"Hebrew", "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD7\xA2\xD7\x95\xD7\x9C\xD7\x9D", 0x40f6c5f402ce4b80ull},
    {"emoji", "\xF0\x9F\x98\x80 ok \xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD \xF0\x9F\x87\xB8\xF0\x9F\x87\xAE",
     0x4100a9e557363de7ull},
    {"Devanagari", kDevanagari, 0x8111483972ceeee4ull},
    {"Thai", kThai, 0x6123985e1bc6f8f6ull},
};

TEST_F(CaptionText, CaptionsOfEachScriptGiveTheirChecksums) {
    for (const Sample& sample : kSamples) {
        const std::uint64_t checksum = testing::canvasChecksum(drawn(sample.text));
        EXPECT_EQ(checksum, sample.checksum) << sample.what << ": 0x" << std::hex << checksum;
    }
}

TEST_F(CaptionText, DrawnTwiceGivesTheSameBytes) {
    for (const Sample& sample : kSamples) EXPECT_TRUE(drawn(sample.text) == drawn(sample.text)) << sample.what;
}

// What a thread draws does not depend on what it drew before, nor on the
// other threads drawing at the same time: a fresh thread and four busy ones
// give the bytes drawn here.
TEST_F(CaptionText, ThreadsDrawingAtOnceGiveTheSameBytes) {
    std::vector<Raster> expected;
    for (const Sample& sample : kSamples) expected.push_back(drawn(sample.text));
    std::vector<int> same(4, 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < same.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 5; ++round)
                for (std::size_t k = 0; k < std::size(kSamples); ++k) {
                    // Each thread starts at another sample and size, so that
                    // their glyphs are rendered in different orders.
                    const std::size_t which = (k + t) % std::size(kSamples);
                    (void)drawn(kSamples[which].text, 9 + static_cast<float>(t));
                    same[t] += drawn(kSamples[which].text) == expected[which];
                }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (const int count : same) EXPECT_EQ(count, 5 * static_cast<int>(std::size(kSamples)));
}

// A character no font has is DejaVu Sans's missing-glyph box: the same
// for every such character, hollow, and as wide.
TEST_F(CaptionText, CharactersNoFontHasAreAllTheSameBox) {
    float boxNext = 0;
    const Raster box = drawn("\xEE\x80\x80", 15, 100, 40, &boxNext);  // U+E000
    const Ink ink = inkOf(box);
    EXPECT_GT(ink.changed, 40);
    EXPECT_EQ(box.at((ink.left + ink.right) / 2, (ink.top + ink.bottom) / 2), kBackground) << "hollow";
    // U+10FFFD, U+0D15 (Malayalam), U+0D9A (Sinhala), U+F0000
    for (const char* other : {"\xF4\x8F\xBF\xBD", "\xE0\xB4\x95", "\xE0\xB6\x9A", "\xF3\xB0\x80\x80"}) {
        float next = 0;
        EXPECT_TRUE(drawn(other, 15, 100, 40, &next) == box) << ::testing::PrintToString(std::string(other));
        EXPECT_EQ(next, boxNext);
    }
}

TEST_F(CaptionText, EmojiAreInColour) {
    // U+1F600 (yellow), U+1F44D with U+1F3FD (a skin tone), U+2764 U+FE0F (red)
    for (const char* emoji : {"\xF0\x9F\x98\x80", "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD", "\xE2\x9D\xA4\xEF\xB8\x8F"}) {
        const Ink ink = inkOf(drawn(emoji));
        EXPECT_GT(ink.coloured, 50) << ::testing::PrintToString(std::string(emoji));
        EXPECT_EQ(ink.white, 0) << "no white text";
    }
    // Every size, small to very large, scales the one bitmap.
    for (const float points : {6.f, 10.f, 15.f, 36.f, 100.f}) {
        const Ink ink = inkOf(drawn("\xF0\x9F\x98\x80", points, 400, 300));
        const double em = points * 4.0 / 3.0;
        EXPECT_NEAR(ink.right - ink.left + 1, 1.17 * em, 0.1 * em + 1) << points;
        EXPECT_GT(ink.coloured, ink.changed / 3) << points;
    }
}

// The edge: dark pixels round the glyphs, within a pixel or two of them,
// and the glyphs' own fill as without it.
TEST_F(CaptionText, TheEdgeSurroundsTheGlyphsWithoutChangingTheirFill) {
    const Colour light = Colour::fromRgb(235, 230, 200);
    Raster plain(300, 60, light), edged(300, 60, light);
    const float plainNext =
        drawCaptionText(plain, 10, 10, u("Hello, Textscape"), 12, Colour::white(), light);  // an edge unseen
    const float edgedNext = drawCaptionText(edged, 10, 10, u("Hello, Textscape"), 12, Colour::white(), Colour::black());
    EXPECT_EQ(edgedNext, plainNext);
    int plainWhite = 0, darkenedFill = 0, dark = 0, farDark = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 300; ++x) {
            const Colour c = edged.at(x, y);
            if (plain.at(x, y) == Colour::white()) {
                ++plainWhite;
                darkenedFill += std::min({c.red(), c.green(), c.blue()}) < 240;
            }
            if (c.red() + c.green() + c.blue() > 3 * 100) continue;
            ++dark;
            bool near = false;
            for (int dy = -2; dy <= 2 && !near; ++dy)
                for (int dx = -2; dx <= 2 && !near; ++dx) near = plain.at(x + dx, y + dy) != light;
            farDark += !near;
        }
    EXPECT_GT(plainWhite, 100);
    EXPECT_EQ(darkenedFill, 0);
    EXPECT_GT(dark, plainWhite / 2);  // a real edge all round, not a few specks
    EXPECT_EQ(farDark, 0);
}

TEST_F(CaptionText, CapitalHeightFollowsThePointSizeAt96DotsPerInch) {
    // DejaVu Sans capitals are 0.729 em high, and the edge adds a pixel
    // above and below (a twentieth of the em from 15 points up).
    for (const float points : {9.f, 12.f, 15.f, 24.f, 36.f}) {
        const double em = points * 96.0 / 72.0;
        const Ink ink = inkOf(drawn("H", points, 200, 100));
        EXPECT_NEAR(ink.bottom - ink.top + 1, 0.729 * em + 2 * std::max(1.0, em / 20), 1.5) << points << " points";
    }
}

TEST_F(CaptionText, MeasuresTextAsItDrawsIt) {
    for (const float points : {8.f, 10.f, 15.f, 24.f})
        for (const Sample& sample : kSamples) {
            float next = 0;
            (void)drawn(sample.text, points, 800, 100, &next);
            EXPECT_FLOAT_EQ(10 + captionTextWidth(u(sample.text), points), next) << sample.what << " at " << points;
        }
    EXPECT_EQ(captionTextWidth(u(""), 12), 0.0f);
    // DejaVu Sans's lines are 1.164 em apart.
    for (const float points : {8.f, 10.f, 15.f}) EXPECT_NEAR(captionLineSpacing(points), 1.164 * points * 4 / 3, 0.01);
}

TEST_F(CaptionText, EmptyTextDrawsNothingAndStaysPut) {
    Raster raster(100, 40, kBackground);
    EXPECT_EQ(drawCaptionText(raster, 12.5f, 3, u(""), 12, Colour::white(), Colour::black()), 12.5f);
    EXPECT_EQ(inkOf(raster).changed, 0);
}

// Text at the raster's edges, or outside it, is cut off without harm.
TEST_F(CaptionText, TextPartlyOrWhollyOutsideIsCut) {
    const std::string text = "Wg\xE6\xBC\xA2\xF0\x9F\x98\x80";
    for (const auto& [x, y] : {std::pair{-20.f, -15.f}, {80.f, 30.f}, {-500.f, 10.f}, {500.f, 500.f}, {10.f, -100.f}}) {
        Raster raster(100, 40, kBackground);
        drawCaptionText(raster, x, y, u(text), 20, Colour::white(), Colour::black());
        EXPECT_EQ(raster.width(), 100);
    }
}

// Texts mixed from every kind of character the caption meets, and the
// odd ones: marks with nothing to sit on, joiners and selectors at either
// end, half a flag, modifiers after letters, tags, unpaired directions,
// code points no font has. Each is drawn whole, the same twice, and as
// wide as measured.
TEST_F(CaptionText, AnyMixOfCharactersIsDrawnTheSameTwice) {
    const char32_t pool[] = {U'a',     U'W',    U' ',    U'1',    U'(',    U'!',    0x0301,  0x0308,  0x05D0,
                             0x05B8,   0x0628,  0x064E,  0x0661,  0x0915,  0x094D,  0x0E01,  0x0E31,  0x6F22,
                             0x3042,   0xD55C,  0x200D,  0x200C,  0xFE0F,  0xFE0E,  0x20E3,  0x2764,  0x263A,
                             0x1F600,  0x1F44D, 0x1F3FD, 0x1F1F8, 0x1F1EE, 0x1F3F4, 0xE0067, 0xE007F, 0xE000,
                             0x10FFFD, 0xFFFD,  0x00A0,  0x202E,  0x0416,  0x1F468, 0x1F469, 0x1F9D1};
    std::uint64_t state = 12345;
    const auto next = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::size_t>(state >> 33);
    };
    for (int round = 0; round < 60; ++round) {
        std::u32string text;
        const std::size_t length = 1 + next() % 40;
        for (std::size_t k = 0; k < length; ++k) text += pool[next() % std::size(pool)];
        const float points = 6 + static_cast<float>(next() % 30);
        Raster first(500, 80, kBackground), second(500, 80, kBackground);
        const float end = drawCaptionText(first, 5.3f, 7.6f, text, points, Colour::white(), Colour::black());
        EXPECT_EQ(drawCaptionText(second, 5.3f, 7.6f, text, points, Colour::white(), Colour::black()), end);
        EXPECT_TRUE(first == second) << "round " << round;
        EXPECT_FLOAT_EQ(5.3f + captionTextWidth(text, points), end) << "round " << round;
        // Every code point is drawn by some glyph, or is part of one.
        const ShapedLine line = shapeCaptionLine(text);
        ASSERT_FALSE(line.glyphs.empty());
        for (const PlacedGlyph& g : line.glyphs) EXPECT_LT(g.cluster, text.size());
    }
}

}  // namespace
}  // namespace ts
