#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace ts {

// A named size a picture can be drawn at, with the words that say what it
// is for. The window's "Save as" offers these and textscape-render's
// --size takes their names.
struct PictureSize {
    int width;
    int height;
    const char* purpose;    // "the canvas", "2 ×", "A4 at 300 dpi", ...
    const char* name = "";  // "canvas", "2x", "a4", ...: what --size takes
    friend bool operator==(const PictureSize& a, const PictureSize& b) {
        return a.width == b.width && a.height == b.height;
    }
};

// The one table of named sizes, the canvas first.
std::span<const PictureSize> pictureSizes();

// The size called `name` in the table, its letters in either case
// ("A4" is "a4"); nothing for a name it does not hold.
std::optional<PictureSize> pictureSizeNamed(std::string_view name);

}  // namespace ts
