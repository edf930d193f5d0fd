#pragma once

#include <memory>
#include <string_view>

#include "platform/raster.hpp"
#include "platform/surface.hpp"

namespace ts {

// Draws text glyphs into a raster; the toolkit supplies one.
class TextPainter {
public:
    virtual ~TextPainter() = default;
    // Draws text with the top of its line at (x, y); returns the x where the
    // next text on the same line would start.
    virtual float draw(Raster& raster, float x, float y, std::string_view utf8, float points, Colour colour) = 0;
    // The same, with a thin edge of `outline` around the glyphs.
    virtual float drawOutlined(Raster& raster, float x, float y, std::string_view utf8, float points, Colour colour,
                               Colour outline) = 0;
    // How wide `utf8` is at a size, and the distance from line to line.
    virtual float width(std::string_view utf8, float points) const = 0;
    virtual float lineHeight(float points) const = 0;
};

// A surface that keeps its drawing in a raster of its own. Pixels and lines
// are drawn here; text goes through the painter (without one, text only
// moves the text position, nothing visible is drawn, and every text
// measures 0 wide and 0 high).
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
    void setTextOutline(std::optional<Colour> c) override { outline_ = c; }
    float textWidth(std::string_view utf8, float points) const override;
    float lineHeight(float points) const override;
    void clear() override;
    void setBackground(Colour c) override;

    float textX() const { return textX_; }
    float textY() const { return textY_; }
    float fontSize() const { return fontPoints_; }
    Colour textColour() const { return textColour_; }
    std::optional<Colour> textOutline() const { return outline_; }
    Colour background() const { return background_; }

private:
    Raster raster_;
    std::shared_ptr<TextPainter> painter_;
    float fontPoints_;
    float textX_ = 0, textY_ = 0;
    Colour textColour_ = Colour::white();
    std::optional<Colour> outline_;
    Colour background_ = Colour::black();
};

// The pixel a single-precision position falls on.
int pixelIndex(float v);

}  // namespace ts
