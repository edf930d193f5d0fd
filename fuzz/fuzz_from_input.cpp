// Any bytes on standard input for --from -: read as a file is read, so the
// run is refused exactly when the recipe reader refuses the same bytes, in
// one line; and the reader never takes more than it needs (nothing past
// IEND, no more than a header's few kilobytes of what is not a PNG).
#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "cli/render_options.hpp"
#include "cli/render_run.hpp"
#include "fail.hpp"
#include "files/file_input.hpp"
#include "files/recipe_file.hpp"
#include "platform/clock.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> input(data, data + size);

    // The stream reader takes a prefix of the input, and what the recipe
    // reader makes of that prefix is what it makes of the whole.
    std::size_t taken = 0;
    const ts::ReadSome readSome = [&](std::uint8_t* into, std::size_t count) -> std::ptrdiff_t {
        const std::size_t n = std::min(count, size - taken);
        std::copy_n(data + taken, n, into);
        taken += n;
        return static_cast<std::ptrdiff_t>(n);
    };
    std::vector<std::uint8_t> bytes;
    const ts::Outcome read = ts::readPngStream("input", readSome, ts::kMaxPictureFileBytes, bytes);
    const ts::RecipeRead whole = ts::readRecipe("input", input);
    if (!read) {
        // Only a chunk that claims more than a picture file may hold is
        // refused by the reader, and the whole input then has no recipe.
        if (read.message.find("it is larger than") == std::string::npos) fail("a small input refused otherwise");
        if (whole) fail("a recipe refused by its length");
    } else {
        if (bytes.size() != taken || !std::equal(bytes.begin(), bytes.end(), input.begin()))
            fail("the bytes given back are not the input's first");
        const ts::RecipeRead streamed = ts::readRecipe("input", bytes);
        if (whole.problem != streamed.problem || !(whole.recipe == streamed.recipe))
            fail("the stream read and the whole file read differ");
    }

    ts::RenderOptions options;
    options.recipeFile = "-";
    options.info = true;
    options.caption = false;
    options.width = options.height = ts::kMinPictureSide;
    options.jobs = 1;
    std::istringstream in(std::string(input.begin(), input.end()));
    std::ostringstream out, err;
    ts::FixedClock clock("03-08-2026", "12:34:56", 45296.5f);
    const int status = ts::runRenderer(options, {in, out, err, false, false}, clock);
    if ((status == 0) != static_cast<bool>(whole)) fail("the run and the recipe reader disagree");
    const std::string e = err.str();
    if (status != 0 &&
        (status != 1 || std::count(e.begin(), e.end(), '\n') != 1 || e.rfind("textscape-render: ", 0) != 0))
        fail("a refusal not one line and status 1");
    return 0;
}
