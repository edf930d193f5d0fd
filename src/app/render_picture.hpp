#pragma once

#include <string>

#include "app/form_state.hpp"
#include "platform/clock.hpp"
#include "platform/raster.hpp"
#include "platform/raster_surface.hpp"

namespace ts {

inline constexpr int kCanvasWidth = 600;
inline constexpr int kCanvasHeight = 450;

struct RenderedPicture {
    FormState state;
    Raster canvas{kCanvasWidth, kCanvasHeight};
};

// The picture the window's canvas shows when `text` is typed at start-up:
// the same stages on a fresh state, drawn on `canvas` (a fresh canvas like
// the window's, whose painter draws the caption). Without the caption the
// stages up to the sweep alone are run. The text must be one the prompt
// accepts (at most 100 characters).
RenderedPicture renderPicture(std::string text, bool caption, RasterSurface canvas, Clock& clock);

}  // namespace ts
