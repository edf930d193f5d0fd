// Bytes of any kind read as a PNG file for its recipe (what --from reads):
// every input is answered, with a recipe or with a one-line reason, and a
// recipe found reads back the same once written into another PNG.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fail.hpp"
#include "files/png_encoder.hpp"
#include "files/png_recipe.hpp"

namespace {

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
    std::vector<std::uint8_t> png;
    if (!ts::encodePng(ts::Raster(1, 1), ts::pngMetadataOf(recipe), png)) fail("a recipe could not be written");
    ts::PictureRecipe again;
    if (!ts::readPngRecipe(png, again)) fail("a recipe written could not be read back");
    if (!(again == recipe)) fail("a recipe read back differs from the one written");
    return 0;
}
