#include "qt/qt_surfaces.hpp"

#include "state/layout.hpp"

namespace ts {

std::shared_ptr<QtTextPainter> sharedTextPainter() {
    static const auto painter = std::make_shared<QtTextPainter>();
    return painter;
}

RasterSurface makeComposite() {
    return RasterSurface(layout::kPicture2.width, layout::kPicture2.height, sharedTextPainter());
}

// At 7 points the longest parameter line ("tip1=15  tip2=3  tip3=4
// seed=6503260956") ends inside the grey band, which stops at x 880.
constexpr float kWindowFontPoints = 7;

RasterSurface makeWindowSurface(int width, int height) {
    RasterSurface surface(width, height, sharedTextPainter(), kWindowFontPoints);
    surface.setTextColour(Colour::black());
    return surface;
}

}  // namespace ts
