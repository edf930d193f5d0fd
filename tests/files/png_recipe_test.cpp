#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/crc32.hpp"
#include "files/png_recipe.hpp"
#include "files/png_text.hpp"
#include "support/png_chunks.hpp"

namespace ts {
namespace {

using testing::tinyPng;

constexpr std::size_t kIhdrEnd = 33;

// A chunk of the given type and data, with its length and CRC.
std::vector<std::uint8_t> chunk(std::string_view type, std::string_view data) {
    std::vector<std::uint8_t> out;
    const auto put32 = [&](std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
    };
    put32(static_cast<std::uint32_t>(data.size()));
    for (const char c : type) out.push_back(static_cast<std::uint8_t>(c));
    for (const char c : data) out.push_back(static_cast<std::uint8_t>(c));
    put32(crc32(out.data() + 4, out.size() - 4));
    return out;
}

std::vector<std::uint8_t> withChunkAfterHeader(std::vector<std::uint8_t> png, const std::vector<std::uint8_t>& c) {
    png.insert(png.begin() + kIhdrEnd, c.begin(), c.end());
    return png;
}

const PictureRecipe kRecipe{"Zażółć gęślą jaźń", "tip1=7  tip2=2  tip3=4  seed=127010", "textscape-render 1.0.0",
                            "2026-03-08T14:05:09+01:00"};

TEST(PngRecipe, WrittenRecipeReadsBackUnderTheKeysViewersShow) {
    for (const std::string& text : {kRecipe.text, std::string(), std::string("two  spaces"), std::string(100, '~')}) {
        PictureRecipe written = kRecipe;
        written.text = text;
        std::vector<std::uint8_t> png = tinyPng();
        addPngRecipe(png, written);

        PictureRecipe read;
        const Outcome outcome = readPngRecipe(png, read);
        ASSERT_TRUE(outcome) << outcome.message;
        EXPECT_EQ(read, written);

        const auto texts = testing::pngTexts(png);
        EXPECT_EQ(texts.count("!crc"), 0u);
        EXPECT_EQ(texts.at("Title"), text);
        EXPECT_EQ(texts.at("Description"), written.parameters);
        EXPECT_EQ(texts.at("Software"), written.software);
        EXPECT_EQ(texts.at("Creation Time"), written.creationTime);
    }
}

TEST(PngRecipe, TheTextIsAlwaysUtf8ITxtAndComesFirst) {
    PictureRecipe ascii = kRecipe;
    ascii.text = "plain ascii";
    std::vector<std::uint8_t> png = tinyPng();
    addPngRecipe(png, ascii);
    const std::string firstChunk(png.begin() + kIhdrEnd + 4, png.begin() + kIhdrEnd + 8 + 6);
    EXPECT_EQ(firstChunk, std::string("iTXtTitle\0", 10));
}

TEST(PngRecipe, ReadsFilesWrittenWithTheOlderKeys) {
    std::vector<std::uint8_t> png = tinyPng();
    addPngText(png, "Software", "textscape-render 1.0.0");
    addPngText(png, "Parameters", "tip1=15  tip2=1  tip3=4  seed=2033639");
    addPngText(png, "Text", "Hello, Textscape");
    PictureRecipe read;
    ASSERT_TRUE(readPngRecipe(png, read));
    EXPECT_EQ(read, (PictureRecipe{"Hello, Textscape", "tip1=15  tip2=1  tip3=4  seed=2033639",
                                   "textscape-render 1.0.0", ""}));

    // Title wins over Text, Description over Parameters, wherever they stand.
    addPngRecipe(png, kRecipe);
    ASSERT_TRUE(readPngRecipe(png, read));
    EXPECT_EQ(read.text, kRecipe.text);
    EXPECT_EQ(read.parameters, kRecipe.parameters);
}

TEST(PngRecipe, EitherProgramWithOrWithoutItsVersionIsOurs) {
    for (const char* software : {"textscape-render 1.0.0", "textscape 1.0.0", "textscape", "textscape-render"}) {
        std::vector<std::uint8_t> png = tinyPng();
        addPngText(png, "Software", software);
        addPngText(png, "Title", "Holiday");
        PictureRecipe read;
        const Outcome outcome = readPngRecipe(png, read);
        ASSERT_TRUE(outcome) << software << ": " << outcome.message;
        EXPECT_EQ(read.software, software);
        EXPECT_EQ(read.text, "Holiday");
    }
}

TEST(PngRecipe, LatinOneTextChunksAreGivenAsUtf8) {
    std::vector<std::uint8_t> png = tinyPng();
    addPngText(png, "Software", "textscape-render 1.0.0");
    png = withChunkAfterHeader(png, chunk("tEXt", std::string("Title\0caf\xE9 \xBD", 12)));
    PictureRecipe read;
    ASSERT_TRUE(readPngRecipe(png, read));
    EXPECT_EQ(read.text, "café ½");
}

TEST(PngRecipe, RefusesWhatIsNotARecipeAndSaysWhich) {
    std::vector<std::uint8_t> good = tinyPng();
    addPngRecipe(good, kRecipe);
    const auto changed = [&](auto change) {
        std::vector<std::uint8_t> png = good;
        change(png);
        return png;
    };
    std::vector<std::uint8_t> foreign = tinyPng();
    addPngText(foreign, "Software", "GIMP 2.10");
    addPngText(foreign, "Title", "Holiday");
    std::vector<std::uint8_t> noSoftware = tinyPng();
    addPngText(noSoftware, "Title", "Holiday");
    const auto titledBy = [](const std::string& software) {
        std::vector<std::uint8_t> png = tinyPng();
        addPngText(png, "Software", software);
        addPngText(png, "Title", "Holiday");
        return png;
    };
    const std::vector<std::uint8_t> zipped =
        withChunkAfterHeader(tinyPng(), chunk("zTXt", std::string("Title\0\0\x78\x9c\x03\0\0\0\0\x01", 14)));
    const std::vector<std::uint8_t> zippedItxt =
        withChunkAfterHeader(tinyPng(), chunk("iTXt", std::string("Title\0\1\0\0\0\x78\x9c\x03\0\0\0\0\x01", 16)));

    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        const char* inMessage;
    } const cases[] = {
        {"empty", {}, "not a PNG file"},
        {"a bitmap", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0}, "not a PNG file"},
        {"the signature alone", changed([](auto& p) { p.resize(8); }), "ends before its IEND"},
        {"cut in a chunk", changed([](auto& p) { p.resize(p.size() - 20); }), "cut short"},
        {"cut in the last CRC", changed([](auto& p) { p.pop_back(); }), "cut short"},
        {"a changed text byte", changed([](auto& p) { p[kIhdrEnd + 14] ^= 1; }), "fails its CRC check"},
        {"a changed CRC", changed([](auto& p) { p[kIhdrEnd - 1] ^= 0x80; }), "fails its CRC check"},
        {"a huge length", changed([](auto& p) { p[kIhdrEnd] = 0xFF; }), "length out of range"},
        {"a length past the end", changed([](auto& p) { p[kIhdrEnd + 1] = 0x7F; }), "cut short"},
        {"a bad chunk type", changed([](auto& p) { p[kIhdrEnd + 4] = '1'; }), "no valid type"},
        {"no IHDR first", changed([](auto& p) { p.erase(p.begin() + 8, p.begin() + kIhdrEnd); }),
         "does not start with an IHDR"},
        {"no text chunks", tinyPng(), "no Textscape recipe"},
        {"another program's title", foreign, "not a Textscape program"},
        {"a title without Software", noSoftware, "not a Textscape program"},
        {"a program whose name begins alike", titledBy("textscapeXYZ 1.0"), "not a Textscape program"},
        {"another program of the family", titledBy("textscape-renderer 2"), "not a Textscape program"},
        {"a program's name later in Software", titledBy("GIMP textscape"), "not a Textscape program"},
        {"a compressed zTXt title", zipped, "compressed"},
        {"a compressed iTXt title", zippedItxt, "compressed"},
    };
    for (const Case& c : cases) {
        PictureRecipe read;
        const Outcome outcome = readPngRecipe(c.bytes, read);
        EXPECT_FALSE(outcome) << c.what;
        EXPECT_EQ(outcome.failure, Failure::Refused) << c.what;
        EXPECT_NE(outcome.message.find(c.inMessage), std::string::npos) << c.what << ": " << outcome.message;
        EXPECT_EQ(outcome.message.find('\n'), std::string::npos) << c.what;
        EXPECT_EQ(read, PictureRecipe{}) << c.what;
    }
}

