#include "cli/render_run.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <memory>
#include <mutex>
#include <sstream>
#include <system_error>
#include <string>
#include <string_view>
#include <thread>

#include "annotate/caption_fonts.hpp"
#include "annotate/info_line.hpp"
#include "cli/batch_list.hpp"
#include "files/file_input.hpp"
#include "files/file_output.hpp"
#include "files/folder_lock.hpp"
#include "files/recipe_file.hpp"
#include "picture/picture.hpp"
#include "platform/ordered_work.hpp"
#include "platform/terminal_text.hpp"
#include "platform/version.hpp"
#include "seed/read_text_seed.hpp"

namespace ts {
namespace {

constexpr const char* kProgram = "textscape-render: ";

PictureRecipe recipeOf(const Picture& picture, bool caption, int dpi) {
    return {picture.state.t,          parameterLine(picture.state), renderVersion(), creationTimeOf(picture.state),
            picture.state.definition, picture.canvas.width(),       picture.canvas.height(), caption, dpi};
}

ImageFormat formatFor(const RenderOptions& options, const std::filesystem::path& file) {
    if (options.format) return *options.format;
    return imageFormatOf(file).value_or(defaultImageFormat());
}

// The text as a JSON string: quotes, backslashes and control characters
// escaped, anything else (UTF-8 included) as it is.
std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (u < 0x20 || u == 0x7F) {
            constexpr const char* kHex = "0123456789abcdef";
            out += "\\u00";
            out += kHex[u >> 4];
            out += kHex[u & 0xF];
        } else {
            out += c;
        }
    }
    return out + '"';
}

// One picture of width x height as a JSON object on one line. The numbers
// come from the parameter line ("tip1=7  tip2=2  tip3=3  seed=4133079").
std::string jsonInfo(const FormState& state, int width, int height, bool caption, const std::string& file) {
    std::string out = "{\"text\":" + jsonString(state.t) + ",\"definition\":" + std::to_string(state.definition) +
                      ",\"width\":" + std::to_string(width) + ",\"height\":" + std::to_string(height) +
                      ",\"caption\":" + (caption ? "true" : "false");
    std::istringstream fields(parameterLine(state));
    for (std::string field; fields >> field;) {
        const std::size_t eq = field.find('=');
        if (eq == std::string::npos) continue;
        // Appended piece by piece: GCC 12 warns wrongly of overlap on "," + string.
        out += ',';
        out += jsonString(field.substr(0, eq));
        out += ':';
        out += field.substr(eq + 1);
    }
    return out + ",\"file\":" + (file.empty() ? std::string("null") : jsonString(file)) + "}";
}

// --info without a file to write: the line needs the seed, the palette and
// the parameters, and no picture is drawn.
bool infoAlone(const RenderOptions& options) {
    return options.action == RenderOptions::Action::Render && options.info && options.output.empty();
}

// -n: a file that is there stays.
Replace replaceFor(const RenderOptions& options) { return options.noClobber ? Replace::Never : Replace::Allowed; }

// The extension new files of the format get: "T<stamp>.png", "0001.bmp".
std::string extensionOf(ImageFormat format) { return std::string(imageFormatInfo(format).extensions.front()); }

// The picture's file in the format, into `bytes`; a format that cannot hold
// the picture says why.
Outcome encode(const Picture& picture, ImageFormat format, bool caption, int dpi, std::vector<std::uint8_t>& bytes) {
    return encodeImage(picture.canvas, format, recipeOf(picture, caption, dpi), bytes);
}

// A failure while running: one line on err, exit status 1. The message may
// quote a file's name or contents, so it is escaped for the terminal.
int fail(std::ostream& err, const std::string& message) {
    err << kProgram << terminalText(message) << '\n';
    return 1;
}

// The status of a run that could not write standard output and has said
// so: runRenderer makes it 1 without saying it again.
constexpr int kOutputFailed = -1;

// Reports that standard output could not be written, for the reason
// `error` (an errno; 0 when none is known).
int outputFailed(std::ostream& err, int error) {
    err << kProgram << "could not write to standard output" << (error != 0 ? ": " : "")
        << (error != 0 ? std::strerror(error) : "") << '\n';
    return kOutputFailed;
}

std::string readFailure(const std::filesystem::path& file, const std::string& why) {
    return "Could not read " + file.string() + ": " + why;
}

