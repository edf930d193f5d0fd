#include "colour/plot_pixel.hpp"

#include <gtest/gtest.h>

#include "colour/palette_window.hpp"
#include "state/layout.hpp"
#include "support/test_names.hpp"

namespace ts {
namespace {

// A palette whose entries 0..601 all have different colours, so that the
// colour of a pixel tells which entry it took.
FormState distinctPalette(float pozic0) {
    FormState s;
    for (int k = 0; k <= 601; ++k) {
        s.palette[k][1] = Number::real(k % 250);
        s.palette[k][2] = Number::real(k / 250);
        s.palette[k][3] = Number::real(200);
    }
    s.pozic0 = Number::single(pozic0);
    return s;
}

struct PlotCase {
    const char* what;
    double barva;
    bool empty;  // barva never assigned yet
    float pozic0;
    double barvaAfter;  // what stays in barva
    int entry;
};

class PlotPixelCase : public ::testing::TestWithParam<PlotCase> {};

TEST_P(PlotPixelCase, ClampsFoldsAndPlots) {
    const PlotCase& c = GetParam();
    const FormState s = distinctPalette(c.pozic0);
    const PaletteWindow window = PaletteWindow::load(s);
    Raster canvas(layout::kCanvasWidth, layout::kCanvasHeight);
    PixelState p;
    p.barva = c.barva;
    p.barvaSet = !c.empty;
    PlotPixel(p, window, canvas, 17, 33);
    EXPECT_EQ(p.barva, c.barvaAfter) << c.what;
    EXPECT_TRUE(p.barvaSet) << c.what;
    EXPECT_EQ(canvas.at(17, 33), paletteColour(s, c.entry)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Barva, PlotPixelCase,
                         ::testing::Values(PlotCase{"0.4 becomes 1", 0.4, false, 100, 1, 101},
                                           PlotCase{"a negative value becomes 1", -35.5, false, 100, 1, 101},
                                           PlotCase{"empty counts as 0 and becomes 1", 0, true, 100, 1, 101},
                                           PlotCase{"1 stays", 1, false, 100, 1, 101},
                                           PlotCase{"1.2 stays 1.2", 1.2, false, 100, 1.2, 101},
                                           PlotCase{"2.5 rounds to 2", 2.5, false, 100, 2.5, 102},
                                           PlotCase{"3.5 rounds to 4", 3.5, false, 100, 3.5, 104},
                                           PlotCase{"279 is the last entry of the window", 279, false, 100, 279, 379},
                                           PlotCase{"279.5 is taken as 280", 279.5, false, 100, 279.5, 100},
                                           PlotCase{"280 folds onto pozic0", 280, false, 100, 280, 100},
                                           PlotCase{"281 folds onto pozic0 + 1", 281, false, 100, 281, 101},
                                           PlotCase{"559.5 is taken as 560", 559.5, false, 100, 559.5, 100},
                                           PlotCase{"675 stays", 675, false, 100, 675, 215},
                                           PlotCase{"675.4 becomes 675", 675.4, false, 100, 675, 215},
                                           PlotCase{"1000 becomes 675", 1000, false, 100, 675, 215},
                                           PlotCase{"pozic0 304: the highest entry is 583", 279, false, 304, 279, 583},
                                           PlotCase{"pozic0 5: the lowest entry is 5", 280, false, 5, 280, 5}),
                         testing::nameByWhat);

TEST(PlotPixel, ComposesRedPlus256GreenPlus65536Blue) {
    FormState s = distinctPalette(5);
    s.palette[6][1] = Number::real(252);
    s.palette[6][2] = Number::real(0);
    s.palette[6][3] = Number::real(10);
    const PaletteWindow window = PaletteWindow::load(s);
    Raster canvas(layout::kCanvasWidth, layout::kCanvasHeight);
    PixelState p;
    p.barva = 1;
    PlotPixel(p, window, canvas, 0, 0);
    EXPECT_EQ(canvas.at(0, 0).code(), 252 + 10 * 65536);
    EXPECT_EQ(canvas.at(0, 0), Colour::fromRgb(252, 0, 10));
}

// The sweep's last column and last row lie one past the canvas: plotting
// there changes nothing and does not fail.
TEST(PlotPixel, PositionsPastTheCanvasHaveNoEffect) {
    const FormState s = distinctPalette(5);
    const PaletteWindow window = PaletteWindow::load(s);
    Raster canvas(layout::kCanvasWidth, layout::kCanvasHeight);
    const Raster before = canvas;
    PixelState p;
    p.barva = 17;
    PlotPixel(p, window, canvas, 600, 17);
    PlotPixel(p, window, canvas, 17, 450);
    PlotPixel(p, window, canvas, 600, 450);
    EXPECT_EQ(canvas, before);
}

}  // namespace
}  // namespace ts
