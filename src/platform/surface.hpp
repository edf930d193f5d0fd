#pragma once

#include <string_view>

#include "platform/colour.hpp"

namespace ts {

// A drawing area that keeps everything drawn on it: the window's client
// area, the canvas or the composite. Positions are pixels from the top-left
// corner, y downwards, in single precision. Drawing outside the area does
// nothing and does not fail; reading there gives black.
class Surface {
public:
    virtual ~Surface() = default;

    virtual void setPixel(float x, float y, Colour c) = 0;
    virtual Colour pixel(float x, float y) const = 0;
    virtual void line(float x1, float y1, float x2, float y2, Colour c) = 0;

    // The next text printed starts at the current text position.
    virtual void setTextX(float x) = 0;
    virtual void setTextY(float y) = 0;
    virtual void print(std::string_view utf8) = 0;
    virtual void setFontSize(float points) = 0;
    virtual void setTextColour(Colour c) = 0;

    // Erases everything and puts the text position back at (0, 0).
    virtual void clear() = 0;
    virtual void setBackground(Colour c) = 0;
};

}  // namespace ts
