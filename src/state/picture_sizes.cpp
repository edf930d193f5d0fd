#include "state/picture_sizes.hpp"

#include <algorithm>
#include <array>
#include <cstring>

#include "state/layout.hpp"

namespace ts {
namespace {

// A4 and A3 lie on their long side, as the picture does: 297 x 210 mm and
// 420 x 297 mm at 300 dots per inch.
constexpr std::array kSizes = {
    PictureSize{layout::kCanvasWidth, layout::kCanvasHeight, "the canvas", "canvas"},
    PictureSize{2 * layout::kCanvasWidth, 2 * layout::kCanvasHeight, "2 \u00d7", "2x"},
    PictureSize{4 * layout::kCanvasWidth, 4 * layout::kCanvasHeight, "4 \u00d7", "4x"},
    PictureSize{1920, 1080, "full HD", "hd"},
    PictureSize{3840, 2160, "4K", "4k"},
    PictureSize{3508, 2480, "A4 at 300 dpi", "a4"},
    PictureSize{4961, 3508, "A3 at 300 dpi", "a3"},
};

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::span<const PictureSize> pictureSizes() { return kSizes; }

std::optional<PictureSize> pictureSizeNamed(std::string_view name) {
    for (const PictureSize& size : kSizes) {
        const std::string_view known = size.name;
        if (known.size() == name.size() &&
            std::equal(known.begin(), known.end(), name.begin(), [](char a, char b) { return a == lower(b); }))
            return size;
    }
    return std::nullopt;
}

}  // namespace ts
