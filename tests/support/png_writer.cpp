#include "support/png_writer.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <vector>

#include "files/crc32.hpp"

namespace ts::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t adler32(const Bytes& data) {
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

void putBigEndian(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void putChunk(Bytes& out, const char (&type)[5], const Bytes& body) {
    putBigEndian(out, static_cast<std::uint32_t>(body.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    putBigEndian(out, crc32(out.data() + start, out.size() - start));
}

// A zlib stream of stored (uncompressed) deflate blocks.
Bytes storedZlib(const Bytes& raw) {
    Bytes out = {0x78, 0x01};
    std::size_t offset = 0;
    do {
        const std::size_t length = std::min<std::size_t>(65535, raw.size() - offset);
        const bool last = offset + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<std::uint8_t>(length));
        out.push_back(static_cast<std::uint8_t>(length >> 8));
        out.push_back(static_cast<std::uint8_t>(~length));
        out.push_back(static_cast<std::uint8_t>(~length >> 8));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
                   raw.begin() + static_cast<std::ptrdiff_t>(offset + length));
        offset += length;
    } while (offset < raw.size());
    putBigEndian(out, adler32(raw));
    return out;
}

}  // namespace

bool writePng(const Raster& raster, const std::string& path) {
    Bytes scanlines;
    scanlines.reserve(static_cast<std::size_t>(raster.height()) * (1 + 3 * static_cast<std::size_t>(raster.width())));
    for (int y = 0; y < raster.height(); ++y) {
        scanlines.push_back(0);  // no filter
        for (int x = 0; x < raster.width(); ++x) {
            const Colour c = raster.at(x, y);
            scanlines.insert(scanlines.end(), {c.red(), c.green(), c.blue()});
        }
    }

    Bytes header;
    putBigEndian(header, static_cast<std::uint32_t>(raster.width()));
    putBigEndian(header, static_cast<std::uint32_t>(raster.height()));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace

    Bytes file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    putChunk(file, "IHDR", header);
    putChunk(file, "IDAT", storedZlib(scanlines));
    putChunk(file, "IEND", {});

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
}

}  // namespace ts::testing
