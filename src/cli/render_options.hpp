#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "files/image_format.hpp"
#include "render/sweep.hpp"
#include "state/layout.hpp"

namespace ts {

// What a textscape-render command line asks for.
struct RenderOptions {
    enum class Action { Render, Batch, Help, Version, ListSizes };
    Action action = Action::Render;

    std::string text;                   // the text to render (Render), not yet checked
    bool textFromInput = false;         // TEXT was "-": read it from standard input
    std::filesystem::path recipeFile;   // --from: the text is the one this PNG carries; "-" is standard input
    std::filesystem::path output;       // -o; "-" is standard output; empty: see runRenderer
    std::optional<ImageFormat> format;  // --format; otherwise the output's extension decides
    bool caption = true;                // --no-caption turns it off, --caption on
    bool captionGiven = false;          // --caption or --no-caption: --from keeps it over the file's
    bool noClobber = false;             // -n: never replace an existing file
    bool skipExisting = false;          // --skip-existing: a batch leaves a line whose file has its text
    bool info = false;                  // --info: print the parameter line
    bool json = false;                  // --json (with --info): one JSON object per picture instead
    bool quiet = false;                 // -q: no progress bar, no summary, no name of the file written
    std::filesystem::path batchList;    // --batch; "-" is standard input
    std::filesystem::path outDir;       // --out-dir
    int width = layout::kCanvasWidth;   // --size WxH or NAME: the picture's size in pixels
    int height = layout::kCanvasHeight;
    bool sizeGiven = false;  // --size: --from keeps it over the file's
    int dpi = 0;             // --dpi: the resolution the PNG records; 0 is the size's own
    int jobs = 0;               // -j, --jobs: cores to use; 0 is every one
    int shard = 1, shards = 1;  // --shard K/N: the lines L with (L - 1) mod N = K - 1

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

// The most --jobs and shards accepted (--size takes each side from
// kMinPictureSide to kMaxPictureSide, render/sweep.hpp).
inline constexpr int kMaxJobs = 1024;
inline constexpr int kMaxDpi = 100000;
inline constexpr int kMaxShards = 1000000;

// The usage text printed by --help.
std::string renderUsage();

// The named sizes --size takes, one a line: "a4      3508x2480    A4 at 300 dpi",
// printed by --list-sizes.
std::string sizeListing();

}  // namespace ts
