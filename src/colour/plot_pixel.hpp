#pragma once

#include <cmath>

#include "colour/palette_window.hpp"
#include "numeric/fast_real.hpp"
#include "platform/raster.hpp"
#include "render/pixel_state.hpp"

namespace ts {

// Clamps barva to 1..675 (the clamped value stays in barva), folds it onto
// the picture's 280-entry palette window and sets the canvas pixel at
// column i, row j to that colour.
TS_HOT_INLINE void PlotPixel(PixelState& p, const PaletteWindow& window, Raster& canvas, int i, int j) {
    // Without branches: barva is always finite, and which side of the range
    // it falls on changes from pixel to pixel.
    const double barva = p.barva;
    const double clamped = barva < 1 ? 1.0 : (barva > 675 ? 675.0 : barva);
    p.barvaSet |= clamped != barva;
    p.barva = clamped;
    // Mod rounds half to even first; the clamped index is positive.
    const int m = static_cast<int>(static_cast<unsigned>(fast::roundHalfEvenSmall(p.barva)) % unsigned{PaletteWindow::kSize});
    canvas.set(i, j, window[m]);
}

}  // namespace ts
