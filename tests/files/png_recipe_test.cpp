#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "files/png_encoder.hpp"
#include "files/png_recipe.hpp"
#include "support/in_zone.hpp"
#include "support/png_chunks.hpp"

namespace ts {
namespace {

using testing::pngChunk;
using testing::tinyPng;

constexpr std::size_t kIhdrEnd = 33;

std::vector<std::uint8_t> withChunkAfterHeader(std::vector<std::uint8_t> png, const std::vector<std::uint8_t>& c) {
    png.insert(png.begin() + kIhdrEnd, c.begin(), c.end());
    return png;
}

// A small PNG file with the given metadata, as the program writes it.
std::vector<std::uint8_t> pngWith(const PngMetadata& metadata) {
    std::vector<std::uint8_t> png;
    const Outcome outcome = encodePng(Raster(3, 2, Colour::fromRgb(10, 20, 30)), metadata, png);
    EXPECT_TRUE(outcome) << outcome.message;
    return png;
}

std::vector<std::uint8_t> pngWith(const PictureRecipe& recipe) { return pngWith(pngMetadataOf(recipe)); }

std::vector<std::uint8_t> pngWithTexts(const std::vector<PngText>& texts) { return pngWith(PngMetadata{texts, {}}); }

// Where the first chunk of the given type starts.
std::size_t chunkAt(const std::vector<std::uint8_t>& png, const std::string& type) {
    for (const testing::PngChunkAt& chunk : testing::pngChunks(png))
        if (chunk.type == type) return chunk.at;
    ADD_FAILURE() << "no " << type << " chunk";
    return 0;
}

const PictureRecipe kRecipe{"Zażółć gęślą jaźń", "tip1=7  tip2=2  tip3=4  seed=127010", "textscape-render 1.0.0",
                            "2026-03-08T14:05:09+01:00"};

TEST(PngRecipe, WrittenRecipeReadsBackUnderTheKeysViewersShow) {
    for (const std::string& text : {kRecipe.text, std::string(), std::string("two  spaces"), std::string(100, '~')}) {
        PictureRecipe written = kRecipe;
        written.text = text;
        const std::vector<std::uint8_t> png = pngWith(written);

        PictureRecipe read;
        const Outcome outcome = readPngRecipe(png, read);
        ASSERT_TRUE(outcome) << outcome.message;
        EXPECT_EQ(read, written);

        const auto texts = testing::pngTexts(png);
        EXPECT_EQ(texts.count("!crc"), 0u);
        EXPECT_EQ(texts.at("Title"), text);
        EXPECT_EQ(texts.at("Description"), describe(written));
        EXPECT_EQ(texts.at("Software"), written.software);
        EXPECT_EQ(texts.at("Creation Time"), written.creationTime);
        EXPECT_EQ(texts.at("Picture Definition"), std::to_string(kLatestPictureDefinition));
    }
}

// Each definition this program draws is written as its number and read back.
TEST(PngRecipe, RecordsThePictureDefinition) {
    for (int definition = kOldestPictureDefinition; definition <= kLatestPictureDefinition; ++definition) {
        PictureRecipe written = kRecipe;
        written.definition = definition;
        const std::vector<std::uint8_t> png = pngWith(written);
        EXPECT_EQ(testing::pngTexts(png).at("Picture Definition"), std::to_string(definition));
        PictureRecipe read;
        ASSERT_TRUE(readPngRecipe(png, read));
        EXPECT_EQ(read.definition, definition);
    }
}

// The size and the caption flag go under keys of their own and come back;
// a value that cannot be read, or none, counts as not recorded.
TEST(PngRecipe, RecordsTheSizeAndTheCaptionFlag) {
    struct Case {
        int width, height;
        std::optional<bool> caption;
        const char* sizeText;     // nullptr: no such chunk
        const char* captionText;  // nullptr: no such chunk
    };
    for (const Case& c : std::vector<Case>{{1920, 1080, true, "1920x1080", "yes"},
                                           {16, 16384, false, "16x16384", "no"},
                                           {0, 0, std::nullopt, nullptr, nullptr}}) {
        PictureRecipe written = kRecipe;
        written.width = c.width;
        written.height = c.height;
        written.caption = c.caption;
        const std::vector<std::uint8_t> png = pngWith(written);
        const auto texts = testing::pngTexts(png);
        EXPECT_EQ(texts.count("Picture Size"), c.sizeText ? 1u : 0u);
        EXPECT_EQ(texts.count("Caption"), c.captionText ? 1u : 0u);
        if (c.sizeText) EXPECT_EQ(texts.at("Picture Size"), c.sizeText);
        if (c.captionText) EXPECT_EQ(texts.at("Caption"), c.captionText);
        PictureRecipe read;
        ASSERT_TRUE(readPngRecipe(png, read));
        EXPECT_EQ(read, written) << (c.sizeText ? c.sizeText : "none");
    }
    for (const auto& [size, caption] : std::vector<std::pair<std::string, std::string>>{{"1920", "YES"},
                                                                                        {"x1080", "1"},
                                                                                        {"0x10", ""},
                                                                                        {"10x", "no "},
                                                                                        {"10x-5", "true"},
                                                                                        // sizes no picture can have
                                                                                        {"15x450", "maybe"},
                                                                                        {"600x16385", "No"},
                                                                                        {"999999999x999999999", "-"}}) {
        PictureRecipe read;
        ASSERT_TRUE(readPngRecipe(pngWithTexts({{"Title", "t", true},
                                                {"Software", "textscape 1.0.0"},
                                                {"Picture Size", size},
                                                {"Caption", caption}}),
                                  read));
        EXPECT_EQ(read.width, 0) << size;
        EXPECT_EQ(read.height, 0) << size;
        EXPECT_EQ(read.caption, std::nullopt) << caption;
    }
}

// Before definitions were recorded every file was drawn with the first.
TEST(PngRecipe, AFileWithoutADefinitionIsOfDefinition1) {
    for (const char* software : {"textscape 1.0.0", "textscape-render 1.0.0"}) {
        const std::vector<std::uint8_t> png =
            pngWithTexts({{"Title", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", true}, {"Software", software}});
        PictureRecipe read;
        ASSERT_TRUE(readPngRecipe(png, read));
        EXPECT_EQ(read.definition, 1) << software;
    }
}

TEST(PngRecipe, RefusesADefinitionItDoesNotDrawInOneLine) {
    const auto withDefinition = [](const std::string& value) {
        return pngWithTexts(
            {{"Title", "from the future", true}, {"Software", "textscape-render 9.0.0"}, {"Picture Definition", value}});
    };
    const struct {
        std::string value;
        std::string message;
    } cases[] = {
        {"3", "this picture needs picture definition 3; this Textscape draws definitions 1 to 2"},
        {"999999999", "this picture needs picture definition 999999999; this Textscape draws definitions 1 to 2"},
        {"0", "its picture definition \"0\" is not a definition number"},
        {"02", "its picture definition \"02\" is not a definition number"},
        {"-1", "its picture definition \"-1\" is not a definition number"},
        {"2.0", "its picture definition \"2.0\" is not a definition number"},
        {" 2", "its picture definition \" 2\" is not a definition number"},
        {"", "its picture definition \"\" is not a definition number"},
        {"4294967298", "its picture definition \"4294967298\" is not a definition number"},
    };
    for (const auto& c : cases) {
        PictureRecipe read;
        const Outcome outcome = readPngRecipe(withDefinition(c.value), read);
        EXPECT_EQ(outcome.failure, Failure::Refused) << c.value;
        EXPECT_EQ(outcome.message, c.message);
        EXPECT_EQ(read, PictureRecipe{}) << c.value;
    }
    // The definitions it draws are taken.
    for (const char* known : {"1", "2"}) {
        PictureRecipe read;
        EXPECT_TRUE(readPngRecipe(withDefinition(known), read)) << known;
    }
}

TEST(PngRecipe, MetadataIsTheTextFirstThenTheRestPhysAndSrgb) {
    PictureRecipe ascii = kRecipe;
    ascii.text = "plain ascii";
    const PngMetadata metadata = pngMetadataOf(ascii);
    EXPECT_EQ(metadata.texts, (std::vector<PngText>{{"Title", "plain ascii", false, true},
                                                    {"Description", describe(ascii), false},
                                                    {"Software", kRecipe.software, false},
                                                    {"Creation Time", kRecipe.creationTime, false},
                                                    {"Picture Definition", "2", false}}));
    EXPECT_EQ(metadata.pixelsPerMetre, kScreenPixelsPerMetre);
    EXPECT_TRUE(metadata.srgb);

    // In the file the text is the first text chunk, before the image data.
    const std::vector<std::uint8_t> png = pngWith(ascii);
    const std::size_t title = chunkAt(png, "tEXt");
    EXPECT_EQ(std::string(png.begin() + static_cast<long>(title) + 4, png.begin() + static_cast<long>(title) + 14),
              std::string("tEXtTitle\0", 10));
    EXPECT_LT(title, chunkAt(png, "IDAT"));
    EXPECT_LT(chunkAt(png, "sRGB"), chunkAt(png, "IDAT"));

    // Empty values are left out, but the text never is.
    EXPECT_EQ(pngMetadataOf(PictureRecipe{}).texts,
              (std::vector<PngText>{{"Title", "", false, true}, {"Picture Definition", "2", false}}));
}

// Viewers show tEXt: a Latin-1 text goes there as Latin-1 bytes, any other
// into UTF-8 iTXt; both read back as the same UTF-8.
TEST(PngRecipe, TitleIsLatinOneTextWhenItCanBe) {
    struct Case {
        std::string text;
        const char* type;
        std::string stored;
    };
    for (const Case& c : std::vector<Case>{{"sunset", "tEXt", "sunset"},
                                           {"caf\xC3\xA9 \xC3\xBF\xC2\xA0", "tEXt", "caf\xE9 \xFF\xA0"},
                                           {"Zaz\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87", "iTXt", ""},
                                           {"\xE2\x82\xAC", "iTXt", ""},  // the euro sign, not Latin-1
                                           {"\xF0\x9F\x98\x80", "iTXt", ""}}) {
        PictureRecipe written = kRecipe;
        written.text = c.text;
        const PngMetadata metadata = pngMetadataOf(written);
        EXPECT_EQ(metadata.texts.front().latin1, std::string(c.type) == "tEXt") << c.text;
        if (metadata.texts.front().latin1) EXPECT_EQ(metadata.texts.front().value, c.stored);
        const std::vector<std::uint8_t> png = pngWith(written);
        const std::size_t title = chunkAt(png, c.type);
        EXPECT_EQ(std::string(png.begin() + static_cast<long>(title) + 8, png.begin() + static_cast<long>(title) + 13),
                  "Title")
            << c.text;
        PictureRecipe read;
        ASSERT_TRUE(readPngRecipe(png, read));
        EXPECT_EQ(read.text, c.text);
    }
}

// The Description is a sentence a person reads, and the parameter line still
// comes out of it; an older file's bare line is read as it is.
TEST(PngRecipe, DescriptionIsASentenceThatStillCarriesTheParameters) {
    PictureRecipe recipe = kRecipe;
    recipe.text = "sunset (at sea)";
    recipe.width = 1920;
    recipe.height = 1080;
    EXPECT_EQ(describe(recipe), "Textscape picture of \"sunset (at sea)\", definition 2, 1920 \xC3\x97 1080 "
                                "(tip1=7  tip2=2  tip3=4  seed=127010); textscape-render --from FILE makes it again");
    recipe.width = recipe.height = 0;
    EXPECT_EQ(describe(recipe), "Textscape picture of \"sunset (at sea)\", definition 2 "
                                "(tip1=7  tip2=2  tip3=4  seed=127010); textscape-render --from FILE makes it again");
    PictureRecipe read;
    ASSERT_TRUE(readPngRecipe(pngWith(recipe), read));
    EXPECT_EQ(read.parameters, recipe.parameters);
    EXPECT_EQ(testing::pngTexts(pngWith(recipe)).at("Description"), describe(recipe));
    for (const char* bare : {"tip1=7  tip2=2  tip3=3  seed=4133079", "Textscape picture of something else"})
        EXPECT_EQ(parametersOf(bare), bare);
}

TEST(PngRecipe, PhysIsTheSizesDpiOrTheOneAskedFor) {
    struct Case {
        int width, height, dpi;
        std::uint32_t pixelsPerMetre;
    };
    for (const Case& c : std::vector<Case>{{3508, 2480, 0, 11811},
                                           {2480, 3508, 0, 11811},
                                           {4961, 3508, 0, 11811},
                                           {3508, 4961, 0, 11811},
                                           {1920, 1080, 0, 3780},
                                           {0, 0, 0, 3780},
                                           {3508, 2480, 72, 2835},
                                           {600, 450, 600, 23622}}) {
        PictureRecipe recipe = kRecipe;
        recipe.width = c.width, recipe.height = c.height, recipe.dpi = c.dpi;
        EXPECT_EQ(pngMetadataOf(recipe).pixelsPerMetre, c.pixelsPerMetre) << c.width << "x" << c.height;
    }
}

TEST(PngRecipe, ReadsFilesWrittenWithTheOlderKeys) {
    const std::vector<PngText> old = {{"Software", "textscape-render 1.0.0"},
                                      {"Parameters", "tip1=15  tip2=1  tip3=4  seed=2033639"},
                                      {"Text", "Hello, Textscape"}};
    PictureRecipe read;
    ASSERT_TRUE(readPngRecipe(pngWithTexts(old), read));
    EXPECT_EQ(read, (PictureRecipe{"Hello, Textscape", "tip1=15  tip2=1  tip3=4  seed=2033639",
                                   "textscape-render 1.0.0", "", 1}));

    // Title wins over Text, Description over Parameters, wherever they stand.
    std::vector<PngText> both = old;
    for (const PngText& text : pngMetadataOf(kRecipe).texts) both.push_back(text);
    ASSERT_TRUE(readPngRecipe(pngWithTexts(both), read));
    EXPECT_EQ(read.text, kRecipe.text);
    EXPECT_EQ(read.parameters, kRecipe.parameters);
}

TEST(PngRecipe, EitherProgramWithOrWithoutItsVersionIsOurs) {
    for (const char* software : {"textscape-render 1.0.0", "textscape 1.0.0", "textscape", "textscape-render"}) {
        const std::vector<std::uint8_t> png = pngWithTexts({{"Title", "Holiday"}, {"Software", software}});
        PictureRecipe read;
        const Outcome outcome = readPngRecipe(png, read);
        ASSERT_TRUE(outcome) << software << ": " << outcome.message;
        EXPECT_EQ(read.software, software);
        EXPECT_EQ(read.text, "Holiday");
    }
}

TEST(PngRecipe, LatinOneTextChunksAreGivenAsUtf8) {
    std::vector<std::uint8_t> png = pngWithTexts({{"Software", "textscape-render 1.0.0"}});
    png = withChunkAfterHeader(png, pngChunk("tEXt", std::string("Title\0caf\xE9 \xBD", 12)));
    PictureRecipe read;
    ASSERT_TRUE(readPngRecipe(png, read));
    EXPECT_EQ(read.text, "café ½");
}

TEST(PngRecipe, RefusesWhatIsNotARecipeAndSaysWhich) {
    const std::vector<std::uint8_t> good = pngWith(kRecipe);
    const std::size_t title = chunkAt(good, "iTXt");
    const auto changed = [&](auto change) {
        std::vector<std::uint8_t> png = good;
        change(png);
        return png;
    };
    const std::vector<std::uint8_t> foreign = pngWithTexts({{"Title", "Holiday"}, {"Software", "GIMP 2.10"}});
    const std::vector<std::uint8_t> noSoftware = pngWithTexts({{"Title", "Holiday"}});
    const auto titledBy = [](const std::string& software) {
        return pngWithTexts({{"Title", "Holiday"}, {"Software", software}});
    };
    const std::vector<std::uint8_t> zipped =
        withChunkAfterHeader(tinyPng(), pngChunk("zTXt", std::string("Title\0\0\x78\x9c\x03\0\0\0\0\x01", 14)));
    const std::vector<std::uint8_t> zippedItxt =
        withChunkAfterHeader(tinyPng(), pngChunk("iTXt", std::string("Title\0\1\0\0\0\x78\x9c\x03\0\0\0\0\x01", 16)));

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
        {"a changed text byte", changed([&](auto& p) { p[title + 14] ^= 1; }), "fails its CRC check"},
        {"a changed CRC", changed([](auto& p) { p[kIhdrEnd - 1] ^= 0x80; }), "fails its CRC check"},
        {"a huge length", changed([](auto& p) { p[kIhdrEnd] = 0xFF; }), "length out of range"},
        {"a length past the end", changed([](auto& p) { p[kIhdrEnd + 1] = 0x7F; }), "cut short"},
        {"a bad chunk type", changed([](auto& p) { p[kIhdrEnd + 4] = '1'; }), "no valid type"},
        {"no IHDR first", changed([](auto& p) { p.erase(p.begin() + 8, p.begin() + kIhdrEnd); }),
         "does not start with an IHDR"},
        {"no text chunks", tinyPng(), "no Textscape recipe"},
        {"only pHYs", pngWith(PngMetadata{{}, kScreenPixelsPerMetre}), "no Textscape recipe"},
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
    std::vector<std::uint8_t> png = pngWith(kRecipe);
    // Text chunks without a key, without a separator, or with a cut iTXt
    // header are not recipes but do not spoil the file.
    const std::pair<const char*, std::string> malformed[] = {
        {"tEXt", std::string("\0value", 6)},       {"tEXt", "NoSeparator"},
        {"iTXt", std::string("Title\0", 6)},       {"iTXt", std::string("Title\0\0\0lang", 10)},
        {"iTXt", std::string("Title\0\0\0\0", 9)}, {"tEXt", std::string(100, 'k') + '\0' + "too long a key"},
    };
    for (const auto& [type, data] : malformed) png = withChunkAfterHeader(png, pngChunk(type, data));
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
    std::string winter, summer, utc;
    {
        const testing::InZone ljubljana("Europe/Ljubljana");
        winter = localCreationTime("T20260115120000");
        summer = localCreationTime("T20260715120000");
    }
    {
        const testing::InZone inUtc("UTC");
        utc = localCreationTime("T20260715120000");
    }
    if (winter.ends_with("Z")) GTEST_SKIP() << "no time zone data on this machine";
    EXPECT_EQ(winter, "2026-01-15T12:00:00+01:00");
    EXPECT_EQ(summer, "2026-07-15T12:00:00+02:00");
    EXPECT_EQ(utc, "2026-07-15T12:00:00Z");
    EXPECT_EQ(localCreationTime("Tnot-a-stamp"), "");
}

}  // namespace
}  // namespace ts

namespace ts {
namespace {

// A PNG of tinyPng's image data under the header given, every CRC right.
std::vector<std::uint8_t> underHeader(std::uint32_t width, std::uint32_t height, int depth, int colourType,
                                      int compression = 0, int filter = 0, int interlace = 0) {
    std::string data;
    for (const std::uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) data.push_back(static_cast<char>(v >> shift));
    for (const int b : {depth, colourType, compression, filter, interlace}) data.push_back(static_cast<char>(b));
    std::vector<std::uint8_t> png = tinyPng();
    const std::vector<std::uint8_t> header = pngChunk("IHDR", data);
    png.erase(png.begin() + 8, png.begin() + kIhdrEnd);
    png.insert(png.begin() + 8, header.begin(), header.end());
    return png;
}

// Damaged files are called damaged whether or not they have text chunks:
// a chunk that fails its CRC, a length out of range, a file cut short, and,
// with every CRC right, a header no PNG can have or no image data at all
// (PngSuite's xc1n0g08, xc9n2c08, xd0n2c08, xd3n2c08, xd9n2c08, xdtn0g01 are
// of these kinds).
TEST(PngRecipe, ADamagedFileIsCalledDamagedWithoutAnyTextChunk) {
    const std::vector<std::uint8_t> tiny = tinyPng();
    const auto changed = [&](auto change) {
        std::vector<std::uint8_t> png = tiny;
        change(png);
        return png;
    };
    std::vector<std::uint8_t> noImageData = tiny;
    const std::size_t idat = chunkAt(tiny, "IDAT");
    noImageData.erase(noImageData.begin() + static_cast<long>(idat),
                      noImageData.begin() + static_cast<long>(idat) + 22);
    std::vector<std::uint8_t> shortHeader = tiny;
    {
        const std::vector<std::uint8_t> header = pngChunk("IHDR", std::string(12, '\1'));
        shortHeader.erase(shortHeader.begin() + 8, shortHeader.begin() + kIhdrEnd);
        shortHeader.insert(shortHeader.begin() + 8, header.begin(), header.end());
    }
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        const char* inMessage;
    } cases[] = {
        {"a data CRC", changed([&](auto& p) { p[idat + 10] ^= 1; }), "fails its CRC check"},
        {"an IEND CRC", changed([](auto& p) { p.back() ^= 1; }), "fails its CRC check"},
        {"a huge length", changed([&](auto& p) { p[idat] = 0x80; }), "length out of range"},
        {"cut", changed([](auto& p) { p.resize(p.size() - 5); }), "cut short"},
        {"no IEND", changed([](auto& p) { p.resize(p.size() - 12); }), "ends before its IEND"},
        {"colour type 1 (xc1n0g08)", underHeader(1, 1, 8, 1), "colour type 1"},
        {"colour type 9 (xc9n2c08)", underHeader(1, 1, 8, 9), "colour type 9"},
        {"bit depth 0 (xd0n2c08)", underHeader(1, 1, 0, 2), "bit depth 0"},
        {"bit depth 3 (xd3n2c08)", underHeader(1, 1, 3, 2), "bit depth 3"},
        {"bit depth 99 (xd9n2c08)", underHeader(1, 1, 99, 2), "bit depth 99"},
        {"16-bit palette", underHeader(1, 1, 16, 3), "bit depth 16"},
        {"width 0", underHeader(0, 1, 8, 0), "size of 0 x 1"},
        {"height past 2^31", underHeader(1, 0x80000000u, 8, 0), "size of 1 x 2147483648"},
        {"compression 1", underHeader(1, 1, 8, 0, 1), "compression method 1"},
        {"filter 1", underHeader(1, 1, 8, 0, 0, 1), "filter method 1"},
        {"interlace 2", underHeader(1, 1, 8, 0, 0, 0, 2), "interlace method 2"},
        {"a 12-byte header", shortHeader, "has 12 bytes, not 13"},
        {"no IDAT (xdtn0g01)", noImageData, "no image data"},
    };
    for (const auto& c : cases) {
        PictureRecipe read;
        const Outcome outcome = readPngRecipe(c.bytes, read);
        EXPECT_FALSE(outcome) << c.what;
        EXPECT_EQ(outcome.message.rfind("damaged: ", 0), 0u) << c.what << ": " << outcome.message;
        EXPECT_NE(outcome.message.find(c.inMessage), std::string::npos) << c.what << ": " << outcome.message;
    }
    // Every header PNG has, at its edges, is taken.
    for (const auto& [depth, colourType] : std::vector<std::pair<int, int>>{
             {1, 0}, {16, 0}, {8, 2}, {16, 2}, {1, 3}, {8, 3}, {8, 4}, {16, 4}, {8, 6}, {16, 6}}) {
        PictureRecipe read;
        const Outcome outcome = readPngRecipe(underHeader(0x7FFFFFFFu, 1, depth, colourType, 0, 0, 1), read);
        EXPECT_EQ(outcome.message, "no Textscape recipe in its text chunks") << depth << ' ' << colourType;
    }
}

// Local 02:30 happens twice in Berlin on 2026-10-25: a picture keeps the
// offset of the instant it was made; its name alone could not tell.
TEST(CreationTime, OfAPictureIsItsOwnInstantsInTheHourThatRepeats) {
    const testing::InZone berlin("Europe/Berlin");
    FormState s;
    s.imeslike = "T20261025023000";
    s.madeAt = testing::kBerlinFirst0230;
    const std::string first = creationTimeOf(s);
    if (first.ends_with("Z")) GTEST_SKIP() << "no time zone data on this machine";
    EXPECT_EQ(first, "2026-10-25T02:30:00+02:00");
    s.madeAt = testing::kBerlinSecond0230;
    EXPECT_EQ(creationTimeOf(s), "2026-10-25T02:30:00+01:00");
    // A clock that knows only its local time: the name's, as before.
    s.madeAt.reset();
    EXPECT_EQ(creationTimeOf(s), localCreationTime(s.imeslike));
}

}  // namespace
}  // namespace ts