TEST(PngRecipe, ChunksAfterIendAndMalformedTextChunksAreLeftAlone) {
    std::vector<std::uint8_t> png = tinyPng();
    addPngRecipe(png, kRecipe);
    // Text chunks without a key, without a separator, or with a cut iTXt
    // header are not recipes but do not spoil the file.
    const std::pair<const char*, std::string> malformed[] = {
        {"tEXt", std::string("\0value", 6)},       {"tEXt", "NoSeparator"},
        {"iTXt", std::string("Title\0", 6)},       {"iTXt", std::string("Title\0\0\0lang", 10)},
        {"iTXt", std::string("Title\0\0\0\0", 9)}, {"tEXt", std::string(100, 'k') + '\0' + "too long a key"},
    };
    for (const auto& [type, data] : malformed) png = withChunkAfterHeader(png, chunk(type, data));
    png.push_back(0);  // trailing bytes after IEND
    PictureRecipe read;
    const Outcome outcome = readPngRecipe(png, read);
    ASSERT_TRUE(outcome) << outcome.message;
    EXPECT_EQ(read, kRecipe);
}

TEST(CreationTime, IsTheStampInRfc3339WithItsOffset) {
    struct Case {
        const char* name;
        long offset;
        const char* expected;
    } const cases[] = {
        {"T20260308140509", 3600, "2026-03-08T14:05:09+01:00"},
        {"T20260308140509", 0, "2026-03-08T14:05:09Z"},
        {"T19991231235959", -(5 * 3600 + 30 * 60), "1999-12-31T23:59:59-05:30"},
        {"T20260308140509", 20700, "2026-03-08T14:05:09+05:45"},
        {"T2026030814050", 0, ""},
        {"X20260308140509", 0, ""},
        {"T2026030814050x", 0, ""},
        {"", 0, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(creationTime(c.name, c.offset), c.expected) << c.name;
}

TEST(CreationTime, LocalTimeTakesTheZonesOffsetOfThatDay) {
    const char* saved = std::getenv("TZ");
    const std::string before = saved ? saved : "";
    ::setenv("TZ", "Europe/Ljubljana", 1);
    ::tzset();
    const std::string winter = localCreationTime("T20260115120000");
    const std::string summer = localCreationTime("T20260715120000");
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    const std::string utc = localCreationTime("T20260715120000");
    if (saved) {
        ::setenv("TZ", before.c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
    if (winter.ends_with("Z")) GTEST_SKIP() << "no time zone data on this machine";
    EXPECT_EQ(winter, "2026-01-15T12:00:00+01:00");
    EXPECT_EQ(summer, "2026-07-15T12:00:00+02:00");
    EXPECT_EQ(utc, "2026-07-15T12:00:00Z");
    EXPECT_EQ(localCreationTime("Tnot-a-stamp"), "");
}

}  // namespace
}  // namespace ts
