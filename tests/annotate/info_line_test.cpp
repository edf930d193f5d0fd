#include <gtest/gtest.h>

#include <string>

#include "annotate/info_line.hpp"
#include "platform/random_source.hpp"
#include "platform/raster_surface.hpp"
#include "seed/character_code.hpp"
#include "seed/read_text_seed.hpp"
#include "support/recording_surface.hpp"

namespace ts {
namespace {

FormState withParameters(float tip1, float tip2, float tip3, std::int32_t seed) {
    FormState s;
    s.tip1 = Number::single(tip1);
    s.tip2 = Number::single(tip2);
    s.tip3 = Number::single(tip3);
    s.seed = Number::int32(seed);
    return s;
}

TEST(ParameterLine, ListsTheSelectorsAndTheSeedWithTwoSpacesBetween) {
    struct Case {
        float tip1, tip2, tip3;
        std::int32_t seed;
        const char* line;
    } const cases[] = {
        {7, 2, 4, 127010, "tip1=7  tip2=2  tip3=4  seed=127010"},
        {1, 1, 1, 123456, "tip1=1  tip2=1  tip3=1  seed=123456"},
        {15, 3, 4, 2147483647, "tip1=15  tip2=3  tip3=4  seed=2147483647"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parameterLine(withParameters(c.tip1, c.tip2, c.tip3, c.seed)), c.line);
    }
}

TEST(ParameterLine, PrintsASeedBeyondThirtyTwoBitsInFull) {
    // 100 characters of code 255 give 123456 + 255 * (1^3 + ... + 100^3).
    FormState s;
    SplitMixGenerator random;
    std::u32string text(100, U'\u00FF');
    ReadTextSeed(s, utf8(text), random);
    const std::string line = parameterLine(s);
    EXPECT_EQ(line.substr(line.find("  seed=")), "  seed=6503260956");
}

TEST(DrawInfoLine, PaintsTheBandColumnByColumnThenPrintsTheLineInIt) {
    FormState s = withParameters(7, 2, 4, 127010);
    testing::RecordingSurface window;
    DrawInfoLine(s, window);

    const Colour grey = Colour::fromRgb(200, 200, 200);
    ASSERT_EQ(window.calls.size(), 231u + 3u);
    for (int k = 0; k < 231; ++k) {
        const float x = static_cast<float>(650 + k);
        EXPECT_EQ(window.calls[k], (testing::RecordingSurface::Call{"line", {x, 560, x, 580}, {}, grey})) << k;
    }
    EXPECT_EQ(window.calls[231].op, "setTextX");
    EXPECT_EQ(window.calls[231].args, std::vector<float>{660});
    EXPECT_EQ(window.calls[232].op, "setTextY");
    EXPECT_EQ(window.calls[232].args, std::vector<float>{564});
    EXPECT_EQ(window.calls[233].op, "print");
    EXPECT_EQ(window.calls[233].text, "tip1=7  tip2=2  tip3=4  seed=127010");
}

TEST(DrawInfoLine, LeavesTheColumnCounterOnePastTheBand) {
    FormState s = withParameters(7, 2, 4, 127010);
    s.i = Number::int16(17);
    testing::RecordingSurface window;
    DrawInfoLine(s, window);
    EXPECT_EQ(s.i.value(), 881);
}

TEST(DrawInfoLine, BandCoversXFrom650To880AndYFrom560To580Only) {
    // Whatever lies around the band, such as the end of a long earlier info
    // line, is left as it was.
    const Colour old = Colour::fromRgb(255, 0, 0);
    const Colour grey = Colour::fromRgb(200, 200, 200);
    RasterSurface window(1000, 700);
    window.raster().fill(old);
    FormState s = withParameters(7, 2, 4, 127010);
    DrawInfoLine(s, window);

    struct Probe {
        int x, y;
        Colour expected;
    } const probes[] = {
        {650, 560, grey}, {880, 560, grey}, {650, 580, grey}, {880, 580, grey}, {765, 570, grey},
        {649, 570, old},  {881, 570, old},  {765, 559, old},  {765, 581, old},  {900, 570, old},
    };
    for (const Probe& p : probes) {
        EXPECT_EQ(window.raster().at(p.x, p.y), p.expected) << p.x << "," << p.y;
    }
}

}  // namespace
}  // namespace ts
