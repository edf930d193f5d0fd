#pragma once

#include <cmath>

#include "colour/palette_window.hpp"
#include "numeric/fast_real.hpp"
#include "platform/raster.hpp"
#include "state/pixel_state.hpp"

namespace ts {

// Clamps barva to 1..675 (the clamped value stays in barva), folds it onto
// the picture's 280-entry palette window and sets the canvas pixel at
// column i, row j to that colour.
TS_HOT_INLINE void PlotPixel(PixelState& p, const PaletteWindow& window, Raster& canvas, int i, int j) {
    if (p.barva < 1) {
        p.barva = 1;
        p.barvaSet = true;
    }
    if (p.barva > 675) {
        p.barva = 675;
        p.barvaSet = true;
    }
    // Mod rounds half to even first; the clamped index is positive.
    const int m = static_cast<int>(fast::roundHalfEvenSmall(p.barva)) % PaletteWindow::kSize;
    canvas.set(i, j, window[m]);
}

}  // namespace ts
