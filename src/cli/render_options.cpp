#include "cli/render_options.hpp"

#include <vector>

#include "seed/read_text_seed.hpp"

namespace ts {

std::variant<RenderOptions, OptionError> parseRenderOptions(std::span<const std::string> arguments) {
    RenderOptions o;
    std::vector<std::string> texts;
    bool seenOutput = false, seenBatch = false, seenOutDir = false, optionsEnded = false;

    for (std::size_t k = 0; k < arguments.size(); ++k) {
        const std::string& a = arguments[k];
        if (optionsEnded || a == "-" || a.empty() || a[0] != '-') {
            texts.push_back(a);
            continue;
        }
        // Options that take a value accept it as the next argument or after "=".
        std::string name = a, value;
        bool inlineValue = false;
        if (const auto eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
            inlineValue = true;
        }
        const auto takeValue = [&]() -> std::optional<std::string> {
            if (inlineValue) return value;
            if (k + 1 >= arguments.size()) return std::nullopt;
            return arguments[++k];
        };
        const auto flag = [&](bool& target) -> std::optional<OptionError> {
            if (inlineValue) return OptionError{"option " + name + " takes no value"};
            target = true;
            return std::nullopt;
        };

        if (name == "--") {
            optionsEnded = true;
        } else if (name == "-h" || name == "--help") {
            o.action = RenderOptions::Action::Help;
            return o;
        } else if (name == "--version") {
            o.action = RenderOptions::Action::Version;
            return o;
        } else if (name == "--no-caption") {
            bool on = false;
            if (auto e = flag(on)) return *e;
            o.caption = false;
        } else if (name == "--info") {
            if (auto e = flag(o.info)) return *e;
        } else if (name == "-n" || name == "--no-clobber") {
            if (auto e = flag(o.noClobber)) return *e;
        } else if (name == "-o" || name == "--output") {
            const auto v = takeValue();
            if (!v || v->empty()) return OptionError{"option " + name + " needs a file name"};
            o.output = *v;
            seenOutput = true;
        } else if (name == "--batch") {
            const auto v = takeValue();
            if (!v || v->empty()) return OptionError{"option --batch needs a list file"};
            o.batchList = *v;
            seenBatch = true;
        } else if (name == "--out-dir") {
            const auto v = takeValue();
            if (!v || v->empty()) return OptionError{"option --out-dir needs a folder"};
            o.outDir = *v;
            seenOutDir = true;
        } else {
            return OptionError{"unknown option " + a};
        }
    }

    if (seenBatch || seenOutDir) {
        if (!seenBatch) return OptionError{"--out-dir is only used with --batch"};
        if (!seenOutDir) return OptionError{"--batch needs --out-dir DIR"};
        if (seenOutput) return OptionError{"-o cannot be used with --batch: pictures are named by line number"};
        if (!texts.empty()) return OptionError{"--batch takes its texts from the list file, not the command line"};
        o.action = RenderOptions::Action::Batch;
        return o;
    }

    if (texts.empty()) return OptionError{"no TEXT given (use - to read it from standard input)"};
    if (texts.size() > 1) return OptionError{"more than one TEXT given; put a text with spaces in quotes"};
    if (seenOutput && !imageFormatOf(o.output)) {
        return OptionError{"unknown output type for " + o.output.string() + ": use a name ending in .png or .bmp"};
    }
    if (texts[0] == "-" && !optionsEnded) {
        o.textFromInput = true;
    } else {
        if (Outcome checked = checkText(texts[0]); !checked) return OptionError{checked.message};
        o.text = texts[0];
    }
    return o;
}

std::string renderUsage() {
    return "Usage: textscape-render [options] TEXT\n"
           "       textscape-render [options] --batch LISTFILE --out-dir DIR\n"
           "\n"
           "Renders the picture that Textscape makes for TEXT (at most 100 characters;\n"
           "- reads it from standard input) and writes it to a PNG or BMP file.\n"
           "\n"
           "Options:\n"
           "  -o, --output FILE   write to FILE; .png or .bmp (default: T<stamp>.png here)\n"
           "  -n, --no-clobber    never replace an existing file\n"
           "  --no-caption        leave the text out of the picture\n"
           "  --info              print the picture's parameter line\n"
           "  --batch LISTFILE    render one picture per line of LISTFILE (UTF-8)\n"
           "  --out-dir DIR       where --batch writes 0001.png, 0002.png, ...\n"
           "  -h, --help          show this help and exit\n"
           "  --version           show the version and exit\n";
}

}  // namespace ts
