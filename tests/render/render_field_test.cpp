#include "render/sweep.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "colour/channel_mixing.hpp"
#include "colour/palette_window.hpp"
#include "colour/plot_pixel.hpp"
#include "numeric/operations.hpp"
#include "render/polar_about_pole.hpp"
#include "render/shape_value.hpp"
#include "state/layout.hpp"
#include "state/shape_formulas.hpp"
#include "support/coarse_plane.hpp"
#include "support/picture.hpp"
#include "support/reference_sweep.hpp"

namespace ts {
namespace {

using namespace testing;

// Draws the picture with the reference sweep and, pixel by pixel alongside
// it, with the engine's per-pixel procedures, comparing every member bit for
// bit: a difference in the last digit of a shape value rarely changes a
// colour, but it is a different number all the same. Then draws it with
// RenderField and compares the canvas and the members left after the sweep.
void expectSameAsReference(FormState& engine, FormState& reference, Raster& engineCanvas, Raster& referenceCanvas,
                           const std::string& what) {
    PixelState p = PixelState::load(engine);
    const PaletteWindow window = PaletteWindow::load(engine);
    Raster stepCanvas(engineCanvas.width(), engineCanvas.height());
    bool same = true;
    reference::RenderField(reference, referenceCanvas, [&](const FormState& s) {
        if (!same) return;
        const int i = static_cast<int>(s.i.value()), j = static_cast<int>(s.j.value());
        p.x = s.x.value();
        p.y = s.y.value();
        p.sinX = std::sin(p.x);
        p.sinY = std::sin(p.y);
        p.cosY = std::cos(p.y);
        PolarAboutPole(p);
        ShapeValue(p);
        ChannelValues(p);
        MixColourIndex(p);
        PlotPixel(p, window, stepCanvas, i, j);
        const struct {
            const char* name;
            double engine;
            Number reference;
        } members[] = {{"fi1", p.fi1, s.fi1}, {"fit", p.fit, s.fit}, {"r", p.r, s.r},    {"ba", p.ba, s.ba},
                       {"re", p.re, s.re},    {"gr", p.gr, s.gr},    {"bl", p.bl, s.bl}, {"barva", p.barva, s.barva}};
        for (const auto& m : members) {
            if (m.engine != m.reference.value()) {
                ADD_FAILURE() << what << ": " << m.name << " at column " << i << ", row " << j << ": " << m.engine
                              << " vs " << m.reference.value();
                same = false;
            }
        }
        if (stepCanvas.at(i, j) != referenceCanvas.at(i, j)) {
            ADD_FAILURE() << what << ": colour at column " << i << ", row " << j;
            same = false;
        }
    });
    RenderField(engine, engineCanvas);
    EXPECT_TRUE(engineCanvas == referenceCanvas) << what << ": " << firstDifference(engineCanvas, referenceCanvas);
    EXPECT_EQ(differentValues(engine, reference), "none") << what;
}

class EveryCombination : public ::testing::TestWithParam<int> {};

// Every shape formula with every channel mode and every mixing mode, over a
// series of pictures drawn one after the other on the same state: the first
// starts from members never assigned, later ones inherit what the earlier
// ones left, and the planes put pixels on the pole, below and above it, level
// with it and on x = 0, where the statements fail.
TEST_P(EveryCombination, RenderFieldMatchesTheReferenceSweep) {
    const int formula = GetParam();
    for (int channel = 1; channel <= 3; ++channel) {
        for (int mixing = 1; mixing <= 4; ++mixing) {
            FormState engine;
            prepareTextPicture(engine, "combination " + std::to_string(formula));
            engine.tip1 = Number::single(static_cast<float>(formula));
            engine.tip2 = Number::single(static_cast<float>(channel));
            engine.tip3 = Number::single(static_cast<float>(mixing));
            const Number textR0 = engine.r0;
            FormState reference = engine;
            Raster engineCanvas(60, 90), referenceCanvas(60, 90);
            int picture = 0;
            for (Plane plane :
                 {Plane::FirstColumnX0, Plane::PoleAtOrigin, Plane::LastColumnX0, Plane::FirstColumnX0, Plane::Own}) {
                setPlane(engine, plane, textR0);
                setPlane(reference, plane, textR0);
                std::ostringstream what;
                what << "tip1=" << formula << " tip2=" << channel << " tip3=" << mixing << ", picture " << ++picture
                     << " (" << name(plane) << ")";
                expectSameAsReference(engine, reference, engineCanvas, referenceCanvas, what.str());
                if (HasFailure()) return;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ShapeFormulas, EveryCombination, ::testing::Range(1, kShapeFormulaCount + 1),
                         [](const auto& info) { return "formula" + std::to_string(info.param); });

// Full pictures one after the other, each with its own text and selectors;
// formula 15 fails all down column 300, and every picture starts from what
// the one before left.
TEST(RenderField, FullPicturesInARowMatchTheReferenceSweep) {
    const struct {
        const char* text;
        int tip1, tip2, tip3;
    } pictures[] = {
        {"abc", 15, 1, 1},
        {"Textscape", 14, 2, 3},
        {"", 11, 3, 4},
        {"abc", 7, 2, 2},
    };
    FormState engine, reference;
    Raster engineCanvas(layout::kCanvasWidth, layout::kCanvasHeight),
        referenceCanvas(layout::kCanvasWidth, layout::kCanvasHeight);
    for (const auto& p : pictures) {
        prepareTextPicture(engine, p.text);
        prepareTextPicture(reference, p.text);
        for (FormState* s : {&engine, &reference}) {
            s->tip1 = Number::single(static_cast<float>(p.tip1));
            s->tip2 = Number::single(static_cast<float>(p.tip2));
            s->tip3 = Number::single(static_cast<float>(p.tip3));
        }
        const std::string what = std::string("\"") + p.text + "\" with formula " + std::to_string(p.tip1);
        expectSameAsReference(engine, reference, engineCanvas, referenceCanvas, what);
    }
}

// One full sweep: 271,051 visits in column order, ending at column 600,
// row 450 with the counters one past their last values.
TEST(RenderField, SweepsEveryPositionOnce) {
    FormState s;
    prepareTextPicture(s, "abc");
    Raster canvas(layout::kCanvasWidth, layout::kCanvasHeight);
    RenderField(s, canvas);
    // The pole's angle is a sum of 271,051 steps taken one by one, which
    // rounds away from the product 271051 * 0.00003 = 8.13153.
    EXPECT_EQ(s.fi1, Number::real(8.1315299999814314));
    EXPECT_EQ(s.x, Number::real(6));
    EXPECT_EQ(s.y, Number::real(-4.5));
    EXPECT_EQ(s.i, i16(601));
    EXPECT_EQ(s.j, i16(451));
    EXPECT_EQ(s.fit.value(), s.fi0.value() + s.fi1.value());
}

// The sweep's coordinates are the counter divided by 50 and then shifted:
// x = i / 50 - 6, y = 4.5 - j / 50, with x exactly 0 in column 300 and y
// exactly 0 in row 225. Multiplying by 0.02 would differ in many columns. A
// sweep that ends at (i, j) leaves that position's x and y behind.
TEST(RenderField, PlaneCoordinatesOfEachColumnAndRow) {
    FormState s;
    prepareTextPicture(s, "abc");
    Raster canvas(layout::kCanvasWidth, layout::kCanvasHeight);
    const auto sweepTo = [&](int lastColumn, int lastRow) {
        s.sir = i16(lastColumn);
        s.vis = i16(lastRow);
        s.fi1 = i16(0);
        RenderField(s, canvas);
    };
    sweepTo(0, 0);
    EXPECT_EQ(s.x, Number::real(-6));
    EXPECT_EQ(s.y, Number::real(4.5));
    EXPECT_EQ(s.fi1, Number::real(0.00003));  // the pole moves before the first pixel
    EXPECT_EQ(s.fit.value(), s.fi0.value() + 0.00003);
    sweepTo(300, 225);
    EXPECT_EQ(s.x, Number::real(0));
    EXPECT_EQ(s.y, Number::real(0));

    int differFromTimes002 = 0;
    for (int column = 0; column <= 600; ++column) {
        sweepTo(column, 0);
        ASSERT_EQ(s.x.value(), column / 50.0 - 6) << "column " << column;
        if (s.x.value() != column * 0.02 - 6) ++differFromTimes002;
    }
    for (int row = 0; row <= 450; ++row) {
        sweepTo(0, row);
        ASSERT_EQ(s.y.value(), 4.5 - row / 50.0) << "row " << row;
        if (s.y.value() != 4.5 - row * 0.02) ++differFromTimes002;
    }
    EXPECT_GT(differFromTimes002, 0);
}

// A picture depends on its text alone, not on the pictures drawn before it.
TEST(RenderField, TheSameTextGivesTheSamePictureAfterAnyOther) {
    FormState fresh, used;
    Raster first(layout::kCanvasWidth, layout::kCanvasHeight), second(layout::kCanvasWidth, layout::kCanvasHeight),
        scratch(layout::kCanvasWidth, layout::kCanvasHeight);
    prepareTextPicture(fresh, "abc");
    RenderField(fresh, first);
    prepareTextPicture(used, "something else entirely");
    RenderField(used, scratch);
    prepareTextPicture(used, "abc");
    RenderField(used, second);
    EXPECT_TRUE(first == second) << firstDifference(first, second);
}

// A one-pixel picture at x = 0, y = 0 with the pole on it (r0 = 0): the
// slope, formula 15 and mixing mode 3 all fail at the picture's first pixel,
// which then shows what the state held before the picture.
class FirstPixelOnThePole : public ::testing::Test {
protected:
    void SetUp() override {
        prepareTextPicture(s, "abc");  // palette and parameters; fak1..3 are 10..20
        s.sir = i16(0);
        s.vis = i16(0);
        s.polx = Number::real(0);
        s.poly = Number::real(0);
        s.r0 = Number::single(0);
    }
    void select(int tip1, int tip2, int tip3) {
        s.tip1 = Number::single(static_cast<float>(tip1));
        s.tip2 = Number::single(static_cast<float>(tip2));
        s.tip3 = Number::single(static_cast<float>(tip3));
    }
    Colour entry(int offset) const { return paletteColour(s, static_cast<int>(s.pozic0.value()) + offset); }

    FormState s;
    Raster canvas{1, 1};
};

TEST_F(FirstPixelOnThePole, AFailedShapeKeepsTheLastPicturesValue) {
    select(15, 1, 1);
    s.ba = Number::real(0.5);
    RenderField(s, canvas);
    EXPECT_EQ(s.ba, Number::real(0.5));
    EXPECT_EQ(s.re.value(), 0.5 * s.fak1.value());
    EXPECT_EQ(s.r, Number::real(0));
}

// The palette build leaves entry 601's levels in re, gr and bl; a channel
// that overflows at the first pixel shows them.
TEST_F(FirstPixelOnThePole, AFailedChannelKeepsTheLevelsOfEntry601) {
    select(15, 1, 1);
    s.ba = Number::real(1e308);
    const Number re = s.palette[601][1], gr = s.palette[601][2], bl = s.palette[601][3];
    RenderField(s, canvas);
    EXPECT_EQ(s.re, re);
    EXPECT_EQ(s.gr, gr);
    EXPECT_EQ(s.bl, bl);
    EXPECT_EQ(s.barva.value(), std::min((re.value() + gr.value()) + bl.value(), 675.0));
}

TEST_F(FirstPixelOnThePole, AFailedSlopeKeepsFiAndAnEmptyFiStaysEmpty) {
    select(2, 1, 1);
    RenderField(s, canvas);
    EXPECT_TRUE(s.fi.isEmpty());
    EXPECT_EQ(s.ba, Number::real(0));  // r * fi with fi empty
    s.fi = Number::real(0.25);
    s.fi1 = i16(0);
    RenderField(s, canvas);
    EXPECT_EQ(s.fi, Number::real(0.25));
}

// Mixing mode 3 on the pole keeps barva: the previous picture's clamped
// index, or empty (plotted as 1) before any picture.
TEST_F(FirstPixelOnThePole, AFailedMixKeepsTheLastIndex) {
    select(1, 1, 3);
    RenderField(s, canvas);
    EXPECT_EQ(s.barva.value(), 1);
    EXPECT_EQ(canvas.at(0, 0), entry(1));

    s.barva = Number::int16(250);
    s.fi1 = i16(0);
    RenderField(s, canvas);
    EXPECT_EQ(s.barva.value(), 250);
    EXPECT_EQ(canvas.at(0, 0), entry(250));
}

}  // namespace
}  // namespace ts
