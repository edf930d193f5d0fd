#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "files/image_format.hpp"

namespace ts {

// What a textscape-render command line asks for.
struct RenderOptions {
    enum class Action { Render, Batch, Help, Version };
    Action action = Action::Render;

    std::string text;                   // the text to render (Render), not yet checked
    bool textFromInput = false;         // TEXT was "-": read it from standard input
    std::filesystem::path recipeFile;   // --from: the text is the one this PNG carries
    std::filesystem::path output;       // -o; "-" is standard output; empty: see runRenderer
    std::optional<ImageFormat> format;  // --format; otherwise the output's extension decides
    bool caption = true;                // --no-caption turns it off
    bool info = false;                  // --info: print the parameter line
    bool quiet = false;                 // -q: no progress bar, no summary, no name of the file written
    std::filesystem::path batchList;    // --batch; "-" is standard input
    std::filesystem::path outDir;       // --out-dir

    bool toStandardOutput() const { return output == "-"; }

    friend bool operator==(const RenderOptions&, const RenderOptions&) = default;
};

struct OptionError {
    std::string message;  // one line, without the program's name
    friend bool operator==(const OptionError&, const OptionError&) = default;
};

// Reads the arguments that follow the program's name. The text is taken as
// given: runRenderer checks it, wherever it comes from.
std::variant<RenderOptions, OptionError> parseRenderOptions(std::span<const std::string> arguments);

// The usage text printed by --help.
std::string renderUsage();

}  // namespace ts
