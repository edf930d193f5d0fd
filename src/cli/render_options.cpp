#include "cli/render_options.hpp"

#include <algorithm>
#include <cctype>
#include <vector>

namespace ts {

std::variant<RenderOptions, OptionError> parseRenderOptions(std::span<const std::string> arguments) {
    RenderOptions o;
    std::vector<std::string> texts;
    bool firstTextAfterDashes = false;
    bool seenOutput = false, seenBatch = false, seenOutDir = false, seenFrom = false, optionsEnded = false;

    for (std::size_t k = 0; k < arguments.size(); ++k) {
        const std::string& a = arguments[k];
        if (optionsEnded || a == "-" || a.empty() || a[0] != '-') {
            if (texts.empty()) firstTextAfterDashes = optionsEnded;
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
        } else if (name == "-V" || name == "--version") {
            o.action = RenderOptions::Action::Version;
            return o;
        } else if (name == "-q" || name == "--quiet") {
            if (auto e = flag(o.quiet)) return *e;
        } else if (name == "--no-caption") {
            bool on = false;
            if (auto e = flag(on)) return *e;
            o.caption = false;
        } else if (name == "--info") {
            if (auto e = flag(o.info)) return *e;
        } else if (name == "-o" || name == "--output") {
            const auto v = takeValue();
            if (!v || v->empty()) return OptionError{"option " + name + " needs a file name"};
            o.output = *v;
            seenOutput = true;
        } else if (name == "--format") {
            auto v = takeValue();
            if (!v) return OptionError{"option --format needs png or bmp"};
            std::transform(v->begin(), v->end(), v->begin(),
                           [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
            if (*v == "png") {
                o.format = ImageFormat::Png;
            } else if (*v == "bmp") {
                o.format = ImageFormat::Bmp;
            } else {
                return OptionError{"unknown format for --format: use png or bmp"};
            }
        } else if (name == "--from") {
            const auto v = takeValue();
            if (!v || v->empty()) return OptionError{"option --from needs a PNG file"};
            o.recipeFile = *v;
            seenFrom = true;
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
        if (seenFrom) return OptionError{"--from cannot be used with --batch"};
        if (!texts.empty()) return OptionError{"--batch takes its texts from the list file, not the command line"};
        o.action = RenderOptions::Action::Batch;
        return o;
    }

    if (seenOutput && !o.toStandardOutput() && !o.format && !imageFormatOf(o.output)) {
        return OptionError{"unknown output type for " + o.output.string() +
                           ": use a name ending in .png or .bmp, or --format"};
    }
    if (seenFrom) {
        if (!texts.empty()) return OptionError{"--from takes the text from its file: give no TEXT"};
        return o;
    }
    if (texts.empty()) return OptionError{"no TEXT given (use - to read it from standard input)"};
    if (texts.size() > 1) return OptionError{"more than one TEXT given; put a text with spaces in quotes"};
    // "-" after "--" is the text "-" itself.
    o.textFromInput = texts[0] == "-" && !firstTextAfterDashes;
    if (!o.textFromInput) o.text = texts[0];
    return o;
}

std::string renderUsage() {
    return "Usage: textscape-render [options] TEXT\n"
           "       textscape-render [options] --from FILE.png\n"
           "       textscape-render [options] --batch LISTFILE --out-dir DIR\n"
           "\n"
           "Renders the picture that Textscape makes for TEXT (at most 100 characters;\n"
           "- reads it from standard input) and writes it to a PNG or BMP file.\n"
           "\n"
           "Options:\n"
           "  -o, --output FILE   write to FILE, PNG or BMP by its extension; FILE - is\n"
           "                      standard output (default: T<stamp>.png here, or no\n"
           "                      file at all with --info)\n"
           "  --format FORMAT     write png or bmp, whatever the file's name\n"
           "  --no-caption        leave the text out of the picture\n"
           "  --info              print the picture's parameter line (after the text,\n"
           "                      with --from)\n"
           "  --from FILE.png     make the picture again from the text FILE.png carries\n"
           "  --batch LISTFILE    render one picture per line of LISTFILE (UTF-8;\n"
           "                      - reads the list from standard input)\n"
           "  --out-dir DIR       where --batch writes 0001.png, 0002.png, ...\n"
           "  -q, --quiet         no progress bar, no summary, no name of the file written\n"
           "  -h, --help          show this help and exit\n"
           "  -V, --version       show the version and exit\n"
           "\n"
           "Exit status: 0 done; 1 a failure while running (a refused text, a file that\n"
           "could not be read or written, a batch line skipped); 2 a bad command line.\n";
}

}  // namespace ts
