#include "files/bmp_writer.hpp"

namespace ts {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::int32_t kPixelsPerMetre = 3780;  // 96 dots per inch

void put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

}  // namespace

std::vector<std::uint8_t> encodeBmp(const Raster& raster) {
    const auto width = static_cast<std::uint32_t>(raster.width());
    const auto height = static_cast<std::uint32_t>(raster.height());
    const std::uint32_t stride = (width * 3 + 3) / 4 * 4;
    const std::uint32_t imageSize = stride * height;
    const std::uint32_t offset = kFileHeaderSize + kInfoHeaderSize;

    std::vector<std::uint8_t> out;
    out.reserve(offset + imageSize);
    out.push_back('B');
    out.push_back('M');
    put32(out, offset + imageSize);
    put32(out, 0);  // two reserved words
    put32(out, offset);

    put32(out, kInfoHeaderSize);
    put32(out, width);
    put32(out, height);  // positive: rows run bottom-up
    put16(out, 1);       // planes
    put16(out, 24);      // bits per pixel
    put32(out, 0);       // BI_RGB, no compression
    put32(out, imageSize);
    put32(out, kPixelsPerMetre);
    put32(out, kPixelsPerMetre);
    put32(out, 0);  // colours used: none, there is no colour table
    put32(out, 0);  // important colours: all

    const std::uint32_t padding = stride - width * 3;
    for (int y = raster.height() - 1; y >= 0; --y) {
        for (int x = 0; x < raster.width(); ++x) {
            const Colour c = raster.at(x, y);
            out.push_back(c.blue());
            out.push_back(c.green());
            out.push_back(c.red());
        }
        out.insert(out.end(), padding, 0);
    }
    return out;
}

Outcome encodeBmpFile(const Raster& raster, const PictureRecipe&, std::vector<std::uint8_t>& bmp) {
    bmp = encodeBmp(raster);
    return Outcome::ok();
}

}  // namespace ts
