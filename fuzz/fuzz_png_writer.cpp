// A raster of any pixels, with a text chunk of any value, written as PNG and
// decoded with libpng: the same size and the same pixels.
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fail.hpp"
#include "files/png_encoder.hpp"
#include "platform/raster.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    // Width and height from 1 to 64, one of the keys the program writes, a
    // value of the next bytes (at most 255), then the pixels' bytes, cycled.
    const int width = 1 + data[0] % 64, height = 1 + data[1] % 64;
    const char* const keys[] = {"Title", "Description", "Software", "Creation Time"};
    const std::string key = keys[data[2] % 4];
    const std::size_t valueLength = data[3];
    std::size_t at = 4;
    const auto take = [&](std::size_t count) {
        const std::size_t n = std::min(count, size - at);
        std::string s(reinterpret_cast<const char*>(data) + at, n);
        at += n;
        return s;
    };
    const std::string value = take(valueLength);
    if (value.find('\0') != std::string::npos) return 0;  // no PNG text holds one
    ts::Raster raster(width, height);
    const std::size_t rest = size - at;
    for (int y = 0, k = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x, k += 3) {
            const auto byte = [&](int offset) {
                return rest == 0 ? std::uint8_t{0} : data[at + static_cast<std::size_t>(k + offset) % rest];
            };
            raster.set(x, y, ts::Colour::fromRgb(byte(0), byte(1), byte(2)));
        }
    }

    ts::PngMetadata metadata;
    metadata.texts.push_back({key, value});
    std::vector<std::uint8_t> png;
    const ts::Outcome encoded = ts::encodePng(raster, metadata, png);
    if (!encoded) {
        // Only a text PNG cannot carry may be refused, and with a reason.
        if (encoded.message.empty()) fail("a refusal without a reason");
        return 0;
    }

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) fail("libpng cannot read the file written");
    if (static_cast<int>(image.width) != width || static_cast<int>(image.height) != height)
        fail("the file's size is not the raster's");
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) fail("libpng cannot decode the file written");
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const ts::Colour c = raster.at(x, y);
            const std::size_t k =
                (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
            if (rgb[k] != c.red() || rgb[k + 1] != c.green() || rgb[k + 2] != c.blue())
                fail("a decoded pixel differs from the raster's");
        }
    }
    return 0;
}
