#include <gtest/gtest.h>
#include <sys/stat.h>

#include "files/png_encoder.hpp"
#include "files/recipe_file.hpp"
#include "support/png_chunks.hpp"
#include "support/test_folder.hpp"

namespace ts {
namespace {

using Problem = RecipeRead::Problem;

std::vector<std::uint8_t> pngWithRecipe(const PictureRecipe& recipe) {
    std::vector<std::uint8_t> png;
    const Outcome encoded = encodePng(Raster(3, 2, Colour::fromRgb(10, 20, 30)), pngMetadataOf(recipe), png);
    EXPECT_TRUE(encoded) << encoded.message;
    return png;
}

const PictureRecipe kRecipe{"Hello, Textscape", "tip1=15  tip2=1  tip3=4  seed=2033639", "textscape 1.0.0",
                            "2026-03-08T14:05:09+01:00"};

// One reader for the renderer's --from and the window's Open: what it says
// of each kind of file.
TEST(ReadRecipe, TellsWhatIsWrongAndNamesTheFile) {
    std::vector<std::uint8_t> damaged = pngWithRecipe(kRecipe);
    damaged[42] ^= 1;  // inside the data of the chunk after the header
    PictureRecipe tooLong = kRecipe;
    tooLong.text = std::string(101, 'x');
    PictureRecipe control = kRecipe;
    control.text = "a\x1B";
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        Problem problem;
        std::string reason;
    } cases[] = {
        {"recipe", pngWithRecipe(kRecipe), Problem::None, ""},
        {"text", {'h', 'i', '\n'}, Problem::NotPng, "not a PNG file"},
        {"empty", {}, Problem::NotPng, "not a PNG file"},
        {"damaged", damaged, Problem::Damaged, "damaged: the chunk at byte 33 fails its CRC check"},
        {"cut", std::vector<std::uint8_t>(damaged.begin(), damaged.begin() + 30), Problem::Damaged,
         "damaged: the chunk at byte 8 is cut short"},
        {"no recipe", testing::tinyPng(), Problem::NoRecipe, "no Textscape recipe in its text chunks"},
        {"too long", pngWithRecipe(tooLong), Problem::TextRefused,
         "the text has 101 characters; at most 100 are allowed"},
        {"control", pngWithRecipe(control), Problem::TextRefused, "control character (U+001B) at position 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const RecipeRead read = readRecipe("dir/file.png", c.bytes);
        EXPECT_EQ(read.problem, c.problem);
        EXPECT_EQ(read.bytes, c.bytes);
        EXPECT_EQ(static_cast<bool>(read), c.problem == Problem::None);
        if (c.problem == Problem::None) {
            EXPECT_EQ(read.recipe, kRecipe);
            EXPECT_EQ(read.message, "");
            continue;
        }
        EXPECT_NE(read.reason.find(c.reason), std::string::npos) << read.reason;
        const std::string saying = c.problem == Problem::TextRefused ? "its text is refused: " : "";
        EXPECT_EQ(read.message, "dir/file.png: " + saying + read.reason);
    }
}

TEST(ReadRecipeFile, ReadsARegularFileAndRefusesAnythingElseUnread) {
    const std::filesystem::path folder = testing::freshFolder();
    testing::writeBytes(folder / "picture.png", pngWithRecipe(kRecipe));
    const RecipeRead good = readRecipeFile(folder / "picture.png");
    ASSERT_TRUE(good) << good.message;
    EXPECT_EQ(good.recipe, kRecipe);

    testing::writeText(folder / "notes.png", "notes");
    EXPECT_EQ(readRecipeFile(folder / "notes.png").message, (folder / "notes.png").string() + ": not a PNG file");

    ASSERT_EQ(::mkfifo((folder / "pipe.png").c_str(), 0644), 0);
    const RecipeRead pipe = readRecipeFile(folder / "pipe.png");
    EXPECT_EQ(pipe.problem, Problem::Unreadable);
    EXPECT_EQ(pipe.message,
              "Could not read " + (folder / "pipe.png").string() + ": it is a named pipe, not a regular file");
    EXPECT_TRUE(pipe.reason.empty());
    EXPECT_TRUE(pipe.bytes.empty());
    EXPECT_EQ(readRecipeFile(folder).message, "Could not read " + folder.string() + ": it is a folder");
}

}  // namespace
}  // namespace ts
