#pragma once

#include <string_view>

namespace ts {

// The project's version, "1.0.0": what both programs print for --version,
// and what a PNG's Software names. It comes from the CMake project version
// alone.
std::string_view textscapeVersion();

}  // namespace ts
