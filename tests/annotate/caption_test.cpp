#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "annotate/caption.hpp"
#include "platform/random_source.hpp"
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

// Measures as a font whose every character is `characterWidth` ems wide
// and whose lines are 1.25 ems apart, an em being 4/3 of a point.
class EvenMeasure final : public CaptionMeasure {
public:
    explicit EvenMeasure(float characterWidth = 0.5f) : characterWidth_(characterWidth) {}
    float width(std::u32string_view text, float points) const override {
        return static_cast<float>(text.size()) * characterWidth_ * points * 4 / 3;
    }
    float lineHeight(float points) const override { return 1.25f * points * 4 / 3; }

private:
    float characterWidth_;
};

// Where a caption changed a picture of one colour.
struct Ink {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    int pixels = 0;
};

Ink inkOn(const Raster& raster, Colour background) {
    Ink ink;
    for (int y = 0; y < raster.height(); ++y)
        for (int x = 0; x < raster.width(); ++x) {
            if (raster.at(x, y) == background) continue;
            ++ink.pixels;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
        }
    return ink;
}

constexpr Colour kPlain = Colour::fromRgb(10, 20, 30);

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

TEST(PrintCaption, PrintsTheTextIntoThePictureThenAStarAtTheWindowCorner) {
    FormState s = withText("hello world");
    Raster canvas(layout::kCanvasWidth, layout::kCanvasHeight, kPlain);
    testing::RecordingSurface window;
    PrintCaption(s, canvas, window);

    using Call = testing::RecordingSurface::Call;
    const std::vector<Call> expectedWindow = {
        {"setTextX", {1}, {}, {}},
        {"setTextY", {1}, {}, {}},
        {"print", {}, "*", {}},
    };
    EXPECT_EQ(window.calls, expectedWindow);
    EXPECT_GT(inkOn(canvas, kPlain).pixels, 100);
}

// Where the caption fits on one line at its size, that is the size.
TEST(CaptionLayoutOfTheState, TakesTheCaptionSizeForEachLength) {
    const struct {
        int length;
        float points;
    } cases[] = {{1, 15}, {3, 14}, {9, 13}, {24, 12}, {67, 11}, {68, 10}, {100, 10}};
    for (const auto& c : cases) {
        const FormState s = withText(std::string(static_cast<std::size_t>(c.length), 'x'));
        // 100 characters at 10 points are 533 pixels.
        const CaptionLayout layout = captionLayout(s, EvenMeasure(0.4f));
        EXPECT_EQ(layout.points, c.points) << c.length;
        EXPECT_EQ(layout.lines.size(), 1u) << c.length;
    }
}

TEST(CaptionLayoutOfTheState, NoLinesForTheEmptyText) {
    EXPECT_TRUE(captionLayout(withText(""), EvenMeasure()).lines.empty());
}

TEST(PrintCaption, EmptyTextLeavesThePictureUntouchedAndStillPrintsTheStar) {
    FormState s = withText("");
    Raster canvas(layout::kCanvasWidth, layout::kCanvasHeight, kPlain);
    const Raster before = canvas;
    testing::RecordingSurface window;
    PrintCaption(s, canvas, window);
    EXPECT_EQ(canvas, before);
    ASSERT_EQ(window.calls.size(), 3u);
    EXPECT_EQ(window.calls[2].text, "*");
}

