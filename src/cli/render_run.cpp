#include "cli/render_run.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <memory>
#include <sstream>

#include "annotate/info_line.hpp"
#include "cli/batch_list.hpp"
#include "files/file_output.hpp"
#include "files/folder_lock.hpp"
#include "picture/picture.hpp"
#include "qt/qt_surfaces.hpp"
#include "seed/read_text_seed.hpp"

#ifndef TEXTSCAPE_VERSION
#define TEXTSCAPE_VERSION "0"
#endif

namespace ts {
namespace {

constexpr const char* kProgram = "textscape-render: ";

// A PNG file read for its recipe may be no larger; a picture of the
// program's size is well under 1 MiB.
constexpr std::size_t kMaxRecipeFileBytes = std::size_t{256} << 20;

PictureRecipe recipeOf(const Picture& picture) {
    return {picture.state.t, parameterLine(picture.state), renderVersion(), localCreationTime(picture.state.imeslike)};
}

ImageFormat formatFor(const RenderOptions& options, const std::filesystem::path& file) {
    if (options.format) return *options.format;
    return imageFormatOf(file).value_or(ImageFormat::Png);
}

std::string extensionOf(ImageFormat format) { return format == ImageFormat::Bmp ? ".bmp" : ".png"; }

std::vector<std::uint8_t> encode(const Picture& picture, ImageFormat format) {
    return encodeImage(picture.canvas, format, recipeOf(picture));
}

// A failure while running: one line on err, exit status 1.
int fail(std::ostream& err, const std::string& message) {
    err << kProgram << message << '\n';
    return 1;
}

std::string readFailure(const std::filesystem::path& file, const std::string& why) {
    return "Could not read " + file.string() + ": " + why;
}

// Reads a whole file of at most `limit` bytes into `bytes`.
Outcome readSmallFile(const std::filesystem::path& file, std::size_t limit, std::vector<std::uint8_t>& bytes) {
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec))
        return Outcome::failed(Failure::Refused, readFailure(file, "it is a folder"), file);
    std::ifstream in(file, std::ios::binary);
    if (!in) return Outcome::failed(Failure::Refused, readFailure(file, std::strerror(errno)), file);
    bytes.clear();
    constexpr std::size_t kPiece = std::size_t{64} << 10;
    while (in && bytes.size() <= limit) {
        const std::size_t had = bytes.size();
        bytes.resize(had + kPiece);
        in.read(reinterpret_cast<char*>(bytes.data() + had), static_cast<std::streamsize>(kPiece));
        bytes.resize(had + static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) return Outcome::failed(Failure::Refused, readFailure(file, "a read error"), file);
    if (bytes.size() > limit) {
        return Outcome::failed(Failure::Refused,
                               file.string() + ": larger than " + std::to_string(limit >> 20) + " MiB, not read", file);
    }
    return Outcome::ok(file);
}

// The text a single render uses: the argument, standard input or a PNG's
// recipe, checked the same way whichever it is.
struct TextSource {
    std::string text;
    PictureRecipe recipe;  // with --from: what the file carries
};

Outcome textFor(const RenderOptions& options, std::istream& in, TextSource& source) {
    if (options.textFromInput) return readTextInput(in, source.text);
    if (options.recipeFile.empty()) {
        source.text = options.text;
        return checkText(source.text);
    }
    const std::filesystem::path& file = options.recipeFile;
    std::vector<std::uint8_t> bytes;
    if (Outcome read = readSmallFile(file, kMaxRecipeFileBytes, bytes); !read) return read;
    if (Outcome found = readPngRecipe(bytes, source.recipe); !found)
        return Outcome::failed(Failure::Refused, file.string() + ": " + found.message, file);
    if (Outcome checked = checkText(source.recipe.text); !checked)
        return Outcome::failed(Failure::Refused, file.string() + ": its text is refused: " + checked.message, file);
    source.text = source.recipe.text;
    return Outcome::ok(file);
}

int renderOne(const RenderOptions& options, RenderStreams io, Clock& clock) {
    if (options.toStandardOutput() && io.outIsTerminal)
        return fail(io.err, "a picture is not written to a terminal: redirect standard output, or use -o FILE");

    TextSource source;
    if (Outcome got = textFor(options, io.in, source); !got) return fail(io.err, got.message);
    const Picture picture = MakeFreshPicture(source.text, makeCanvas(), clock, options.caption);
    const std::string parameters = parameterLine(picture.state);

    // The picture itself may take standard output; the line goes aside then.
    std::ostream& infoOut = options.toStandardOutput() ? io.err : io.out;
    const auto printInfo = [&] {
        if (!options.info) return;
        if (!options.recipeFile.empty()) infoOut << source.text << '\n';
        infoOut << parameters << '\n';
    };
    if (!source.recipe.parameters.empty() && source.recipe.parameters != parameters) {
        io.err << kProgram << "note: " << options.recipeFile.string() << " records the parameter line \""
               << source.recipe.parameters << "\"; this version gives \"" << parameters << "\"\n";
    }

    if (options.toStandardOutput()) {
        const std::vector<std::uint8_t> bytes = encode(picture, options.format.value_or(ImageFormat::Png));
        io.out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        printInfo();
        return 0;  // a failed write is reported by finishOutput
    }
    if (!options.output.empty()) {
        const Outcome written =
            writeFileAtomically(options.output, encode(picture, formatFor(options, options.output)));
        if (!written) return fail(io.err, written.message);
        printInfo();
        return 0;
    }
    if (options.info) {  // asked for the line alone: no file
        printInfo();
        return 0;
    }
    // The default name follows the window's: the picture's stamp, with a
    // number added rather than replacing a file that is already there.
    const ImageFormat format = options.format.value_or(ImageFormat::Png);
    const Outcome written =
        writeNumberedFile(".", picture.state.imeslike, extensionOf(format), encode(picture, format));
    if (!written) return fail(io.err, written.message);
    if (!options.quiet) io.out << written.file.filename().string() << '\n';
    return 0;
}

class ProgressBar {
public:
    ProgressBar(std::ostream& err, bool shown, std::size_t total) : err_(err), shown_(shown), total_(total) {}
    void show(std::size_t done) {
        if (!shown_ || total_ == 0) return;
        constexpr std::size_t kWidth = 30;
        const std::size_t filled = done * kWidth / total_;
        err_ << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, ' ') << "] " << done << '/' << total_
             << std::flush;
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
    std::size_t total_;
    bool drawn_ = false;
};

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
    if (list.readFailed) return fail(io.err, "Could not read " + listName + ": a read error");
    if (list.tooManyLines) {
        return fail(io.err, listName + " has more than " + std::to_string(kMaxBatchLines) +
                                " lines; split it into smaller lists");
    }

