#pragma once

#include <memory>
#include <string_view>

#include "platform/raster.hpp"
#include "platform/surface.hpp"

namespace ts {

// Draws text glyphs into a raster for the window's own lines (the
// parameter line, the "*"); the toolkit supplies one. The caption is drawn
// by the engine itself (annotate/caption_text.hpp).
class TextPainter {
public:
    virtual ~TextPainter() = default;
    // Draws text with the top of its line at (x, y); returns the x where the
    // next text on the same line would start.
    virtual float draw(Raster& raster, float x, float y, std::string_view utf8, float points, Colour colour) = 0;
};

// A surface that keeps its drawing in a raster of its own. Pixels and lines
// are drawn here; text goes through the painter (without one, text only
// moves the text position and nothing visible is drawn).
class RasterSurface : public Surface {
public:
    RasterSurface(int width, int height, std::shared_ptr<TextPainter> painter = nullptr, float fontPoints = 8);

    Raster& raster() { return raster_; }
    const Raster& raster() const { return raster_; }

    void setPixel(float x, float y, Colour c) override;
    Colour pixel(float x, float y) const override;
    // Both end points are drawn.
    void line(float x1, float y1, float x2, float y2, Colour c) override;
    void setTextX(float x) override { textX_ = x; }
    void setTextY(float y) override { textY_ = y; }
    void print(std::string_view utf8) override;
    void setFontSize(float points) override;
    void setTextColour(Colour c) override { textColour_ = c; }
    void clear() override;
    void setBackground(Colour c) override;

    float textX() const { return textX_; }
    float textY() const { return textY_; }
    float fontSize() const { return fontPoints_; }
    Colour textColour() const { return textColour_; }
    Colour background() const { return background_; }

private:
    Raster raster_;
    std::shared_ptr<TextPainter> painter_;
    float fontPoints_;
    float textX_ = 0, textY_ = 0;
    Colour textColour_ = Colour::white();
    Colour background_ = Colour::black();
};

// The pixel a single-precision position falls on.
int pixelIndex(float v);

}  // namespace ts
