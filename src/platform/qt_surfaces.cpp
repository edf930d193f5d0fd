#include "platform/qt_surfaces.hpp"

namespace ts {

std::shared_ptr<QtTextPainter> sharedTextPainter() {
    static const auto painter = std::make_shared<QtTextPainter>();
    return painter;
}

RasterSurface makeCanvas() { return RasterSurface(kPicture1Width, kPicture1Height, sharedTextPainter()); }

RasterSurface makeComposite() { return RasterSurface(kPicture2Width, kPicture2Height, sharedTextPainter()); }

RasterSurface makeWindowSurface(int width, int height) {
    RasterSurface surface(width, height, sharedTextPainter(), 8);
    surface.setTextColour(Colour::black());
    return surface;
}

}  // namespace ts
