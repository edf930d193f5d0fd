#pragma once

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "colour/palette_window.hpp"
#include "numeric/fast_real.hpp"
#include "platform/raster.hpp"
#include "state/pixel_state.hpp"

namespace ts {

namespace detail {

// barva clamped to 1..675 without a branch: which side of the range it falls
// on changes from pixel to pixel, and a mispredicted branch costs more than
// the rest of the plot. barva is always finite. Left to itself the compiler
// turns std::max and std::min back into branches.
inline double clampIndex(double barva) {
#if defined(__SSE2__)
    return _mm_cvtsd_f64(_mm_min_sd(_mm_max_sd(_mm_set_sd(barva), _mm_set_sd(1.0)), _mm_set_sd(675.0)));
#else
    return std::min(std::max(barva, 1.0), 675.0);
#endif
}

}  // namespace detail

// Clamps barva to 1..675 (the clamped value stays in barva), folds it onto
// the picture's 280-entry palette window and sets the canvas pixel at
// column i, row j to that colour.
TS_HOT_INLINE void PlotPixel(PixelState& p, const PaletteWindow& window, Raster& canvas, int i, int j) {
    const double barva = p.barva;
    const double clamped = detail::clampIndex(barva);
    p.barvaSet |= clamped != barva;
    p.barva = clamped;
    // Mod rounds half to even first; the clamped index is positive.
    const auto rounded = static_cast<unsigned>(fast::roundHalfEvenSmall(p.barva));
    const int m = static_cast<int>(rounded % unsigned{PaletteWindow::kSize});
    canvas.set(i, j, window[m]);
}

}  // namespace ts
