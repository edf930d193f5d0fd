#include "app/render_run.hpp"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <memory>
#include <sstream>

#include "annotate/info_line.hpp"
#include "app/render_picture.hpp"
#include "platform/bmp_writer.hpp"
#include "platform/file_output.hpp"
#include "platform/png_text.hpp"
#include "platform/qt_surfaces.hpp"

#ifndef TEXTSCAPE_VERSION
#define TEXTSCAPE_VERSION "0"
#endif

namespace ts {
namespace {

constexpr const char* kProgram = "textscape-render: ";

PictureRecipe recipeOf(const RenderedPicture& picture) {
    return {picture.state.t, parameterLine(picture.state), renderVersion()};
}

// Renders one text and writes it; returns the message of a failure.
std::optional<std::string> renderTo(const std::string& text, const RenderOptions& options,
                                    const std::filesystem::path& file, Replace replace, Clock& clock,
                                    std::ostream* info, const std::string& infoPrefix) {
    const RenderedPicture picture = renderPicture(text, options.caption, makeCanvas(), clock);
    const auto format = imageFormatOf(file).value_or(ImageFormat::Png);
    const auto bytes = encodeImage(picture.canvas, format, recipeOf(picture));
    if (!bytes) return "Could not encode " + file.string();
    if (IoResult written = writeFileAtomically(file, *bytes, replace); !written) return written.message;
    if (info) *info << infoPrefix << parameterLine(picture.state) << '\n';
    return std::nullopt;
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
        if (auto problem = textProblem(text)) {
            io.err << kProgram << *problem << '\n';
            return 1;
        }
    }

    std::ostream* info = options.info ? &io.out : nullptr;
    if (!options.output.empty()) {
        if (auto failed = renderTo(text, options, options.output, Replace::Allowed, clock, info, "")) {
            io.err << kProgram << *failed << '\n';
            return 1;
        }
        return 0;
    }

    // The default name follows the window's: the picture's stamp, with a
    // number added rather than replacing a file that is already there.
    const RenderedPicture picture = renderPicture(text, options.caption, makeCanvas(), clock);
    const auto bytes = encodeImage(picture.canvas, ImageFormat::Png, recipeOf(picture));
    if (!bytes) {
        io.err << kProgram << "Could not encode the picture\n";
        return 1;
    }
    for (int number = 1; number < 10000; ++number) {
        const std::string name = numberedName(picture.state.imeslike, number, ".png");
        const IoResult written = writeFileAtomically(name, *bytes, Replace::Never);
        if (written.error == IoError::NameTaken) continue;
        if (!written) {
            io.err << kProgram << written.message << '\n';
            return 1;
        }
        if (info) io.out << parameterLine(picture.state) << '\n';
        return 0;
    }
    io.err << kProgram << "Could not write " << picture.state.imeslike << ".png: every numbered name is taken\n";
    return 1;
}

class ProgressBar {
public:
    ProgressBar(std::ostream& err, bool shown, std::size_t total) : err_(err), shown_(shown), total_(total) {}
    void show(std::size_t done) {
        if (!shown_ || total_ == 0) return;
        constexpr std::size_t kWidth = 30;
        const std::size_t filled = done * kWidth / total_;
        err_ << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, ' ') << "] " << done << '/'
             << total_ << std::flush;
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
    if (IoResult made = ensureFolder(options.outDir); !made) {
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
        std::optional<std::string> failed = textProblem(lines[k]);
        if (failed) {
            *failed = options.batchList.string() + ":" + std::to_string(number) + ": " + *failed + "; skipped";
        } else {
            std::ostringstream info;
            failed = renderTo(lines[k], options, options.outDir / name.str(), Replace::Allowed, clock,
                              options.info ? &info : nullptr, name.str() + ": ");
            io.out << info.str();
        }
        if (failed) {
            bar.clear();
            io.err << kProgram << *failed << '\n';
            anyFailed = true;
        }
    }
    bar.show(lines.size());
    bar.finish();
    return anyFailed ? 1 : 0;
}

}  // namespace

std::string renderVersion() { return std::string("textscape-render ") + TEXTSCAPE_VERSION; }

std::optional<std::vector<std::uint8_t>> encodeImage(const Raster& raster, ImageFormat format,
                                                     const PictureRecipe& recipe) {
    if (format == ImageFormat::Bmp) return encodeBmp(raster);

    const QImage image(reinterpret_cast<const uchar*>(raster.data()), raster.width(), raster.height(),
                       raster.width() * static_cast<qsizetype>(sizeof(std::uint32_t)), QImage::Format_RGB32);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image)) return std::nullopt;
    std::vector<std::uint8_t> png(bytes.begin(), bytes.end());
    // Written by hand: Qt's writer would fold the text's spaces.
    const bool added = addPngText(png, kSoftwareKey, recipe.software) &&
                       addPngText(png, kParametersKey, recipe.parameters) && addPngText(png, kTextKey, recipe.text);
    if (!added) return std::nullopt;
    return png;
}

int runRenderer(const RenderOptions& options, RenderStreams io, Clock& clock) {
    if (options.action == RenderOptions::Action::Batch) return renderBatch(options, io, clock);
    return renderOne(options, io, clock);
}

}  // namespace ts
