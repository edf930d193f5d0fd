#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "app/render_options.hpp"
#include "platform/clock.hpp"
#include "platform/raster.hpp"

namespace ts {

// What a PNG file carries so that the picture can be traced to its text.
struct PictureRecipe {
    std::string text;
    std::string parameters;  // the window's parameter line
    std::string software;    // "textscape-render <version>"
};

// The PNG keys the recipe is stored under.
inline constexpr const char* kTextKey = "Text";
inline constexpr const char* kParametersKey = "Parameters";
inline constexpr const char* kSoftwareKey = "Software";

std::string renderVersion();  // "textscape-render 1.0.0"

// The raster as a file of the given format; a PNG carries the recipe in text
// chunks. Empty when the encoder fails. Needs a QGuiApplication for PNG.
std::optional<std::vector<std::uint8_t>> encodeImage(const Raster& raster, ImageFormat format,
                                                     const PictureRecipe& recipe);

struct RenderStreams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;  // draw the batch progress bar on err
};

// Carries out parsed options (Render or Batch) and returns the exit status:
// 0 when every picture was written. Problems are reported on err, one line
// each. Needs a QGuiApplication.
int runRenderer(const RenderOptions& options, RenderStreams io, Clock& clock);

}  // namespace ts
