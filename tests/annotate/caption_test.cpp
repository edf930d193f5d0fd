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
#include "support/test_names.hpp"

namespace ts {
namespace {

FormState withText(std::string text) {
    FormState s;
    SplitMixGenerator random;
    ReadTextSeed(s, std::move(text), random);
    return s;
}

// Stands in for a font: a filled box per character, `points` pixels wide
// and high, so that any printed text leaves a mark in the raster; an
// outline is a one-pixel frame around the boxes.
class BoxPainter final : public TextPainter {
public:
    float draw(Raster& raster, float x, float y, std::string_view utf8text, float points, Colour colour) override {
        const int n = static_cast<int>(codePoints(utf8text).size());
        const int size = static_cast<int>(points);
        for (int k = 0; k < n * size; ++k)
            for (int row = 0; row < size; ++row) raster.set(static_cast<int>(x) + k, static_cast<int>(y) + row, colour);
        return x + static_cast<float>(n * size);
    }
    float drawOutlined(Raster& raster, float x, float y, std::string_view utf8text, float points, Colour colour,
                       Colour outline) override {
        const int n = static_cast<int>(codePoints(utf8text).size());
        const int size = static_cast<int>(points);
        for (int k = -1; k <= n * size; ++k)
            for (int row = -1; row <= size; ++row)
                raster.set(static_cast<int>(x) + k, static_cast<int>(y) + row, outline);
        return draw(raster, x, y, utf8text, points, colour);
    }
    float width(std::string_view utf8text, float points) const override {
        return static_cast<float>(codePoints(utf8text).size()) * points;
    }
    float lineHeight(float points) const override { return points + 2; }
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

TEST(PrintCaption, PrintsTheTextInWhiteWithABlackEdgeAt10And415ThenAStarAtTheWindowCorner) {
    FormState s = withText("hello world");
    testing::RecordingSurface canvas, window;
    PrintCaption(s, canvas, window);

    using Call = testing::RecordingSurface::Call;
    const std::vector<Call> expectedCanvas = {
        {"setFontSize", {12}, {}, {}},
        {"setTextColour", {}, {}, Colour::white()},
        {"setTextOutline", {}, {}, Colour::black()},
        {"setTextX", {10}, {}, {}},
        {"setTextY", {415}, {}, {}},
        {"print", {}, "hello world", {}},
        {"clearTextOutline", {}, {}, {}},
    };
    const std::vector<Call> expectedWindow = {
        {"setTextX", {1}, {}, {}},
        {"setTextY", {1}, {}, {}},
        {"print", {}, "*", {}},
    };
    EXPECT_EQ(canvas.calls, expectedCanvas);
    EXPECT_EQ(window.calls, expectedWindow);
}

// Where the caption fits on one line at its size, that is the size.
TEST(PrintCaption, HandsTheCaptionSizeForEachLengthToTheCanvas) {
    const struct {
        int length;
        float points;
    } cases[] = {{1, 15}, {3, 14}, {9, 13}, {24, 12}, {67, 11}, {68, 10}, {100, 10}};
    for (const auto& c : cases) {
        FormState s = withText(std::string(static_cast<std::size_t>(c.length), 'x'));
        testing::RecordingSurface canvas, window;
        canvas.characterWidth = 0.4f;  // 100 characters at 10 points are 533 pixels
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

namespace ts {
namespace {

std::string words(int count, const std::string& word) {
    std::string out;
    for (int k = 0; k < count; ++k) out += (k ? " " : "") + word;
    return out;
}

struct LayoutCase {
    const char* what;
    std::string text;
    float characterWidth;  // in ems, for every character
    float largest;
    float points;  // the size chosen
    std::size_t lines;
    std::size_t firstLineCharacters;
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.what; }

class CaptionLayoutCase : public ::testing::TestWithParam<LayoutCase> {};

// With every character `characterWidth` ems wide the lines have room for
// 579 pixels: 86 characters of half an em at 10 points.
TEST_P(CaptionLayoutCase, FitsBetweenTheMarginsOnAsFewLinesAsItCan) {
    const LayoutCase& c = GetParam();
    testing::RecordingSurface canvas;
    canvas.characterWidth = c.characterWidth;
    const CaptionLayout layout = layoutCaption(c.text, c.largest, canvas);

    EXPECT_EQ(layout.points, c.points);
    ASSERT_EQ(layout.lines.size(), c.lines);
    EXPECT_EQ(codePoints(layout.lines[0]).size(), c.firstLineCharacters);
    EXPECT_EQ(layout.lineHeight, canvas.lineHeight(c.points));
    // The last line sits where a caption of one line does, the others above.
    EXPECT_FLOAT_EQ(layout.top + static_cast<float>(c.lines - 1) * layout.lineHeight, kCaptionTop);

    std::string joined;
    for (const std::string& line : layout.lines) {
        EXPECT_LE(kCaptionLeft + canvas.textWidth(line, layout.points), kCaptionRight) << line;
        EXPECT_FALSE(line.empty());
        EXPECT_NE(line.back(), ' ') << line;
        // Only the break's space is dropped: the lines give the text back.
        if (!joined.empty() && c.text[joined.size()] == ' ') joined += ' ';
        joined += line;
    }
    EXPECT_EQ(joined, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Captions, CaptionLayoutCase,
    ::testing::Values(LayoutCase{"short text, one line at its size", "hello world", 0.5f, 12, 12, 1, 11},
                      LayoutCase{"one line a size smaller", std::string(95, 'x'), 0.5f, 10, 9, 1, 95},
                      LayoutCase{"two lines between characters", std::string(100, 'x'), 0.5f, 10, 10, 2, 86},
                      LayoutCase{"two lines between words", words(20, "word"), 0.5f, 10, 10, 2, 84},
                      LayoutCase{"wide characters take five lines", std::string(100, 'W'), 2.0f, 10, 10, 5, 21},
                      LayoutCase{"two-byte characters count once",
                                 words(10, "\xC5\xBE\xC5\xBE\xC5\xBE\xC5\xBE\xC5\xBE\xC5\xBE\xC5\xBE\xC5\xBE\xC5\xBE"),
                                 0.5f, 10, 10, 2, 79}),
    testing::nameByWhat);

TEST(CaptionLayout, NoLinesForTheEmptyText) {
    testing::RecordingSurface canvas;
    EXPECT_TRUE(layoutCaption("", 15, canvas).lines.empty());
}

TEST(PrintCaption, PrintsEachLineAtItsPlace) {
    FormState s = withText(std::string(100, 'x'));
    testing::RecordingSurface canvas, window;
    PrintCaption(s, canvas, window);
    const auto ys = canvas.callsNamed("setTextY");
    const auto prints = canvas.callsNamed("print");
    ASSERT_EQ(ys.size(), 2u);
    ASSERT_EQ(prints.size(), 2u);
    EXPECT_EQ(prints[0].text + prints[1].text, std::string(100, 'x'));
    EXPECT_FLOAT_EQ(ys[1].args[0], 415);
    EXPECT_NEAR(ys[1].args[0] - ys[0].args[0], canvas.lineHeight(10), 1e-3);
}

TEST(PrintCaption, LongTextStaysInsideThePictureWithItsEdge) {
    // 100 characters of 10 pixels at 10 points: 1000 pixels, more than one line.
    FormState s = withText(std::string(100, 'a'));
    auto painter = std::make_shared<BoxPainter>();
    RasterSurface canvas(600, 450, painter);
    canvas.raster().fill(Colour::fromRgb(10, 20, 30));
    RasterSurface window(900, 600, painter);
    PrintCaption(s, canvas, window);
    int white = 0;
    for (int y = 0; y < 450; ++y)
        for (int x = 0; x < 600; ++x) {
            const Colour c = canvas.raster().at(x, y);
            if (c == Colour::fromRgb(10, 20, 30)) continue;
            EXPECT_TRUE(x >= 9 && x <= 591) << x << "," << y;
            if (c == Colour::white()) ++white;
        }
    EXPECT_EQ(white, 100 * 10 * 10);  // every character's box, whole
    EXPECT_FALSE(canvas.textOutline().has_value()) << "the edge is for the caption only";
}

}  // namespace
}  // namespace ts

namespace ts {
namespace {

// On a picture of another size the caption keeps its corner, its margins
// and its size in proportion to the picture's height.
TEST(CaptionFrame, ScalesTheStandardPlaceWithThePicturesHeight) {
    const struct {
        int width, height;
        float scale, left, right, lastTop;
    } cases[] = {
        {600, 450, 1, 10, 590, 415},
        {1200, 900, 2, 20, 1180, 830},
        {1920, 1080, 2.4f, 24, 1896, 996},
        {3840, 2160, 4.8f, 48, 3792, 1992},
        {1080, 1920, 1920.f / 450, 1920.f / 45, 1080 - 1920.f / 45, 415 * 1920.f / 450},
    };
    for (const auto& c : cases) {
        const CaptionFrame frame = captionFrame(c.width, c.height);
        EXPECT_FLOAT_EQ(frame.scale, c.scale) << c.width << "x" << c.height;
        EXPECT_FLOAT_EQ(frame.left, c.left) << c.width << "x" << c.height;
        EXPECT_FLOAT_EQ(frame.right, c.right) << c.width << "x" << c.height;
        EXPECT_FLOAT_EQ(frame.lastTop, c.lastTop) << c.width << "x" << c.height;
    }
}

TEST(CaptionLayout, TwiceTheFrameTwiceTheSizeAndPlace) {
    testing::RecordingSurface canvas;
    const CaptionFrame twice = captionFrame(1200, 900);
    const CaptionLayout small = layoutCaption("hello world", 12, canvas);
    const CaptionLayout large = layoutCaption("hello world", 12, canvas, twice);
    EXPECT_EQ(small.points, 12);
    EXPECT_EQ(large.points, 24);
    EXPECT_EQ(large.lines, small.lines);
    EXPECT_FLOAT_EQ(large.top, 830);
    // A long text breaks where it does on the standard picture.
    const std::string longText = std::string(100, 'x');
    EXPECT_EQ(layoutCaption(longText, 10, canvas, twice).lines, layoutCaption(longText, 10, canvas).lines);
    EXPECT_EQ(layoutCaption(longText, 10, canvas, twice).points, 20);

    testing::RecordingSurface printed, window;
    FormState s = withText("hello world");
    PrintCaption(s, printed, window, twice);
    EXPECT_EQ(printed.callsNamed("setTextX").front().args[0], 20);
    EXPECT_EQ(printed.callsNamed("setTextY").front().args[0], 830);
    EXPECT_EQ(printed.callsNamed("setFontSize").front().args[0], 24);
}

}  // namespace
}  // namespace ts
