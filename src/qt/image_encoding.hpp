#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/image_format.hpp"
#include "platform/raster.hpp"

namespace ts {

// What a PNG file carries so that the picture can be traced to its text.
struct PictureRecipe {
    std::string text;
    std::string parameters;  // the window's parameter line
    std::string software;    // the program and its version
};

// The PNG keys the recipe is stored under.
inline constexpr const char* kTextKey = "Text";
inline constexpr const char* kParametersKey = "Parameters";
inline constexpr const char* kSoftwareKey = "Software";

// The raster as the bytes of a file of the given format; a PNG carries the
// recipe in text chunks. Needs a QGuiApplication for PNG.
std::vector<std::uint8_t> encodeImage(const Raster& raster, ImageFormat format, const PictureRecipe& recipe);

}  // namespace ts
