#include "support/png_writer.hpp"

#include <cstdint>
#include <fstream>
#include <vector>

#include "files/png_encoder.hpp"

namespace ts::testing {

bool writePng(const Raster& raster, const std::string& path) {
    std::vector<std::uint8_t> file;
    if (!encodePng(raster, {}, file)) return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
}

}  // namespace ts::testing
