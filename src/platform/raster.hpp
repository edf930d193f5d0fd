#pragma once

#include <cstdint>
#include <vector>

#include "platform/colour.hpp"

namespace ts {

// A persistent image: width x height pixels, row by row, as 0xFFRRGGBB.
// Setting a position outside it does nothing; reading there gives black.
class Raster {
public:
    Raster(int width, int height, Colour fill = Colour::black())
        : width_(width),
          height_(height),
          pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill.pixel()) {}

    int width() const { return width_; }
    int height() const { return height_; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    void set(int x, int y, Colour c) {
        if (contains(x, y)) pixels_[index(x, y)] = c.pixel();
    }
    Colour at(int x, int y) const { return contains(x, y) ? Colour::fromPixel(pixels_[index(x, y)]) : Colour::black(); }
    void fill(Colour c) { pixels_.assign(pixels_.size(), c.pixel()); }

    std::uint32_t* data() { return pixels_.data(); }
    const std::uint32_t* data() const { return pixels_.data(); }
    const std::vector<std::uint32_t>& pixels() const { return pixels_; }

    friend bool operator==(const Raster&, const Raster&) = default;

private:
    // Only called for positions inside the raster.
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
    }

    int width_;
    int height_;
    std::vector<std::uint32_t> pixels_;
};

}  // namespace ts