// --from -: a PNG on standard input, read as a file is (readPngStream),
// through the stream's buffer so that a failed read says why.
RecipeRead readRecipeInput(std::istream& in) {
    const std::filesystem::path name = "standard input";
    std::streambuf* buffer = in.rdbuf();
    const ReadSome readSome = [&in, buffer](std::uint8_t* into, std::size_t count) -> std::ptrdiff_t {
        if (!in || buffer == nullptr) {
            errno = EIO;
            return -1;
        }
        try {
            return static_cast<std::ptrdiff_t>(
                buffer->sgetn(reinterpret_cast<char*>(into), static_cast<std::streamsize>(count)));
        } catch (const std::system_error& e) {
            errno = e.code().value();
        } catch (...) {
            errno = EIO;
        }
        in.setstate(std::ios::badbit);
        return -1;
    };
    std::vector<std::uint8_t> bytes;
    if (Outcome got = readPngStream(name, readSome, kMaxPictureFileBytes, bytes); !got) {
        RecipeRead read;
        read.problem = RecipeRead::Problem::Unreadable;
        read.message = std::move(got.message);
        return read;
    }
    return readRecipe(name, std::move(bytes));
}

// The text a single render uses: the argument, standard input or a PNG's
// recipe, checked the same way whichever it is.
struct TextSource {
    std::string text;
    PictureRecipe recipe;  // with --from: what the file carries; otherwise empty, of the newest definition
};

Outcome textFor(const RenderOptions& options, std::istream& in, TextSource& source) {
    if (options.textFromInput) return readTextInput(in, source.text);
    if (options.recipeFile.empty()) {
        source.text = options.text;
        return checkText(source.text);
    }
    const std::filesystem::path& file = options.recipeFile;
    RecipeRead read = file == "-" ? readRecipeInput(in) : readRecipeFile(file);
    if (!read) return Outcome::failed(Failure::Refused, read.message, file);
    source.recipe = std::move(read.recipe);
    source.text = source.recipe.text;
    return Outcome::ok(file);
}

