// The renderer's command line: arguments of any bytes (separated by NUL in
// the input) are either taken or refused with a message; what is taken is
// consistent.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "cli/render_options.hpp"
#include "fail.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments(1);
    for (std::size_t k = 0; k < size; ++k) {
        if (data[k] == 0)
            arguments.emplace_back();
        else
            arguments.back().push_back(static_cast<char>(data[k]));
    }
    const auto parsed = ts::parseRenderOptions(arguments);
    if (const auto* error = std::get_if<ts::OptionError>(&parsed)) {
        if (error->message.empty()) fail("an empty error message");
        return 0;
    }
    const auto& options = std::get<ts::RenderOptions>(parsed);
    using Action = ts::RenderOptions::Action;
    if (options.action == Action::Render) {
        // The text itself is checked when it is rendered, wherever it comes from.
        const int sources = (options.textFromInput ? 1 : 0) + (options.recipeFile.empty() ? 0 : 1);
        if (sources > 1 || (sources == 1 && !options.text.empty())) fail("a text from two places");
        if (!options.output.empty() && !options.toStandardOutput() && !options.format &&
            !ts::imageFormatOf(options.output))
            fail("an output of no known type");
    }
    if (options.action == Action::Batch && (options.batchList.empty() || options.outDir.empty()))
        fail("a batch without its list or folder");
    return 0;
}
