#include "files/image_format.hpp"

#include <algorithm>
#include <cctype>
#include <string>

namespace ts {

std::optional<ImageFormat> imageFormatOf(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".png") return ImageFormat::Png;
    if (extension == ".bmp") return ImageFormat::Bmp;
    return std::nullopt;
}

}  // namespace ts
