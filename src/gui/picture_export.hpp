#pragma once

#include <functional>
#include <span>
#include <string>

#include "platform/raster.hpp"
#include "state/picture_definition.hpp"

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

// The picture of `text` drawn afresh at width x height (each 16 to 16384
// pixels) on every core, caption included: at 600 x 450 the standard
// picture, at other sizes the same composition with the caption scaled. The
// text is coded under picture definition `definition`, the one the shown
// picture was drawn with. Safe to call on a worker thread; `progress` is
// told on the calling one.
Raster renderPictureAt(const std::string& text, int width, int height, int definition = kLatestPictureDefinition,
                       const ExportProgress& progress = {});

}  // namespace ts
