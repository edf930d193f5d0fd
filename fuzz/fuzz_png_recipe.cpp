// Bytes of any kind read as a PNG file for its recipe (what --from reads):
// every input is answered, with a recipe or with a one-line reason, and a
// recipe found reads back the same once written into another PNG.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fail.hpp"
#include "files/crc32.hpp"
#include "files/png_recipe.hpp"

namespace {

void appendChunk(std::vector<std::uint8_t>& png, const char* type, const std::vector<std::uint8_t>& data) {
    const auto put32 = [&png](std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<std::uint8_t>(v >> shift));
    };
    put32(static_cast<std::uint32_t>(data.size()));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    put32(ts::crc32(png.data() + start, png.size() - start));
}

// A 1 x 1 grey PNG file: signature, IHDR, IDAT, IEND.
std::vector<std::uint8_t> tinyPng() {
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    appendChunk(png, "IHDR", {0, 0, 0, 1, 0, 0, 0, 1, 8, 0, 0, 0, 0});
    appendChunk(png, "IDAT", {0x78, 0x01, 0x63, 0x68, 0x00, 0x00, 0x00, 0x82, 0x00, 0x81});
    appendChunk(png, "IEND", {});
    return png;
}

bool writable(const std::string& value) { return value.find('\0') == std::string::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ts::PictureRecipe recipe;
    const ts::Outcome found = ts::readPngRecipe(std::span<const std::uint8_t>(data, size), recipe);
    if (!found) {
        if (found.message.empty() || found.message.find('\n') != std::string::npos) fail("not a one-line reason");
        return 0;
    }
    if (recipe.text.empty() && recipe.software.empty()) fail("a recipe without its text or program");
    // Written into another file and read back, the recipe is the same.
    if (!writable(recipe.text) || !writable(recipe.parameters) || !writable(recipe.software) ||
        !writable(recipe.creationTime))
        return 0;
    std::vector<std::uint8_t> png = tinyPng();
    ts::addPngRecipe(png, recipe);
    ts::PictureRecipe again;
    if (!ts::readPngRecipe(png, again)) fail("a recipe written could not be read back");
    if (!(again == recipe)) fail("a recipe read back differs from the one written");
    return 0;
}
