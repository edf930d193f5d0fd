#include "platform/raster_surface.hpp"

#include <cmath>
#include <cstdlib>

namespace ts {

int pixelIndex(float v) {
    if (!std::isfinite(v) || std::fabs(v) > 1e6f) return -1;  // far outside any surface
    return static_cast<int>(std::lround(v));
}

RasterSurface::RasterSurface(int width, int height, std::shared_ptr<TextPainter> painter, float fontPoints)
    : raster_(width, height), painter_(std::move(painter)), fontPoints_(fontPoints) {}

void RasterSurface::setPixel(float x, float y, Colour c) { raster_.set(pixelIndex(x), pixelIndex(y), c); }

Colour RasterSurface::pixel(float x, float y) const { return raster_.at(pixelIndex(x), pixelIndex(y)); }

void RasterSurface::line(float x1, float y1, float x2, float y2, Colour c) {
    int x = pixelIndex(x1), y = pixelIndex(y1);
    const int xEnd = pixelIndex(x2), yEnd = pixelIndex(y2);
    const int dx = std::abs(xEnd - x), dy = -std::abs(yEnd - y);
    const int sx = x < xEnd ? 1 : -1, sy = y < yEnd ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        raster_.set(x, y, c);
        if (x == xEnd && y == yEnd) break;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
}

void RasterSurface::print(std::string_view utf8) {
    if (!painter_ || utf8.empty()) return;
    textX_ = painter_->draw(raster_, textX_, textY_, utf8, fontPoints_, textColour_);
}

void RasterSurface::setFontSize(float points) {
    // A size of 0 (only for the empty caption) keeps the previous size.
    if (points > 0) fontPoints_ = points;
}

void RasterSurface::clear() {
    raster_.fill(background_);
    textX_ = textY_ = 0;
}

void RasterSurface::setBackground(Colour c) {
    background_ = c;
    raster_.fill(c);
}

}  // namespace ts