// The cores a run uses: -j N, or every one.
int coresFor(const RenderOptions& options) {
    if (options.jobs > 0) return options.jobs;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

// One clock for pictures drawn side by side: each reading is whole.
class SharedClock final : public Clock {
public:
    explicit SharedClock(Clock& clock) : clock_(clock) {}
    float secondsSinceMidnight() override {
        std::lock_guard lock(mutex_);
        return clock_.secondsSinceMidnight();
    }
    std::string date() override {
        std::lock_guard lock(mutex_);
        return clock_.date();
    }
    std::string time() override {
        std::lock_guard lock(mutex_);
        return clock_.time();
    }
    ClockReading read() override {
        std::lock_guard lock(mutex_);
        return clock_.read();
    }

private:
    Clock& clock_;
    std::mutex mutex_;
};

// A bar on standard error: "[#####     ] 12/40" for a batch's pictures, or
// "[#####     ] 41%" for one picture's sweep.
class ProgressBar {
public:
    enum class Count { Items, Percent };
    ProgressBar(std::ostream& err, bool shown, std::int64_t total, Count count = Count::Items)
        : err_(err), shown_(shown), total_(total), count_(count) {}
    void show(std::int64_t done) {
        if (!shown_ || total_ <= 0) return;
        constexpr std::int64_t kWidth = 30;
        const auto filled = static_cast<std::size_t>(done * kWidth / total_);
        err_ << "\r[" << std::string(filled, '#') << std::string(static_cast<std::size_t>(kWidth) - filled, ' ')
             << "] ";
        if (count_ == Count::Items) {
            err_ << done << '/' << total_;
        } else {
            err_ << done * 100 / total_ << '%';
        }
        err_ << std::flush;
        drawn_ = true;
    }
    // Clears the bar so that a message gets a line of its own.
    void clear() {
        if (drawn_) err_ << "\r\033[K";
        drawn_ = false;
    }
    void finish() {
        if (drawn_) err_ << '\n';
        drawn_ = false;
    }

private:
    std::ostream& err_;
    bool shown_;
    std::int64_t total_;
    Count count_;
    bool drawn_ = false;
};

int renderOne(const RenderOptions& options, RenderStreams io, Clock& clock) {
    if (options.toStandardOutput() && io.outIsTerminal)
        return fail(io.err, "a picture is not written to a terminal: redirect standard output, or use -o FILE");

    TextSource source;
    if (Outcome got = textFor(options, io.in, source); !got) return fail(io.err, got.message);

    // A render that takes a while shows how far it is, on a terminal only.
    std::optional<ProgressBar> bar;
    SweepOptions sweep{coresFor(options), 0, {}};
    if (io.errIsTerminal && !options.quiet) {
        const auto start = std::chrono::steady_clock::now();
        sweep.progress = [&bar, &io, start, delay = io.progressDelaySeconds](std::int64_t done, std::int64_t total) {
            if (!bar) {
                if (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < delay) return;
                bar.emplace(io.err, true, total, ProgressBar::Count::Percent);
            }
            bar->show(done);
        };
    }
    // A file's picture is drawn with its own definition, size and caption
    // (unless the command line says otherwise); any other text with the newest.
    int width = options.width, height = options.height;
    if (!options.sizeGiven && source.recipe.width > 0) {
        width = source.recipe.width;
        height = source.recipe.height;
    }
    const bool caption = options.captionGiven ? options.caption : source.recipe.caption.value_or(options.caption);
    std::optional<Picture> drawn;
    FormState prepared;
    if (infoAlone(options)) {
        prepared = PrepareFreshPicture(source.text, clock, source.recipe.definition);
    } else {
        // -n: a file that is there is refused before its picture is drawn.
        if (options.noClobber && !options.output.empty() && !options.toStandardOutput()) {
            if (Outcome vacant = checkNameFree(options.output); !vacant) return fail(io.err, vacant.message);
        }
        if (caption && !options.caption) {  // fonts not loaded yet: the file asks for a caption
            if (const Outcome fonts = loadCaptionFonts(); !fonts) return fail(io.err, fonts.message);
        }
        drawn =
            MakeFreshPicture(source.text, makeCanvas(width, height), clock, caption, sweep, source.recipe.definition);
    }
    if (bar) bar->finish();
    const FormState& state = drawn ? drawn->state : prepared;
    const std::string parameters = parameterLine(state);

    // The picture itself may take standard output; the line goes aside then.
    std::ostream& infoOut = options.toStandardOutput() ? io.err : io.out;
    const auto printInfo = [&] {
        if (!options.info) return;
        if (options.json) {
            const std::string file =
                options.toStandardOutput() || options.output.empty() ? std::string() : options.output.string();
            infoOut << jsonInfo(state, width, height, caption, file) << '\n';
            return;
        }
        // A file's text is the file's: it reaches the terminal escaped.
        if (!options.recipeFile.empty()) infoOut << terminalText(state.t) << '\n';
        infoOut << parameters << '\n';
    };
    if (!source.recipe.parameters.empty() && source.recipe.parameters != parameters) {
        io.err << kProgram << "note: " << terminalText(options.recipeFile.string()) << " records the parameter line \""
               << terminalText(source.recipe.parameters) << "\"; this version gives \"" << parameters << "\"\n";
    }

    if (!drawn) {  // asked for the line alone: no file
        printInfo();
        return 0;
    }
    const Picture& picture = *drawn;
    std::vector<std::uint8_t> bytes;
    if (options.toStandardOutput()) {
        if (Outcome encoded =
                encode(picture, options.format.value_or(defaultImageFormat()), caption, options.dpi, bytes);
            !encoded)
            return fail(io.err, encoded.message);
        // Flushed at once, while errno still says why a write failed (a
        // full disk, a closed pipe).
        errno = 0;
        io.out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        io.out.flush();
        if (!io.out) return outputFailed(io.err, errno);
        printInfo();
        return 0;
    }
    if (!options.output.empty()) {
        if (Outcome encoded = encode(picture, formatFor(options, options.output), caption, options.dpi, bytes);
            !encoded)
            return fail(io.err, encoded.message);
        const Outcome written = writeFileAtomically(options.output, bytes, replaceFor(options));
        if (!written) return fail(io.err, written.message);
        printInfo();
        return 0;
    }
    // The default name follows the window's: the picture's stamp, with a
    // number added rather than replacing a file that is already there.
    const ImageFormat format = options.format.value_or(defaultImageFormat());
    if (Outcome encoded = encode(picture, format, caption, options.dpi, bytes); !encoded)
        return fail(io.err, encoded.message);
    const Outcome written = writeNumberedFile(".", picture.state.imeslike, extensionOf(format), bytes);
    if (!written) return fail(io.err, written.message);
    if (!options.quiet) io.out << written.file.filename().string() << '\n';
    return 0;
}

int renderBatch(const RenderOptions& options, RenderStreams io, Clock& clock) {
    const bool fromInput = options.batchList == "-";
    const std::string listName = fromInput ? std::string("standard input") : options.batchList.string();
    BatchList list;
    if (fromInput) {
        list = readBatchList(io.in);
    } else {
        std::error_code ec;
        if (std::filesystem::is_directory(options.batchList, ec))
            return fail(io.err, readFailure(options.batchList, "it is a folder"));
        std::ifstream file(options.batchList, std::ios::binary);
        if (!file) return fail(io.err, readFailure(options.batchList, std::strerror(errno)));
        list = readBatchList(file);
    }
    if (list.readFailed) return fail(io.err, "Could not read " + listName + ": " + list.readError);
    if (list.tooManyLines) {
        return fail(io.err, listName + " has more than " + std::to_string(kMaxBatchLines) +
                                " lines; split it into smaller lists");
    }

    if (Outcome made = ensureFolder(options.outDir); !made) return fail(io.err, made.message);
    // Two batches writing into one folder would mix their pictures.
    FolderLock lock;
    if (Outcome locked = lock.acquire(options.outDir); !locked) return fail(io.err, locked.message);

    // The lines this run renders: all of them, or its shard's.
    std::vector<std::size_t> chosen;
    for (std::size_t k = 0; k < list.lines.size(); ++k)
        if (k % static_cast<std::size_t>(options.shards) == static_cast<std::size_t>(options.shard - 1))
            chosen.push_back(k);
    const std::size_t total = chosen.size();
    // Names have as many digits as the whole list's last number needs.
    const int digits = std::max<int>(4, static_cast<int>(std::to_string(list.lines.size()).size()));
    const ImageFormat format = options.format.value_or(defaultImageFormat());
    ProgressBar bar(io.err, io.errIsTerminal && !options.quiet, static_cast<std::int64_t>(total));
    std::size_t written = 0, skipped = 0, failed = 0;

    // Pictures are drawn and encoded side by side, each on one core (or on
    // several when there are fewer pictures than cores); they are written,
    // reported and counted here, in line order.
    const int cores = coresFor(options);
    const int workers =
        static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(cores), std::max<std::size_t>(total, 1)));
    const SweepOptions sweep{std::max(1, cores / workers), 0, {}};
    SharedClock sharedClock(clock);
    struct Drawn {
        std::vector<std::uint8_t> bytes;  // empty for a line that is skipped
        std::string parameters;
        Outcome encoded;  // a picture the format cannot hold
        std::string json;  // --info --json: the picture's object, without its file
        bool present = false;  // --skip-existing: the file is there with this line's text
        Outcome taken = Outcome::ok();  // -n: the file is there, so the line is not drawn
        bool takenByLine = false;       // and carries this line's text: index.tsv still lists it
    };
    const auto nameOf = [&](std::size_t number) {
        std::ostringstream name;
        name << std::setw(digits) << std::setfill('0') << number << extensionOf(format);
        return name.str();
    };
    // index.tsv: line, file and text of each picture in the folder.
    std::string index = "line\tfile\ttext\n";
    const auto listInIndex = [&index](std::size_t number, const std::string& file, const std::string& text) {
        index += std::to_string(number) + '\t' + file + '\t' + batchIndexField(text) + '\n';
    };
    std::size_t present = 0;
    bar.show(0);
    runInOrder(
        total, workers,
        [&](std::size_t k) {
            const BatchLine& line = list.lines[chosen[k]];
            if (!line.checked) return Drawn{};
            // The file there is this line's picture as this run would draw
            // it: its text, the newest definition, the run's size and caption.
            const auto carriesLine = [&] {
                const RecipeRead there = readRecipeFile(options.outDir / nameOf(chosen[k] + 1));
                return there && there.recipe.text == line.text && there.recipe.definition == kLatestPictureDefinition &&
                       there.recipe.width == options.width && there.recipe.height == options.height &&
                       there.recipe.caption == options.caption;
            };
            if (options.skipExisting && carriesLine()) {
                Drawn skip;
                skip.present = true;
                return skip;
            }
            if (options.noClobber) {
                if (Outcome vacant = checkNameFree(lock, nameOf(chosen[k] + 1)); !vacant) {
                    Drawn refused;
                    refused.taken = std::move(vacant);
                    refused.takenByLine = carriesLine();
                    return refused;
                }
            }
            const Picture picture = MakeFreshPicture(line.text, makeCanvas(options.width, options.height), sharedClock,
                                                     options.caption, sweep);
            Drawn drawn;
            drawn.encoded = encode(picture, format, options.caption, options.dpi, drawn.bytes);
            drawn.parameters = parameterLine(picture.state);
            if (options.json)
                drawn.json =
                    jsonInfo(picture.state, picture.canvas.width(), picture.canvas.height(), options.caption, "");
            return drawn;
        },
        [&](std::size_t k, Drawn&& drawn) {
            const BatchLine& line = list.lines[chosen[k]];
            const std::size_t number = chosen[k] + 1;
            if (!line.checked) {
                bar.clear();
                io.err << kProgram << terminalText(listName) << ':' << number << ": "
                       << terminalText(line.checked.message) << "; skipped\n";
                ++skipped;
                bar.show(static_cast<std::int64_t>(k + 1));
                return true;
            }
            // The pictures are all of one size, so the lines after one the
            // format cannot hold would fail alike: the batch stops.
            if (!drawn.encoded) {
                bar.clear();
                io.err << kProgram << terminalText(listName) << ':' << number << ": " << drawn.encoded.message << '\n';
                ++failed;
                return false;
            }
            std::ostringstream name;
            name << nameOf(number);
            if (drawn.present) {
                ++present;
                listInIndex(number, name.str(), line.text);
                bar.show(static_cast<std::int64_t>(k + 1));
                return true;
            }
            // A write that fails would fail alike for the lines after it (a
            // full disk, a folder that cannot be written): the batch stops.
            // Every picture goes into the folder the lock holds, even if it
            // is moved away meanwhile.
            // With -n a file that is there stays, found before drawing or
            // (when made meanwhile) by the write, and the batch goes on.
            Outcome done =
                drawn.taken ? writeFileAtomically(lock, name.str(), drawn.bytes, replaceFor(options)) : drawn.taken;
            if (!done && done.failure == Failure::NameTaken) {
                if (drawn.takenByLine) listInIndex(number, name.str(), line.text);
                bar.clear();
                io.err << kProgram << terminalText(listName) << ':' << number << ": " << terminalText(done.message)
                       << "; skipped\n";
                ++skipped;
                bar.show(static_cast<std::int64_t>(k + 1));
                return true;
            }
            if (!done) {
                bar.clear();
                io.err << kProgram << terminalText(done.message) << '\n';
                ++failed;
                return false;
            }
            ++written;
            listInIndex(number, name.str(), line.text);
            if (options.info && options.json) {
                io.out << drawn.json.substr(0, drawn.json.size() - std::string_view(",\"file\":null}").size())
                       << ",\"file\":" << jsonString(name.str()) << "}\n";
            } else if (options.info) {
                io.out << name.str() << ": " << drawn.parameters << '\n';
            }
            bar.show(static_cast<std::int64_t>(k + 1));
            return true;
        });
    const std::size_t notTried = total - written - present - skipped - failed;
    bar.finish();
    // Written whole at the end, through the locked folder, so that a reader
    // never finds half of it. A batch that stopped did not try every line:
    // it leaves no index, rather than one an earlier run wrote that may no
    // longer tell the truth.
    const std::string_view indexText(index);
    if (failed > 0) {
        removeIfThere(lock, kBatchIndexName);
    } else if (Outcome indexed = writeFileAtomically(
            lock, kBatchIndexName,
            std::span(reinterpret_cast<const std::uint8_t*>(indexText.data()), indexText.size()), Replace::Allowed);
        !indexed) {
        io.err << kProgram << indexed.message << '\n';
        ++failed;
    }
    if (!options.quiet) {
        io.err << kProgram << total << (total == 1 ? " line: " : " lines: ") << written << " written, ";
        if (options.skipExisting) io.err << present << " present, ";
        io.err << skipped << " skipped, " << failed << " failed";
        if (notTried > 0) io.err << ", " << notTried << " not tried (the batch stops at a failed write)";
        io.err << '\n';
    }
    return skipped + failed > 0 ? 1 : 0;
}

}  // namespace

