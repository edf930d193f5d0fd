#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "annotate/caption.hpp"
#include "platform/random_source.hpp"
#include "platform/raster_surface.hpp"
#include "seed/character_code.hpp"
#include "seed/read_text_seed.hpp"
#include "state/layout.hpp"
#include "support/recording_surface.hpp"

namespace ts {
namespace {

FormState withText(std::string text) {
    FormState s;
    SplitMixGenerator random;
    ReadTextSeed(s, std::move(text), random);
    return s;
}

// Stands in for a font: a filled box per character, so that any printed
// text leaves a mark in the raster.
class BoxPainter final : public TextPainter {
public:
    float draw(Raster& raster, float x, float y, std::string_view utf8text, float points, Colour colour) override {
        const int n = static_cast<int>(codePoints(utf8text).size());
        const int size = static_cast<int>(points);
        for (int k = 0; k < n * size; ++k)
            for (int row = 0; row < size; ++row) raster.set(static_cast<int>(x) + k, static_cast<int>(y) + row, colour);
        return x + static_cast<float>(n * size);
    }
};

TEST(CaptionSize, ShrinksAsTheTextGrows) {
    struct Case {
        int length;
        double size;
    } const cases[] = {
        {1, 15},  {2, 14},  {3, 14},  {4, 13},  {9, 13},  {10, 12},
        {24, 12}, {25, 11}, {67, 11}, {68, 10}, {99, 10}, {100, 10},
    };
    for (const Case& c : cases) {
        const Number size = captionSize(withText(std::string(static_cast<std::size_t>(c.length), 'a')));
        EXPECT_FALSE(size.isEmpty()) << c.length;
        EXPECT_EQ(size.value(), c.size) << c.length;
    }
}

TEST(CaptionSize, CountsCharactersNotBytes) {
    // Seven two-byte characters are a text of 7, not of 14.
    EXPECT_EQ(captionSize(withText("ščćžđšč")).value(), 13);
}

TEST(CaptionSize, IsEmptyForTheEmptyText) { EXPECT_TRUE(captionSize(withText("")).isEmpty()); }

TEST(PrintCaption, PrintsTheTextInWhiteAt10And415ThenAStarAtTheWindowCorner) {
    FormState s = withText("hello world");
    testing::RecordingSurface canvas, window;
    PrintCaption(s, canvas, window);

    using Call = testing::RecordingSurface::Call;
    const std::vector<Call> expectedCanvas = {
        {"setFontSize", {12}, {}, {}}, {"setTextColour", {}, {}, Colour::white()}, {"setTextX", {10}, {}, {}},
        {"setTextY", {415}, {}, {}},   {"print", {}, "hello world", {}},
    };
    const std::vector<Call> expectedWindow = {
        {"setTextX", {1}, {}, {}},
        {"setTextY", {1}, {}, {}},
        {"print", {}, "*", {}},
    };
    EXPECT_EQ(canvas.calls, expectedCanvas);
    EXPECT_EQ(window.calls, expectedWindow);
}

TEST(PrintCaption, HandsTheCaptionSizeForEachLengthToTheCanvas) {
    const struct {
        int length;
        float points;
    } cases[] = {{1, 15}, {3, 14}, {9, 13}, {24, 12}, {67, 11}, {68, 10}, {100, 10}};
    for (const auto& c : cases) {
        FormState s = withText(std::string(static_cast<std::size_t>(c.length), 'x'));
        testing::RecordingSurface canvas, window;
        PrintCaption(s, canvas, window);
        const auto sizes = canvas.callsNamed("setFontSize");
        ASSERT_EQ(sizes.size(), 1u);
        EXPECT_EQ(sizes[0].args[0], c.points) << c.length;
    }
}

TEST(PrintCaption, EmptyTextHandsSizeZeroAndStillPrintsTheStar) {
    FormState s = withText("");
    testing::RecordingSurface canvas, window;
    PrintCaption(s, canvas, window);
    const auto sizes = canvas.callsNamed("setFontSize");
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].args[0], 0.0f);
    ASSERT_EQ(window.calls.size(), 3u);
    EXPECT_EQ(window.calls[2].text, "*");
}

TEST(PrintCaption, EmptyTextLeavesThePictureUntouched) {
    FormState s = withText("");
    auto painter = std::make_shared<BoxPainter>();
    RasterSurface canvas(layout::kCanvasWidth, layout::kCanvasHeight, painter, 12);
    canvas.raster().fill(Colour::fromRgb(10, 20, 30));
    const Raster before = canvas.raster();
    RasterSurface window(900, 600, painter);
    PrintCaption(s, canvas, window);
    EXPECT_EQ(canvas.raster(), before);
    EXPECT_EQ(window.raster().at(1, 1), Colour::white()) << "the star is still printed";
}

TEST(PrintCaption, TextGoesIntoThePictureStartingAt10And415) {
    FormState s = withText("ab");
    auto painter = std::make_shared<BoxPainter>();
    RasterSurface canvas(layout::kCanvasWidth, layout::kCanvasHeight, painter);
    RasterSurface window(900, 600, painter);
    PrintCaption(s, canvas, window);
    EXPECT_EQ(canvas.raster().at(10, 415), Colour::white());
    EXPECT_EQ(canvas.raster().at(9, 415), Colour::black());
    EXPECT_EQ(canvas.raster().at(10, 414), Colour::black());
}

}  // namespace
}  // namespace ts
