#include "cli/render_options.hpp"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "state/picture_sizes.hpp"

namespace ts {
namespace {

// A whole number of at most `digits` decimal digits, nothing else (no sign,
// no spaces).
std::optional<int> wholeNumber(std::string_view text, std::size_t digits = 9) {
    if (text.empty() || text.size() > digits) return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// "A<separator>B" as two whole numbers.
std::optional<std::pair<int, int>> numberPair(std::string_view text, char separator) {
    const auto at = text.find(separator);
    if (at == std::string_view::npos) return std::nullopt;
    const auto first = wholeNumber(text.substr(0, at));
    const auto second = wholeNumber(text.substr(at + 1));
    if (!first || !second) return std::nullopt;
    return std::pair{*first, *second};
}

// "png or bmp": every format's name, as --format takes it.
std::string formatNames() {
    std::vector<std::string> names;
    for (const ImageFormatInfo& info : imageFormats()) names.emplace_back(info.name);
    return wordsJoinedWithOr(names);
}

// ".png or .bmp": every extension that chooses a format.
std::string formatExtensions() {
    std::vector<std::string> extensions;
    for (const ImageFormatInfo& info : imageFormats())
        for (const std::string_view extension : info.extensions) extensions.emplace_back(extension);
    return wordsJoinedWithOr(extensions);
}

// One line of the help's list of formats: "  png   .png   PNG image ...".
std::string formatLine(const ImageFormatInfo& info) {
    std::string line = "  ";
    line += info.name;
    line.resize(std::max<std::size_t>(line.size() + 1, 8), ' ');
    for (std::size_t k = 0; k < info.extensions.size(); ++k) {
        if (k > 0) line += ' ';
        line += info.extensions[k];
    }
    line.resize(std::max<std::size_t>(line.size() + 1, 16), ' ');
    line += info.title;
    line += " image (";
    line += info.mimeType;
    line += ')';
    if (info.carriesRecipe) line += ", keeps the text for --from";
    return line + '\n';
}

// "canvas, 2x, 4x, ...": the names --size takes.
std::string sizeNames() {
    std::string names;
    for (const PictureSize& size : pictureSizes()) {
        if (!names.empty()) names += ", ";
        names += size.name;
    }
    return names;
}

}  // namespace

std::variant<RenderOptions, OptionError> parseRenderOptions(std::span<const std::string> arguments) {
    RenderOptions o;
    std::vector<std::string> texts;
    bool firstTextAfterDashes = false;
    bool seenOutput = false, seenBatch = false, seenOutDir = false, seenFrom = false, seenShard = false,
         optionsEnded = false;

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
        } else if (a.size() > 2 && a.rfind("-j", 0) == 0) {  // -j4
            name = "-j";
            value = a.substr(2);
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
        } else if (name == "--list-sizes") {
            if (inlineValue) return OptionError{"option --list-sizes takes no value"};
            o.action = RenderOptions::Action::ListSizes;
            return o;
        } else if (name == "-q" || name == "--quiet") {
            if (auto e = flag(o.quiet)) return *e;
        } else if (name == "--no-caption") {
            bool on = false;
            if (auto e = flag(on)) return *e;
            o.caption = false;
            o.captionGiven = true;
        } else if (name == "--caption") {
            if (auto e = flag(o.caption)) return *e;
            o.captionGiven = true;
        } else if (name == "--info") {
            if (auto e = flag(o.info)) return *e;
        } else if (name == "--skip-existing") {
            if (auto e = flag(o.skipExisting)) return *e;
        } else if (name == "--json") {
            if (auto e = flag(o.json)) return *e;
        } else if (name == "-n" || name == "--no-clobber") {
            if (auto e = flag(o.noClobber)) return *e;
        } else if (name == "-o" || name == "--output") {
            const auto v = takeValue();
            if (!v || v->empty()) return OptionError{"option " + name + " needs a file name"};
            o.output = *v;
            seenOutput = true;
        } else if (name == "--format") {
            const auto v = takeValue();
            if (!v) return OptionError{"option --format needs " + formatNames()};
            const std::optional<ImageFormat> format = imageFormatNamed(*v);
            if (!format) return OptionError{"unknown format for --format: use " + formatNames()};
            o.format = *format;
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
        } else if (name == "--size") {
            const auto v = takeValue();
            // A name from the table of sizes, or WIDTHxHEIGHT.
            std::optional<std::pair<int, int>> size;
            if (const auto named = v ? pictureSizeNamed(*v) : std::nullopt) {
                size = std::pair{named->width, named->height};
            } else if (v) {
                size = numberPair(*v, 'x');
            }
            const auto inRange = [](int side) { return side >= kMinPictureSide && side <= kMaxPictureSide; };
            if (!size || !inRange(size->first) || !inRange(size->second)) {
                return OptionError{"option --size needs WIDTHxHEIGHT in pixels, each from " +
                                   std::to_string(kMinPictureSide) + " to " + std::to_string(kMaxPictureSide) +
                                   " (e.g. 1920x1080), or a name --list-sizes shows"};
            }
            o.width = size->first;
            o.height = size->second;
            o.sizeGiven = true;
        } else if (name == "--dpi") {
            const auto v = takeValue();
            const auto dpi = v ? wholeNumber(*v) : std::nullopt;
            if (!dpi || *dpi < 1 || *dpi > kMaxDpi)
                return OptionError{"option --dpi needs dots per inch from 1 to " + std::to_string(kMaxDpi)};
            o.dpi = *dpi;
        } else if (name == "-j" || name == "--jobs") {
            const auto v = takeValue();
            const auto jobs = v ? wholeNumber(*v) : std::nullopt;
            if (!jobs || *jobs < 1 || *jobs > kMaxJobs)
                return OptionError{"option " + name + " needs a number of cores from 1 to " + std::to_string(kMaxJobs)};
            o.jobs = *jobs;
        } else if (name == "--shard") {
            const auto v = takeValue();
            const auto shard = v ? numberPair(*v, '/') : std::nullopt;
            if (!shard || shard->second < 1 || shard->second > kMaxShards || shard->first < 1 ||
                shard->first > shard->second) {
                return OptionError{"option --shard needs K/N, shard K of N with 1 <= K <= N <= " +
                                   std::to_string(kMaxShards) + " (e.g. 2/4)"};
            }
            o.shard = shard->first;
            o.shards = shard->second;
            seenShard = true;
        } else {
            return OptionError{"unknown option " + a};
        }
    }

