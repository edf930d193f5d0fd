#include "files/save_composite.hpp"

#include "files/bmp_writer.hpp"
#include "numeric/statement.hpp"
#include "state/layout.hpp"

namespace ts {
namespace {

std::uint64_t fingerprint(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t h = 0xCBF29CE484222325ull;  // FNV-1a
    for (const std::uint8_t b : bytes) {
        h ^= b;
        h *= 0x100000001B3ull;
    }
    return h;
}

}  // namespace

std::filesystem::path SaveHistory::fileOf(const Picture& picture) const {
    const auto found = files_.find(picture);
    return found == files_.end() ? std::filesystem::path() : found->second;
}

bool SaveHistory::written(const std::filesystem::path& file) const {
    for (const auto& [picture, path] : files_)
        if (path == file) return true;
    return false;
}

void SaveHistory::remember(const Picture& picture, const std::filesystem::path& file) { files_[picture] = file; }

void CopyToComposite(FormState& s, const Surface& canvas, Surface& composite, Surface& form,
                     const ColumnDone& columnDone) {
    const int lastColumn = loopEnd(s.sir);
    const int lastRow = loopEnd(s.vis);
    const Colour white = Colour::white();
    const Colour black = Colour::black();
    int i = 0;
    for (; i <= lastColumn; ++i) {
        s.i = Number::int16(static_cast<std::int16_t>(i));
        int j = 0;
        for (; j <= lastRow; ++j) {
            s.j = Number::int16(static_cast<std::int16_t>(j));
            const std::int32_t colour = canvas.pixel(static_cast<float>(i), static_cast<float>(j)).code();
            composite.setPixel(static_cast<float>(i), static_cast<float>(j), Colour::fromCode(colour));
        }
        s.j = Number::int16(static_cast<std::int16_t>(j));
        using namespace layout;
        form.line(static_cast<float>(i + kMarkLead), kMarkTop, static_cast<float>(i + kMarkLead), kMarkBottom, white);
        form.line(static_cast<float>(i + kMarkTrail), kMarkTop, static_cast<float>(i + kMarkTrail), kMarkBottom, black);
        if (columnDone) columnDone(i);
    }
    s.i = Number::int16(static_cast<std::int16_t>(i));
}

Outcome SaveComposite(FormState& s, const Surface& canvas, RasterSurface& composite, Surface& form,
                      SaveHistory& history, const std::filesystem::path& folder, const ColumnDone& columnDone) {
    CopyToComposite(s, canvas, composite, form, columnDone);
    const std::vector<std::uint8_t> bytes = encodeBmp(composite.raster());

    const std::string& name = s.imeslike;
    if (name.empty() || name.find('/') != std::string::npos) {
        return Outcome::failed(Failure::WriteFailed, "The picture has no usable name: \"" + name + "\"",
                               folder / (name + ".bmp"));
    }
    if (Outcome made = ensureFolder(folder); !made) {
        const std::filesystem::path file = folder / numberedName(name, 1, ".bmp");
        return Outcome::failed(made.failure, "Could not save " + file.string() + ": " + made.message, file);
    }

    const SaveHistory::Picture picture{name, fingerprint(bytes)};
    if (const std::filesystem::path own = history.fileOf(picture); !own.empty()) {
        return writeFileAtomically(own, bytes, Replace::Allowed);
    }
    // Another picture's file of this run is passed over, as is a file left
    // there by someone else.
    Outcome written = writeNumberedFile(
        folder, name, ".bmp", bytes, [&history](const std::filesystem::path& file) { return history.written(file); });
    if (written) history.remember(picture, written.file);
    return written;
}

}  // namespace ts
