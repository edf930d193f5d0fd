#pragma once

#include <memory>

#include "platform/raster_surface.hpp"
#include "qt/qt_text_painter.hpp"

namespace ts {

// One painter for every surface of the process; needs a QGuiApplication.
std::shared_ptr<QtTextPainter> sharedTextPainter();

// The surfaces the window and the headless renderer draw on, with the same
// fonts and colours, so that both give the same pixels.
RasterSurface makeCanvas();
// A canvas of another size, for a picture drawn at that size.
RasterSurface makeCanvas(int width, int height);
RasterSurface makeComposite();
// The window's client area: black, text in the window's 8-point font and
// black text colour.
RasterSurface makeWindowSurface(int width, int height);

}  // namespace ts