    if (o.json && !o.info) return OptionError{"--json is only used with --info"};
    if (seenBatch || seenOutDir) {
        if (!seenBatch) return OptionError{"--out-dir is only used with --batch"};
        if (!seenOutDir) return OptionError{"--batch needs --out-dir DIR"};
        if (seenOutput) return OptionError{"-o cannot be used with --batch: pictures are named by line number"};
        if (seenFrom) return OptionError{"--from cannot be used with --batch"};
        if (!texts.empty()) return OptionError{"--batch takes its texts from the list file, not the command line"};
        o.action = RenderOptions::Action::Batch;
        return o;
    }

    if (seenShard) return OptionError{"--shard is only used with --batch"};
    if (o.skipExisting) return OptionError{"--skip-existing is only used with --batch"};
    if (seenOutput && !o.toStandardOutput() && !o.format && !imageFormatOf(o.output)) {
        return OptionError{"unknown output type for " + o.output.string() + ": use a name ending in " +
                           formatExtensions() + ", or --format"};
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
    const std::string extension(imageFormatInfo(defaultImageFormat()).extensions.front());
    std::string formats;
    for (const ImageFormatInfo& info : imageFormats()) formats += formatLine(info);
    return "Usage: textscape-render [options] TEXT\n"
           "       textscape-render [options] --from FILE.png\n"
           "       textscape-render [options] --batch LISTFILE --out-dir DIR\n"
           "\n"
           "Renders the picture that Textscape makes for TEXT (at most 100 characters;\n"
           "- reads it from standard input) and writes it to an image file.\n"
           "\n"
           "Options:\n"
           "  -o, --output FILE   write to FILE, in the format its extension names; FILE -\n"
           "                      is standard output (default: T<stamp>" +
           extension +
           " here, or no\n"
           "                      file at all with --info)\n"
           "  -n, --no-clobber    never replace an existing file\n"
           "  --format FORMAT     write FORMAT, whatever the file's name\n"
           "  --no-caption        leave the text out of the picture\n"
           "  --caption           print the text into the picture (the default; with\n"
           "                      --from, over a file drawn without it)\n"
           "  --info              print the picture's parameter line (after the text,\n"
           "                      with --from)\n"
           "  --json              with --info, one JSON object per picture: text,\n"
           "                      definition, width, height, caption, tip1, tip2, tip3,\n"
           "                      seed and file (null when none is written)\n"
           "  --from FILE.png     make the picture again from the recipe FILE.png carries:\n"
           "                      its text, size and caption, unless --size, --caption\n"
           "                      or --no-caption say otherwise (- reads the PNG from\n"
           "                      standard input)\n"
           "  --batch LISTFILE    render one picture per line of LISTFILE (UTF-8;\n"
           "                      - reads the list from standard input)\n"
           "  --out-dir DIR       where --batch writes 0001" +
           extension + ", 0002" + extension +
           ", ...\n"
           "  --size WxH          draw the picture W pixels wide and H high, each side\n"
           "                      16 to 16384 (default 600x450): the same composition,\n"
           "                      scaled to the height and centred across\n"
           "  --size NAME         a named size, in either case: " +
           sizeNames() +
           "\n"
           "  --list-sizes        list the named sizes with their pixels and exit\n"
           "  --dpi N             record N dots per inch in a PNG (default: 300 for the A4\n"
           "                      and A3 sizes, 3508x2480 and 4961x3508, 96 for others)\n"
           "  -j, --jobs N        use N cores (default: all); a batch draws N pictures\n"
           "                      side by side, with the same files and messages\n"
"  --skip-existing     with --batch, leave a line whose file is there and\n"
           "                      carries its text; it counts as present\n"
           "  --shard K/N         with --batch, only the lines L with (L - 1) mod N = K - 1\n"
           "                      (shard K of N); files keep their line numbers\n"
           "  -q, --quiet         no progress bar, no summary, no name of the file written\n"
           "  -h, --help          show this help and exit\n"
           "  -V, --version       show the version and exit\n"
           "\n"
           "Formats (--format FORMAT, or the extension of -o; the first is the default):\n" +
           formats +
           "\n"
           "Exit status: 0 done; 1 a failure while running (a refused text, a file that\n"
           "could not be read or written, a batch line skipped); 2 a bad command line.\n";
}

std::string sizeListing() {
    std::string listing;
    for (const PictureSize& size : pictureSizes()) {
        std::string line = size.name;
        line.resize(std::max<std::size_t>(line.size() + 1, 8), ' ');
        line += std::to_string(size.width) + "x" + std::to_string(size.height);
        line.resize(std::max<std::size_t>(line.size() + 1, 21), ' ');
        listing += line + size.purpose + '\n';
    }
    return listing;
}

}  // namespace ts