// The line's top is at 415: the capitals start below it, by the font's
// ascent less its capital height, and the text starts at 10.
TEST(PrintCaption, TextGoesIntoThePictureStartingAt10And415) {
    FormState s = withText("HE");
    Raster canvas(layout::kCanvasWidth, layout::kCanvasHeight, kPlain);
    testing::RecordingSurface window;
    PrintCaption(s, canvas, window);
    const Ink ink = inkOn(canvas, kPlain);
    const double em = 14 * 4.0 / 3.0;  // "HE" is set at 14 points
    // The edge reaches a pixel past the glyphs, whose stems start at 0.098 em.
    EXPECT_NEAR(ink.left, 10 + 0.098 * em - 1, 1);
    // DejaVu Sans rises 0.928 em above its baseline, its capitals 0.729 em.
    EXPECT_NEAR(ink.top, 415 + (0.928 - 0.729) * em - 1, 1);
    EXPECT_NEAR(ink.bottom, 415 + 0.928 * em + 1, 1);
    int stem = 0;  // the H's first stem, in white, beside its edge
    for (int x = ink.left; x <= ink.left + 5; ++x) stem += canvas.at(x, (ink.top + ink.bottom) / 2) == Colour::white();
    EXPECT_GE(stem, 1);
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
    const EvenMeasure measure(c.characterWidth);
    const CaptionLayout layout = layoutCaption(c.text, c.largest, measure);

    EXPECT_EQ(layout.points, c.points);
    ASSERT_EQ(layout.lines.size(), c.lines);
    EXPECT_EQ(codePoints(layout.lines[0]).size(), c.firstLineCharacters);
    EXPECT_EQ(layout.lineHeight, measure.lineHeight(c.points));
    // The last line sits where a caption of one line does, the others above.
    EXPECT_FLOAT_EQ(layout.top + static_cast<float>(c.lines - 1) * layout.lineHeight, kCaptionTop);

    std::string joined;
    for (const std::string& line : layout.lines) {
        EXPECT_LE(kCaptionLeft + measure.width(codePoints(line), layout.points), kCaptionRight) << line;
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

TEST(CaptionLayout, NoLinesForTheEmptyText) { EXPECT_TRUE(layoutCaption("", 15, EvenMeasure()).lines.empty()); }

TEST(CaptionLayout, PlacesEachLineALineHeightAboveTheNext) {
    const EvenMeasure measure;
    const CaptionLayout layout = layoutCaption(std::string(100, 'x'), 10, measure);
    ASSERT_EQ(layout.lines.size(), 2u);
    EXPECT_EQ(layout.lines[0] + layout.lines[1], std::string(100, 'x'));
    EXPECT_FLOAT_EQ(layout.top + layout.lineHeight, 415);
    EXPECT_NEAR(layout.lineHeight, measure.lineHeight(10), 1e-3);
}

// Captions of many kinds stay whole inside the picture: nothing past the
// right margin (with the edge), nothing cut at the bottom, and every line
// above the one before it.
TEST(PrintCaption, LongTextsStayInsideThePictureWithTheirEdge) {
    const std::string wide[] = {
        std::string(100, 'W'),
        [] {
            std::string t;
            for (int k = 0; k < 100; ++k) t += "\xE6\xBC\xA2";  // U+6F22
            return t;
        }(),
        [] {
            std::string t;
            for (int k = 0; k < 100; ++k) t += "\xF0\x9F\x98\x80";  // U+1F600
            return t;
        }(),
        [] {
            std::string t;
            for (int k = 0; k < 50; ++k) t += "\xD8\xB3\xD9\x84";  // Arabic letters
            return t;
        }(),
        words(20, "word"),
    };
    for (const std::string& text : wide) {
        for (const auto& [width, height] : {std::pair{600, 450}, {1920, 1080}, {450, 600}}) {
            FormState s = withText(text);
            Raster canvas(width, height, kPlain);
            testing::RecordingSurface window;
            PrintCaption(s, canvas, window);
            const CaptionFrame frame = captionFrame(width, height);
            const Ink ink = inkOn(canvas, kPlain);
            ASSERT_GT(ink.pixels, 0) << text;
            EXPECT_GE(ink.left, frame.left - 2 * frame.scale) << text << " at " << width << "x" << height;
            EXPECT_LE(ink.right, frame.right) << text << " at " << width << "x" << height;
            EXPECT_LT(ink.bottom, height - 1) << text << " at " << width << "x" << height;
            EXPECT_GT(ink.top, height / 2) << text << " at " << width << "x" << height;
        }
    }
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
    const EvenMeasure measure;
    const CaptionFrame twice = captionFrame(1200, 900);
    const CaptionLayout smaller = layoutCaption("hello world", 12, measure);
    const CaptionLayout larger = layoutCaption("hello world", 12, measure, twice);
    EXPECT_EQ(smaller.points, 12);
    EXPECT_EQ(larger.points, 24);
    EXPECT_EQ(larger.lines, smaller.lines);
    EXPECT_FLOAT_EQ(larger.top, 830);
    // A long text breaks where it does on the standard picture.
    const std::string longText = std::string(100, 'x');
    EXPECT_EQ(layoutCaption(longText, 10, measure, twice).lines, layoutCaption(longText, 10, measure).lines);
    EXPECT_EQ(layoutCaption(longText, 10, measure, twice).points, 20);

    // Drawn, the caption on the picture twice the size is the standard one
    // at twice the scale: in place, at twice the height.
    FormState s = withText("hello world");
    Raster standard(600, 450, kPlain), large(1200, 900, kPlain);
    testing::RecordingSurface window;
    PrintCaption(s, standard, window);
    PrintCaption(s, large, window);
    const Ink one = inkOn(standard, kPlain), two = inkOn(large, kPlain);
    EXPECT_NEAR(two.left, 2 * one.left, 2);
    EXPECT_NEAR(two.top, 2 * one.top, 2);
    EXPECT_NEAR(two.right, 2 * one.right, 2);
    EXPECT_NEAR(two.bottom, 2 * one.bottom, 2);
}

}  // namespace
}  // namespace ts
