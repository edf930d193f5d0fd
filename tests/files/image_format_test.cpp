#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>

#include "files/image_encoding.hpp"
#include "files/image_format.hpp"

namespace ts {
namespace {

std::string upper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

bool isLower(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](unsigned char c) { return std::isupper(c); });
}

// What every entry must hold for the lists made from the table (--format,
// the file dialogs' patterns, the pages) to work.
TEST(ImageFormats, EveryEntryIsCompleteAndNamesNoOtherFormatsWords) {
    ASSERT_FALSE(imageFormats().empty());
    std::set<ImageFormat> formats;
    std::set<std::string_view> names, extensions;
    for (const ImageFormatInfo& info : imageFormats()) {
        SCOPED_TRACE(std::string(info.name));
        EXPECT_TRUE(formats.insert(info.format).second) << "one entry per format";
        EXPECT_TRUE(names.insert(info.name).second);
        EXPECT_FALSE(info.name.empty());
        EXPECT_TRUE(isLower(info.name));
        EXPECT_TRUE(std::all_of(info.name.begin(), info.name.end(), [](unsigned char c) {
            return std::isalnum(c) != 0;
        })) << "a word a shell and a page take as it is";
        EXPECT_FALSE(info.title.empty());
        EXPECT_TRUE(info.mimeType.starts_with("image/")) << info.mimeType;
        ASSERT_FALSE(info.extensions.empty());
        for (const std::string_view extension : info.extensions) {
            EXPECT_TRUE(extension.size() > 1 && extension[0] == '.') << extension;
            EXPECT_TRUE(isLower(extension)) << extension;
            EXPECT_TRUE(extensions.insert(extension).second) << extension << " chooses one format only";
        }
        EXPECT_EQ(&imageFormatInfo(info.format), &info);
    }
    EXPECT_EQ(defaultImageFormat(), imageFormats().front().format);
    EXPECT_TRUE(imageFormatInfo(defaultImageFormat()).inWindow) << "Save as offers the default first";
    EXPECT_TRUE(std::any_of(imageFormats().begin(), imageFormats().end(), [](const ImageFormatInfo& info) {
        return info.carriesRecipe && info.inWindow;
    })) << "the window can write a picture it can open again";
}

// Each entry's name and extensions find it, in any case; nothing else does.
TEST(ImageFormats, NamesAndExtensionsFindTheirEntryInAnyCase) {
    for (const ImageFormatInfo& info : imageFormats()) {
        SCOPED_TRACE(std::string(info.name));
        EXPECT_EQ(imageFormatNamed(info.name), info.format);
        EXPECT_EQ(imageFormatNamed(upper(info.name)), info.format);
        EXPECT_EQ(imageFormatNamed(std::string(info.name) + " "), std::nullopt);
        for (const std::string_view extension : info.extensions) {
            const std::string name = "picture" + std::string(extension);
            EXPECT_EQ(imageFormatOf(name), info.format);
            EXPECT_EQ(imageFormatOf("dir.x/PICTURE" + upper(extension)), info.format);
            EXPECT_EQ(imageFormatOf(name + ".tmp"), std::nullopt);
            EXPECT_EQ(imageFormatOf(name + "/inside"), std::nullopt);
            EXPECT_EQ(imageFormatOf(extension), std::nullopt) << "a hidden file's name, not an extension";
            // Looked for among the other formats only, it is not found.
            std::vector<ImageFormatInfo> others;
            for (const ImageFormatInfo& other : imageFormats())
                if (other.format != info.format) others.push_back(other);
            EXPECT_EQ(imageFormatOf(name, others), std::nullopt);
        }
    }
    for (const char* unknown : {"", "gif", "image", "p ng"}) EXPECT_EQ(imageFormatNamed(unknown), std::nullopt);
    for (const char* unknown : {"a", "a.gif", "a.", "png"}) EXPECT_EQ(imageFormatOf(unknown), std::nullopt);
}

// A picture every format can hold gives a file in each; one too wide for
// WebP is refused through the table with a line the user can read, naming
// the format, and no bytes.
TEST(EncodeImage, GivesAFileInEveryFormatOrSaysWhyNot) {
    const PictureRecipe recipe{"Hello", "tip1=15  tip2=1  tip3=4  seed=2033639", "textscape 1.0.0", ""};
    for (const ImageFormatInfo& info : imageFormats()) {
        SCOPED_TRACE(std::string(info.name));
        std::vector<std::uint8_t> bytes = {1, 2, 3};
        const Outcome encoded = encodeImage(Raster(9, 4), info.format, recipe, bytes);
        EXPECT_TRUE(encoded) << encoded.message;
        EXPECT_GT(bytes.size(), 3U);
    }
    std::vector<std::uint8_t> bytes = {1, 2, 3};
    const Outcome refused = encodeImage(Raster(kMaxWebpSide + 1, 1), ImageFormat::Webp, recipe, bytes);
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.failure, Failure::Refused);
    EXPECT_TRUE(refused.message.starts_with("Could not write a WebP file: ")) << refused.message;
    EXPECT_NE(refused.message.find(std::to_string(kMaxWebpSide)), std::string::npos) << refused.message;
    EXPECT_TRUE(bytes.empty());
}

TEST(WordsJoinedWithOr, ListsAsASentenceDoes) {
    const struct {
        std::vector<std::string> words;
        const char* joined;
    } cases[] = {
        {{}, ""},
        {{"png"}, "png"},
        {{"png", "bmp"}, "png or bmp"},
        {{"png", "bmp", "webp"}, "png, bmp or webp"},
        {{".png", ".bmp", ".webp", ".jpg"}, ".png, .bmp, .webp or .jpg"},
    };
    for (const auto& c : cases) EXPECT_EQ(wordsJoinedWithOr(c.words), c.joined);
}

}  // namespace
}  // namespace ts
