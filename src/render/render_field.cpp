#include "render/render_field.hpp"

#include <cmath>
#include <vector>

#include "colour/channel_mixing.hpp"
#include "colour/palette_window.hpp"
#include "colour/plot_pixel.hpp"
#include "numeric/statement.hpp"
#include "render/polar_about_pole.hpp"
#include "render/shape_value.hpp"

namespace ts {

void RenderField(FormState& s, Raster& canvas) {
    const int lastColumn = loopEnd(s.sir);
    const int lastRow = loopEnd(s.vis);
    const PaletteWindow window = PaletteWindow::load(s);
    PixelState p = PixelState::load(s);

    // y and the trigonometry of x and y depend on the row or the column only,
    // so they are computed once per row and once per column.
    struct Row {
        Number y;
        double sinY, cosY;
    };
    std::vector<Row> rows;
    rows.reserve(static_cast<std::size_t>(lastRow) + 1);
    Number y = s.y;
    for (int j = 0; j <= lastRow; ++j) {
        y = require(subtract(s.poly, require(divide(Number::int16(static_cast<std::int16_t>(j)), s.dy), "row / dy")),
                    "poly - row / dy");
        rows.push_back({y, std::sin(y.value()), std::cos(y.value())});
    }

    Number x = s.x;
    for (int i = 0; i <= lastColumn; ++i) {
        x = require(subtract(require(divide(Number::int16(static_cast<std::int16_t>(i)), s.dx), "column / dx"), s.polx),
                    "column / dx - polx");
        p.x = x.value();
        p.sinX = std::sin(p.x);
        for (int j = 0; j <= lastRow; ++j) {
            const Row& row = rows[static_cast<std::size_t>(j)];
            p.y = row.y.value();
            p.sinY = row.sinY;
            p.cosY = row.cosY;
            PolarAboutPole(p);
            ShapeValue(p);
            ChannelValues(p);
            MixColourIndex(p);
            PlotPixel(p, window, canvas, i, j);
        }
    }

    // Stored from a copy: were p's own address to leave this function, the
    // compiler would have to assume every library call inside the loop might
    // change it.
    const PixelState last = p;
    last.store(s);
    s.x = x;
    if (lastRow >= 0) s.y = rows.back().y;
    s.i = Number::int16(static_cast<std::int16_t>(lastColumn + 1));
    s.j = Number::int16(static_cast<std::int16_t>(lastRow + 1));
}

}  // namespace ts
