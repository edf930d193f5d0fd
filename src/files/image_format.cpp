#include "files/image_format.hpp"

#include <algorithm>
#include <cctype>

#include "numeric/check.hpp"

namespace ts {
namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::span<const ImageFormatInfo> imageFormats() { return kImageFormats; }

const ImageFormatInfo& imageFormatInfo(ImageFormat format) {
    const auto* found = std::find_if(std::begin(kImageFormats), std::end(kImageFormats),
                                     [format](const ImageFormatInfo& info) { return info.format == format; });
    TS_CHECK(found != std::end(kImageFormats), "every image format has its entry in kImageFormats");
    return *found;
}

ImageFormat defaultImageFormat() { return kImageFormats[0].format; }

std::optional<ImageFormat> imageFormatOf(const std::filesystem::path& file, std::span<const ImageFormatInfo> formats) {
    const std::string extension = file.extension().string();
    for (const ImageFormatInfo& info : formats)
        for (const std::string_view known : info.extensions)
            if (sameIgnoringCase(extension, known)) return info.format;
    return std::nullopt;
}

std::optional<ImageFormat> imageFormatNamed(std::string_view name) {
    for (const ImageFormatInfo& info : kImageFormats)
        if (sameIgnoringCase(name, info.name)) return info.format;
    return std::nullopt;
}

std::string wordsJoinedWithOr(std::span<const std::string> words) {
    std::string out;
    for (std::size_t k = 0; k < words.size(); ++k) {
        if (k > 0) out += k + 1 == words.size() ? " or " : ", ";
        out += words[k];
    }
    return out;
}

}  // namespace ts
