#pragma once

#include <cstdint>

#include "platform/raster.hpp"

namespace ts::testing {

// 64-bit FNV-1a over the canvas: rows from the top, each row from the left,
// three bytes per pixel in the order red, green, blue.
inline std::uint64_t canvasChecksum(const Raster& canvas) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    const auto mix = [&hash](std::uint8_t byte) {
        hash ^= byte;
        hash *= 0x100000001b3ull;
    };
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const Colour c = canvas.at(x, y);
            mix(c.red());
            mix(c.green());
            mix(c.blue());
        }
    }
    return hash;
}

}  // namespace ts::testing