std::string renderVersion() { return "textscape-render " + std::string(textscapeVersion()); }

std::string batchIndexField(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\\') {
            out += "\\\\";
        } else {
            out += c;
        }
    }
    return out;
}

int finishOutput(std::ostream& out, std::ostream& err, int status) {
    errno = 0;
    out.flush();
    if (out) return status;
    outputFailed(err, errno);
    return 1;
}

int runRenderer(const RenderOptions& options, RenderStreams io, Clock& clock) {
    // Without its fonts no caption can be drawn: one line, before any picture.
    if (options.caption && !infoAlone(options)) {
        if (const Outcome fonts = loadCaptionFonts(); !fonts)
            return finishOutput(io.out, io.err, fail(io.err, fonts.message));
    }
    // A picture is named after the clock's moment: a year the name cannot
    // hold is refused before anything is drawn.
    if (const std::string date = clock.date(); !dateFitsNames(date)) {
        return finishOutput(io.out, io.err,
                            fail(io.err, "the clock reads the date " + date +
                                             ", outside the years 1000 to 9999 that a picture's name can hold; "
                                             "set the clock or SOURCE_DATE_EPOCH"));
    }
    const int status = options.action == RenderOptions::Action::Batch ? renderBatch(options, io, clock)
                                                                      : renderOne(options, io, clock);
    if (status == kOutputFailed) return 1;
    return finishOutput(io.out, io.err, status);
}

}  // namespace ts
