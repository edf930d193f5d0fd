#pragma once

#include <random>
#include <string>
#include <vector>

#include "picture/picture.hpp"
#include "platform/raster.hpp"
#include "state/layout.hpp"
#include "support/fakes.hpp"
#include "support/picture.hpp"

namespace ts::testing {

// Pixels of no pattern, the same on every run: what compresses worst, with
// every value of every channel likely to come up.
inline Raster randomRaster(int width, int height, unsigned seed = 16) {
    std::mt19937 generator(seed);
    Raster raster(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) raster.set(x, y, Colour::fromPixel(static_cast<std::uint32_t>(generator())));
    return raster;
}

// The program's picture of `text` at its standard size, without caption.
inline Raster programPicture(const std::string& text) {
    FixedClock clock = testClock();
    return MakeFreshPicture(text, RasterSurface(layout::kCanvasWidth, layout::kCanvasHeight), clock, false,
                            SweepOptions{1, 0, {}})
        .canvas;
}

// One picture per shape formula, each the first of "picture 1",
// "picture 2", ... that uses it: the benchmark's pictures.
inline std::vector<Raster> formulaPictures() {
    std::vector<std::string> texts(15);
    int found = 0;
    for (int n = 1; found < 15; ++n) {
        const std::string text = "picture " + std::to_string(n);
        std::string& slot = texts[static_cast<std::size_t>(selectorsOf(text).tip1 - 1)];
        if (!slot.empty()) continue;
        slot = text;
        ++found;
    }
    std::vector<Raster> pictures;
    for (const std::string& text : texts) pictures.push_back(programPicture(text));
    return pictures;
}

}  // namespace ts::testing
