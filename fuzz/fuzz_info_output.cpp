// --from - --info on a PNG carrying any text and parameter line: whatever
// the file holds, the program's output is its own lines, with no byte that
// could drive a terminal (C0 controls but the line ends it writes, DEL, C1
// controls, bidi overrides and isolates); accepted, the text and the
// parameter line are exactly two lines.
#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "cli/render_options.hpp"
#include "cli/render_run.hpp"
#include "fail.hpp"
#include "files/png_recipe.hpp"
#include "platform/clock.hpp"

namespace {

bool drivesATerminal(std::string_view shown) {
    for (const char c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && byte != '\n' && byte != '\r') || byte == 0x7F) return true;
    }
    for (const std::string_view sequence : {"\xC2\x80", "\xC2\x85", "\xC2\x9B", "\xC2\x9F", "\xE2\x80\xAE",
                                            "\xE2\x80\xAA", "\xE2\x81\xA6", "\xE2\x81\xA9", "\xE2\x80\xA8"})
        if (shown.find(sequence) != std::string_view::npos) return true;
    return false;
}

std::size_t lines(const std::string& s) { return static_cast<std::size_t>(std::count(s.begin(), s.end(), '\n')); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The bytes up to the first 0xFF are the text, the rest the parameter line.
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const std::size_t split = std::min(all.find('\xFF'), all.size());
    ts::PictureRecipe recipe;
    recipe.text = std::string(all.substr(0, split));
    recipe.parameters = split < all.size() ? std::string(all.substr(split + 1)) : std::string();
    recipe.software = "textscape-render 1.0.0";
    if (recipe.text.find('\0') != std::string::npos || recipe.parameters.find('\0') != std::string::npos) return 0;
    std::vector<std::uint8_t> png;
    if (!ts::encodePngFile(ts::Raster(1, 1), recipe, png)) fail("a recipe could not be written");

    ts::RenderOptions options;
    options.recipeFile = "-";
    options.info = true;
    options.caption = false;
    options.width = options.height = ts::kMinPictureSide;
    options.jobs = 1;
    std::istringstream in(std::string(png.begin(), png.end()));
    std::ostringstream out, err;
    ts::FixedClock clock("03-08-2026", "12:34:56", 45296.5f);
    const int status = ts::runRenderer(options, {in, out, err, false, false}, clock);
    if (drivesATerminal(out.str()) || drivesATerminal(err.str())) fail("the output could drive a terminal");
    std::istringstream errLines(err.str());
    for (std::string line; std::getline(errLines, line);)
        if (line.rfind("textscape-render: ", 0) != 0) fail("a line on standard error not the program's own");
    if (status == 0 && lines(out.str()) != 2) fail("--info printed other than the text and the parameter line");
    if (status != 0 && (status != 1 || lines(err.str()) != 1)) fail("a refusal not one line and status 1");
    return 0;
}
