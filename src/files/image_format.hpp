#pragma once

#include <filesystem>
#include <optional>

namespace ts {

enum class ImageFormat { Png, Bmp };

// The format a file name asks for by its extension (".png", ".bmp", in any
// case), or nothing for any other name.
std::optional<ImageFormat> imageFormatOf(const std::filesystem::path& file);

}  // namespace ts
