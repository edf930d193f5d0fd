#include "gui/picture_export.hpp"

#include <array>

#include "numeric/check.hpp"
#include "picture/picture.hpp"
#include "qt/qt_surfaces.hpp"
#include "render/sweep.hpp"
#include "state/layout.hpp"

namespace ts {

namespace {

// A4 and A3 lie on their long side, as the picture does: 297 x 210 mm and
// 420 x 297 mm at 300 dots per inch.
constexpr std::array kSizes = {
    PictureSize{layout::kCanvasWidth, layout::kCanvasHeight, "the canvas"},
    PictureSize{2 * layout::kCanvasWidth, 2 * layout::kCanvasHeight, "2 \u00d7"},
    PictureSize{4 * layout::kCanvasWidth, 4 * layout::kCanvasHeight, "4 \u00d7"},
    PictureSize{1920, 1080, "full HD"},
    PictureSize{3840, 2160, "4K"},
    PictureSize{3508, 2480, "A4 at 300 dpi"},
    PictureSize{4961, 3508, "A3 at 300 dpi"},
};

}  // namespace

std::span<const PictureSize> exportSizes() { return kSizes; }

Raster renderPictureAt(const std::string& text, int width, int height, int definition, const ExportProgress& progress) {
    TS_CHECK(
        width >= kMinPictureSide && width <= kMaxPictureSide && height >= kMinPictureSide && height <= kMaxPictureSide,
        "a picture size the sweep draws");
    SweepOptions sweep;
    if (progress) {
        sweep.progress = [&progress](std::int64_t done, std::int64_t total) {
            progress(total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0);
        };
    }
    // The clock only names the picture, which is not used here.
    FixedClock clock("01-01-2000", "00:00:00");
    Picture picture = MakeFreshPicture(text, makeCanvas(width, height), clock, true, sweep, definition);
    return std::move(picture.canvas);
}

}  // namespace ts
