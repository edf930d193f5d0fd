#pragma once

#include <functional>
#include <span>
#include <string>

#include "platform/raster.hpp"

namespace ts {

// A size "Save as" offers, with the words that say what it is for.
struct PictureSize {
    int width;
    int height;
    const char* purpose;  // "the canvas", "2 ×", "A4 at 300 dpi", ...
    friend bool operator==(const PictureSize& a, const PictureSize& b) {
        return a.width == b.width && a.height == b.height;
    }
};

// The sizes "Save as" offers, the canvas first.
std::span<const PictureSize> exportSizes();

// Told how much of a picture is drawn, from 0 to 1, on the thread that
// draws it.
using ExportProgress = std::function<void(double done)>;

// The picture of `text` drawn afresh at width x height, caption included,
// as textscape-render draws it at that size. Safe to call on a worker
// thread. Only the sizes of exportSizes() are asked for.
Raster renderPictureAt(const std::string& text, int width, int height, const ExportProgress& progress = {});

}  // namespace ts
