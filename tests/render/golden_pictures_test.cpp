#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "annotate/info_line.hpp"
#include "render/sweep.hpp"
#include "state/layout.hpp"
#include "state/shape_formulas.hpp"
#include "support/canvas_checksum.hpp"
#include "support/picture.hpp"
#include "support/png_writer.hpp"

namespace ts {
namespace {

// Texts whose pictures between them use every shape formula, every channel
// mode and every mixing mode, each drawn as the first picture of a run, and
// texts in other scripts. The checksum is the FNV-1a hash of the 600 x 450
// canvas after the sweep (before the caption). Each picture is also written
// to the test output folder. The rows of definition 1 are pictures the
// program drew before definitions were recorded, which its files bring back.
struct Golden {
    const char* text;
    const char* parameterLine;
    std::uint64_t checksum;
    int definition = kLatestPictureDefinition;
};

const Golden kGolden[] = {
    {"shadow", "tip1=1  tip2=3  tip3=1  seed=173001", 0x53238e45fdd400a7ull},
    {"sun", "tip1=2  tip2=1  tip3=2  seed=127477", 0xc6bc7a17a13b7631ull},
    {"abc", "tip1=3  tip2=1  tip3=2  seed=127010", 0x26592b8716e58e01ull},
    {"purple", "tip1=3  tip2=3  tip3=3  seed=170066", 0xfd4116de4e119affull},
    {"caf\xC3\xA9", "tip1=4  tip2=1  tip3=3  seed=141997", 0x97ccc7b651610759ull},
    {"red", "tip1=5  tip2=2  tip3=1  seed=127078", 0x1b8f6bfd0d5b1273ull},
    {"snow", "tip1=6  tip2=2  tip3=4  seed=135064", 0xa0617b9a83a4c81cull},
    {"Pack my box with five dozen liquor jugs, then sphinx of black quartz: judge my vow! Jackdaws love it",
     "tip1=7  tip2=1  tip3=3  seed=2350095787", 0xc0f017dc1bb01051ull},
    {"Z\xC3\xBCrich", "tip1=8  tip2=3  tip3=2  seed=170199", 0x24d7c755ccbc6619ull},
    {"", "tip1=9  tip2=3  tip3=4  seed=123456", 0x13569d86a2e8042aull},
    {"Hello, world", "tip1=10  tip2=1  tip3=2  seed=740914", 0xf80cad96991c5c86ull},
    {"\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF"
     "\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF"
     "\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF"
     "\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF"
     "\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF"
     "\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF"
     "\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF"
     "\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF"
     "\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF"
     "\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF",
     "tip1=11  tip2=3  tip3=4  seed=6503260956", 0x0c0d16bfdf456e12ull},
    {"The quick brown fox jumps over the lazy dog", "tip1=12  tip2=2  tip3=1  seed=84781494", 0xccd5a7ff849d526aull},
    {"Textscape", "tip1=13  tip2=1  tip3=1  seed=335015", 0x34347074ac001033ull},
    {"dream", "tip1=14  tip2=1  tip3=4  seed=147028", 0x5d0447bfb9f44119ull},
    {"forest 22", "tip1=15  tip2=1  tip3=1  seed=246445", 0xe7e8e11750bc541bull},
    // Every character its own code: Russian, Greek, Japanese, Chinese, Arabic
    // and emoji.
    // Привет
    {"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", "tip1=6  tip2=3  tip3=4  seed=601176", 0x69c050b4f3a30648ull},
    // Москва
    {"\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0", "tip1=9  tip2=1  tip3=2  seed=597649", 0x6197ad73cf7c8197ull},
    // Καλημέρα
    {"\xCE\x9A\xCE\xB1\xCE\xBB\xCE\xB7\xCE\xBC\xCE\xAD\xCF\x81\xCE\xB1", "tip1=13  tip2=3  tip3=4  seed=1354806",
     0x44e60667e02b8b62ull},
    // 日本語
    {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", "tip1=12  tip2=3  tip3=1  seed=441135", 0x57c6b0db89df95e8ull},
    // 中文字
    {"\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97", "tip1=9  tip2=2  tip3=2  seed=982738", 0xb0d1f2f041e8d65full},
    // مرحبا
    {"\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7", "tip1=7  tip2=1  tip3=3  seed=478167", 0x767d488258afdb24ull},
    // I ❤ Textscape
    {"I \xE2\x9D\xA4 Textscape", "tip1=7  tip2=3  tip3=3  seed=1258344", 0xd59109c0662d1aacull},
    // 🌅🌊
    {"\xF0\x9F\x8C\x85\xF0\x9F\x8C\x8A", "tip1=7  tip2=1  tip3=2  seed=395413", 0xcb5feb606e3555a8ull},
    // Definition 1: all of these were "?" (63), a combining accent too, and
    // C1 controls were taken.
    {"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", "tip1=5  tip2=3  tip3=4  seed=151239", 0x84ca480607abdce8ull,
     1},
    {"cafe\xCC\x81", "tip1=4  tip2=1  tip3=4  seed=141424", 0x7f3cdddef87407deull, 1},
    {"a\xC2\x85"
     "b",
     "tip1=3  tip2=2  tip3=2  seed=126703", 0x0c20dde9d1982b29ull, 1},
};

std::string fileName(std::size_t index, const FormState& s) {
    char name[64];
    std::snprintf(name, sizeof name, "golden_%02zu_tip1-%02d_tip2-%d_tip3-%d.png", index + 1,
                  static_cast<int>(s.tip1.value()), static_cast<int>(s.tip2.value()), static_cast<int>(s.tip3.value()));
    return name;
}

TEST(GoldenPictures, ParameterLineAndCanvasChecksum) {
    const std::filesystem::path folder = TEXTSCAPE_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(folder);
    for (std::size_t k = 0; k < std::size(kGolden); ++k) {
        const Golden& g = kGolden[k];
        FormState s;
        testing::prepareTextPicture(s, g.text, g.definition);
        Raster canvas(layout::kCanvasWidth, layout::kCanvasHeight);
        RenderField(s, canvas);
        const std::string path = (folder / fileName(k, s)).string();
        EXPECT_TRUE(testing::writePng(canvas, path)) << path;
        EXPECT_EQ(parameterLine(s), g.parameterLine) << "text " << k + 1 << ": \"" << g.text << "\"";
        EXPECT_EQ(testing::canvasChecksum(canvas), g.checksum)
            << "text " << k + 1 << ": \"" << g.text << "\", picture in " << path << ", checksum 0x" << std::hex
            << testing::canvasChecksum(canvas);
    }
}

// Between them the texts use every formula of the table and every mode: a
// formula added to the table needs a text here that draws it.
TEST(GoldenPictures, CoverEveryFormulaAndMode) {
    std::set<int> shapes, channels, mixings;
    for (const Golden& g : kGolden) {
        const testing::Selectors t = testing::selectorsOf(g.text, g.definition);
        shapes.insert(t.tip1);
        channels.insert(t.tip2);
        mixings.insert(t.tip3);
    }
    for (int formula = 1; formula <= kShapeFormulaCount; ++formula) {
        EXPECT_TRUE(shapes.contains(formula))
            << "no golden text draws formula " << formula << " (" << shapeFormulaFacts(formula).name << ")";
    }
    EXPECT_EQ(shapes.size(), static_cast<std::size_t>(kShapeFormulaCount));
    EXPECT_EQ(channels, (std::set<int>{1, 2, 3}));
    EXPECT_EQ(mixings, (std::set<int>{1, 2, 3, 4}));
}

// With formula 15 the whole of column 300 (x = 0) fails and keeps the shape
// value of (299, 450); in channel mode 1 and mixing mode 1 the colour follows
// the shape value alone, so the column is one colour, unlike its neighbours.
TEST(GoldenPictures, Formula15RepeatsOneValueDownColumn300) {
    FormState s;
    testing::prepareTextPicture(s, "forest 22");
    ASSERT_EQ(parameterLine(s).substr(0, 28), "tip1=15  tip2=1  tip3=1  see");
    Raster canvas(layout::kCanvasWidth, layout::kCanvasHeight);
    RenderField(s, canvas);
    const auto colours = [&canvas](int column) {
        std::set<std::uint32_t> c;
        for (int row = 0; row < 450; ++row) c.insert(canvas.at(column, row).pixel());
        return c.size();
    };
    EXPECT_EQ(colours(300), 1u);
    EXPECT_GT(colours(299), 1u);
    EXPECT_GT(colours(301), 1u);
}

// The members a sweep leaves, compared number for number and width for width.
bool sameSweepMembers(const FormState& a, const FormState& b) {
    for (Number FormState::*m : {&FormState::fi1, &FormState::fit, &FormState::r, &FormState::fi, &FormState::ba,
                                 &FormState::re, &FormState::gr, &FormState::bl, &FormState::barva, &FormState::x,
                                 &FormState::y, &FormState::i, &FormState::j}) {
        if (!(a.*m == b.*m)) return false;
    }
    return true;
}

// On any number of threads, cut into any number of chunks (601: every column
// its own, so formula 15's failing column 300 starts one), each picture and
// the members it leaves are RenderField's, byte for byte.
TEST(GoldenPictures, SameOnEveryThreadCount) {
    const SweepOptions splits[] = {{1, 5, {}}, {2, 0, {}}, {3, 0, {}}, {3, 16, {}}, {2, 601, {}}};
    for (std::size_t k = 0; k < std::size(kGolden); ++k) {
        FormState want;
        testing::prepareTextPicture(want, kGolden[k].text, kGolden[k].definition);
        const FormState before = want;
        Raster wantCanvas(600, 450);
        RenderField(want, wantCanvas);
        for (const SweepOptions& split : splits) {
            FormState got = before;
            Raster canvas(600, 450);
            RenderFieldThreaded(got, canvas, split);
            EXPECT_TRUE(canvas == wantCanvas)
                << "text " << k + 1 << ", " << split.threads << " threads, " << split.chunks << " chunks";
            EXPECT_TRUE(sameSweepMembers(got, want))
                << "text " << k + 1 << ", " << split.threads << " threads, " << split.chunks << " chunks";
        }
    }
}

// At 1200 x 900 the even columns and rows sample the plane points of the
// 600 x 450 picture; only the pole angle is reached another way (from the
// position, not by a sum over the visits), so at least 99.9 % of them show
// the standard picture's colour. The exception is where a statement fails and
// a picture repeats the value of its own previous visit, which lies at
// another plane point in the larger picture: formula 15 divides by |x|, and
// fails all down x = 0 (column 300 here, 600 there), repeating the value of
// (299, 450) here and of (599, 900) there. That column is left out.
TEST(GoldenPictures, TwiceTheSizeSamplesTheSamePlanePoints) {
    for (std::size_t k = 0; k < std::size(kGolden); ++k) {
        FormState standard, large;
        testing::prepareTextPicture(standard, kGolden[k].text, kGolden[k].definition);
        large = standard;
        Raster small(600, 450), big(1200, 900);
        RenderField(standard, small);
        RenderFieldAtSize(large, big, {0, 0, {}});
        const bool failsAtX0 = standard.tip1.value() == 15;
        int same = 0, sampled = 0;
        for (int x = 0; x < 600; ++x) {
            if (failsAtX0 && x == 300) continue;
            for (int y = 0; y < 450; ++y) {
                same += big.at(2 * x, 2 * y) == small.at(x, y);
                ++sampled;
            }
        }
        EXPECT_GE(same, 0.999 * sampled) << "text " << k + 1 << ": \"" << kGolden[k].text << "\", " << same << " of "
                                         << sampled;
        if (failsAtX0) {
            // Both pictures repeat one value all down x = 0.
            for (int y = 1; y < 450; ++y) {
                ASSERT_EQ(small.at(300, y), small.at(300, 0)) << y;
                ASSERT_EQ(big.at(600, 2 * y), big.at(600, 0)) << y;
            }
        }
    }
}

// Pictures of other sizes, wider and taller than 4:3, on one, two and three
// threads: the same pixels and members.
TEST(GoldenPictures, AnySizeSameOnEveryThreadCount) {
    for (const auto& [w, h] : {std::pair{400, 150}, {150, 260}}) {
        for (std::size_t k = 0; k < std::size(kGolden); ++k) {
            FormState want;
            testing::prepareTextPicture(want, kGolden[k].text, kGolden[k].definition);
            const FormState before = want;
            Raster wantCanvas(w, h);
            RenderFieldAtSize(want, wantCanvas, {1, 1, {}});
            for (const SweepOptions& split : {SweepOptions{2, 0, {}}, SweepOptions{3, 7, {}}}) {
                FormState got = before;
                Raster canvas(w, h);
                RenderFieldAtSize(got, canvas, split);
                EXPECT_TRUE(canvas == wantCanvas) << w << " x " << h << ", text " << k + 1 << ", " << split.threads
                                                  << " threads, " << split.chunks << " chunks";
                EXPECT_TRUE(sameSweepMembers(got, want)) << w << " x " << h << ", text " << k + 1;
            }
        }
    }
}

}  // namespace
}  // namespace ts
