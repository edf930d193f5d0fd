#pragma once

#include <memory>

#include "platform/raster_surface.hpp"
#include "qt/qt_text_painter.hpp"

namespace ts {

// One painter for every surface of the process; needs a QGuiApplication.
std::shared_ptr<QtTextPainter> sharedTextPainter();

// The composite the window's save copies the canvas into (the canvas itself
// is picture/'s makeCanvas).
RasterSurface makeComposite();
// The window's client area: black, text in the window's 8-point font and
// black text colour.
RasterSurface makeWindowSurface(int width, int height);

}  // namespace ts
