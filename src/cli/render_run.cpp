#include "cli/render_run.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <memory>
#include <sstream>

#include "annotate/info_line.hpp"
#include "files/file_output.hpp"
#include "picture/picture.hpp"
#include "qt/qt_surfaces.hpp"
#include "seed/read_text_seed.hpp"

#ifndef TEXTSCAPE_VERSION
#define TEXTSCAPE_VERSION "0"
#endif

namespace ts {
namespace {

constexpr const char* kProgram = "textscape-render: ";

PictureRecipe recipeOf(const Picture& picture) {
    return {picture.state.t, parameterLine(picture.state), renderVersion()};
}

// Renders one text and writes it to `file`.
Outcome renderTo(const std::string& text, const RenderOptions& options, const std::filesystem::path& file, Clock& clock,
                 std::ostream* info, const std::string& infoPrefix) {
    const Picture picture = MakeFreshPicture(text, makeCanvas(), clock, options.caption);
    const auto format = imageFormatOf(file).value_or(ImageFormat::Png);
    Outcome written = writeFileAtomically(file, encodeImage(picture.canvas, format, recipeOf(picture)),
                                          options.noClobber ? Replace::Never : Replace::Allowed);
    if (written && info) *info << infoPrefix << parameterLine(picture.state) << '\n';
    return written;
}

std::string stripOneNewline(std::string text) {
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
        if (!text.empty() && text.back() == '\r') text.pop_back();
    }
    return text;
}

int renderOne(const RenderOptions& options, RenderStreams io, Clock& clock) {
    std::string text = options.text;
    if (options.textFromInput) {
        text = stripOneNewline(std::string(std::istreambuf_iterator<char>(io.in), {}));
        if (Outcome checked = checkText(text); !checked) {
            io.err << kProgram << checked.message << '\n';
            return 1;
        }
    }

    std::ostream* info = options.info ? &io.out : nullptr;
    if (!options.output.empty()) {
        if (Outcome written = renderTo(text, options, options.output, clock, info, ""); !written) {
            io.err << kProgram << written.message << '\n';
            return 1;
        }
        return 0;
    }

    // The default name follows the window's: the picture's stamp, with a
    // number added rather than replacing a file that is already there.
    const Picture picture = MakeFreshPicture(text, makeCanvas(), clock, options.caption);
    const Outcome written = writeNumberedFile(".", picture.state.imeslike, ".png",
                                              encodeImage(picture.canvas, ImageFormat::Png, recipeOf(picture)));
    if (!written) {
        io.err << kProgram << written.message << '\n';
        return 1;
    }
    if (info) io.out << parameterLine(picture.state) << '\n';
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
    std::ifstream list(options.batchList, std::ios::binary);
    if (!list) {
        io.err << kProgram << "Could not read " << options.batchList.string() << ": " << std::strerror(errno) << '\n';
        return 1;
    }
    std::vector<std::string> lines;
    for (std::string line; std::getline(list, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    if (Outcome made = ensureFolder(options.outDir); !made) {
        io.err << kProgram << made.message << '\n';
        return 1;
    }

    const int digits = std::max<int>(4, static_cast<int>(std::to_string(lines.size()).size()));
    ProgressBar bar(io.err, io.errIsTerminal, lines.size());
    bool anyFailed = false;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        bar.show(k);
        const std::size_t number = k + 1;
        std::ostringstream name;
        name << std::setw(digits) << std::setfill('0') << number << ".png";
        Outcome done = checkText(lines[k]);
        if (!done) {
            done.message =
                options.batchList.string() + ":" + std::to_string(number) + ": " + done.message + "; skipped";
        } else {
            std::ostringstream info;
            done = renderTo(lines[k], options, options.outDir / name.str(), clock, options.info ? &info : nullptr,
                            name.str() + ": ");
            io.out << info.str();
        }
        if (!done) {
            bar.clear();
            io.err << kProgram << done.message << '\n';
            anyFailed = true;
        }
    }
    bar.show(lines.size());
    bar.finish();
    return anyFailed ? 1 : 0;
}

}  // namespace

std::string renderVersion() { return std::string("textscape-render ") + TEXTSCAPE_VERSION; }

int runRenderer(const RenderOptions& options, RenderStreams io, Clock& clock) {
    if (options.action == RenderOptions::Action::Batch) return renderBatch(options, io, clock);
    return renderOne(options, io, clock);
}

}  // namespace ts
