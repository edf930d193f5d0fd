#pragma once

#include <string>

#include "platform/raster.hpp"

namespace ts::testing {

// Writes the raster as a PNG file, so that a picture made by a test can be
// looked at. Returns false when the file cannot be written.
bool writePng(const Raster& raster, const std::string& path);

}  // namespace ts::testing
