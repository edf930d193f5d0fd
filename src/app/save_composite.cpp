#include "app/save_composite.hpp"

#include "numeric/statement.hpp"
#include "platform/bmp_writer.hpp"

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

std::filesystem::path candidate(const std::filesystem::path& folder, const std::string& name, int number) {
    return folder / numberedName(name, number, ".bmp");
}

// Enough suffixes for any number of pictures a person can make in one second.
constexpr int kMaxSuffix = 10000;

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
        form.line(static_cast<float>(i + 31), 540, static_cast<float>(i + 31), 547, white);
        form.line(static_cast<float>(i + 29), 540, static_cast<float>(i + 29), 547, black);
        if (columnDone) columnDone(i);
    }
    s.i = Number::int16(static_cast<std::int16_t>(i));
}

SaveOutcome SaveComposite(FormState& s, const Surface& canvas, RasterSurface& composite, Surface& form,
                          SaveHistory& history, const std::filesystem::path& folder, const ColumnDone& columnDone) {
    CopyToComposite(s, canvas, composite, form, columnDone);
    const std::vector<std::uint8_t> bytes = encodeBmp(composite.raster());

    const std::string& name = s.imeslike;
    if (name.empty() || name.find('/') != std::string::npos) {
        return {IoError::WriteFailed, folder / (name + ".bmp"), "The picture has no usable name: \"" + name + "\""};
    }
    const auto fail = [](const std::filesystem::path& file, const IoResult& result) {
        return SaveOutcome{result.error, file, result.message};
    };

    if (IoResult made = ensureFolder(folder); !made) {
        const std::filesystem::path file = candidate(folder, name, 1);
        return {made.error, file, "Could not save " + file.string() + ": " + made.message};
    }

    const SaveHistory::Picture picture{name, fingerprint(bytes)};
    if (const std::filesystem::path own = history.fileOf(picture); !own.empty()) {
        if (IoResult written = writeFileAtomically(own, bytes, Replace::Allowed); !written) return fail(own, written);
        return {IoError::None, own, {}};
    }

    for (int number = 1; number <= kMaxSuffix; ++number) {
        const std::filesystem::path file = candidate(folder, name, number);
        if (history.written(file)) continue;  // another picture's file
        const IoResult written = writeFileAtomically(file, bytes, Replace::Never);
        if (written.error == IoError::NameTaken) continue;  // left by someone else
        if (!written) return fail(file, written);
        history.remember(picture, file);
        return {IoError::None, file, {}};
    }
    return {IoError::NameTaken, candidate(folder, name, 1),
            "Could not write " + candidate(folder, name, 1).string() + ": every numbered name is taken"};
}

}  // namespace ts
