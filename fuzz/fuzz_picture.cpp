// A text of any bytes through the whole picture path: the text check, then
// for a text it takes the picture with its caption and its PNG file, made
// twice on fresh states; both must be the same, bit for bit.
#include <cstdint>
#include <string>

#include "annotate/info_line.hpp"
#include "fail.hpp"
#include "files/image_encoding.hpp"
#include "files/png_recipe.hpp"
#include "picture/picture.hpp"
#include "seed/read_text_seed.hpp"

namespace {

struct Rendered {
    ts::Raster canvas;
    std::string parameters;
    std::vector<std::uint8_t> png;
};

Rendered render(const std::string& text) {
    ts::FixedClock clock("03-08-2026", "14:05:09", 50709);
    ts::Picture picture = ts::MakeFreshPicture(text, ts::makeCanvas(), clock);
    const std::string parameters = ts::parameterLine(picture.state);
    std::vector<std::uint8_t> png;
    if (!ts::encodeImage(picture.canvas, ts::ImageFormat::Png, {text, parameters, "textscape-render fuzz", ""}, png))
        fail("a 600 x 450 picture could not be encoded as PNG");
    return {std::move(picture.canvas), parameters, std::move(png)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Longer inputs only test the length check again.
    if (size > 512) return -1;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!ts::checkText(text)) return 0;
    const Rendered first = render(text);
    const Rendered second = render(text);
    if (!(first.canvas == second.canvas) || first.parameters != second.parameters || first.png != second.png) {
        fail("the same text gave two different pictures");
    }
    // The file carries the text, which makes the same picture again.
    ts::PictureRecipe recipe;
    if (!ts::readPngRecipe(first.png, recipe) || recipe.text != text || recipe.parameters != first.parameters) {
        fail("the file does not carry its text and parameter line");
    }
    return 0;
}
