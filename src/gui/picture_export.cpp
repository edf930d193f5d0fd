#include "gui/picture_export.hpp"

#include <array>

#include "numeric/check.hpp"
#include "picture/picture.hpp"
#include "qt/qt_surfaces.hpp"
#include "state/layout.hpp"

namespace ts {

namespace {

constexpr std::array kSizes = {
    PictureSize{layout::kCanvasWidth, layout::kCanvasHeight, "the canvas"},
};

}  // namespace

std::span<const PictureSize> exportSizes() { return kSizes; }

Raster renderPictureAt(const std::string& text, int width, int height, const ExportProgress& progress) {
    TS_CHECK(width == layout::kCanvasWidth && height == layout::kCanvasHeight, "a picture at the canvas's size");
    // The clock only names the picture, which is not used here.
    FixedClock clock("01-01-2000", "00:00:00");
    Raster picture = MakeFreshPicture(text, makeCanvas(), clock).canvas;
    if (progress) progress(1.0);
    return picture;
}

}  // namespace ts