    if (Outcome made = ensureFolder(options.outDir); !made) return fail(io.err, made.message);
    // Two batches writing into one folder would mix their pictures.
    FolderLock lock;
    if (Outcome locked = lock.acquire(options.outDir); !locked) return fail(io.err, locked.message);

    const std::size_t total = list.lines.size();
    const int digits = std::max<int>(4, static_cast<int>(std::to_string(total).size()));
    const ImageFormat format = options.format.value_or(ImageFormat::Png);
    ProgressBar bar(io.err, io.errIsTerminal && !options.quiet, total);
    std::size_t written = 0, skipped = 0, failed = 0;
    for (std::size_t k = 0; k < total && failed == 0; ++k) {
        bar.show(k);
        const BatchLine& line = list.lines[k];
        const std::size_t number = k + 1;
        if (!line.checked) {
            bar.clear();
            io.err << kProgram << listName << ':' << number << ": " << line.checked.message << "; skipped\n";
            ++skipped;
            continue;
        }
        std::ostringstream name;
        name << std::setw(digits) << std::setfill('0') << number << extensionOf(format);
        const Picture picture = MakeFreshPicture(line.text, makeCanvas(), clock, options.caption);
        // A write that fails would fail alike for the lines after it (a full
        // disk, a folder that cannot be written): the batch stops there.
        if (Outcome done = writeFileAtomically(options.outDir / name.str(), encode(picture, format)); !done) {
            bar.clear();
            io.err << kProgram << done.message << '\n';
            ++failed;
            continue;
        }
        ++written;
        if (options.info) io.out << name.str() << ": " << parameterLine(picture.state) << '\n';
    }
    const std::size_t notTried = total - written - skipped - failed;
    if (notTried == 0) bar.show(total);
    bar.finish();
    if (!options.quiet) {
        io.err << kProgram << total << (total == 1 ? " line: " : " lines: ") << written << " written, " << skipped
               << " skipped, " << failed << " failed";
        if (notTried > 0) io.err << ", " << notTried << " not tried (the batch stops at a failed write)";
        io.err << '\n';
    }
    return skipped + failed > 0 ? 1 : 0;
}

}  // namespace

std::string renderVersion() { return std::string("textscape-render ") + TEXTSCAPE_VERSION; }

int finishOutput(std::ostream& out, std::ostream& err, int status) {
    errno = 0;
    out.flush();
    if (out) return status;
    const int error = errno;
    err << kProgram << "could not write to standard output" << (error != 0 ? ": " : "")
        << (error != 0 ? std::strerror(error) : "") << '\n';
    return 1;
}

int runRenderer(const RenderOptions& options, RenderStreams io, Clock& clock) {
    const int status = options.action == RenderOptions::Action::Batch ? renderBatch(options, io, clock)
                                                                      : renderOne(options, io, clock);
    return finishOutput(io.out, io.err, status);
}

}  // namespace ts
