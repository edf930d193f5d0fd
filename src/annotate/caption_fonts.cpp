#include "annotate/caption_fonts.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <new>
#include <optional>
#include <string>

#include "annotate/font_faces.hpp"
#include "numeric/check.hpp"

namespace ts {
namespace {

std::string missingFont(const std::filesystem::path& file) {
    return "the font file " + file.string() + " cannot be loaded; install Debian's " + kCaptionFontPackages;
}

// Errors that say the machine is short of something (descriptors, memory),
// not that a font is missing or broken: the user is told that instead.
bool isShortage(int error) {
    return error == EMFILE || error == ENFILE || error == ENOMEM || error == EAGAIN || error == ENOBUFS;
}

std::string shortageMessage(int error) {
    return std::string("cannot load the caption fonts: ") + (error == ENOMEM ? "out of memory" : std::strerror(error));
}

struct Mapping {
    const unsigned char* bytes = nullptr;
    std::size_t size = 0;
};

// The whole file, mapped read-only: pages are read as the glyphs need them,
// so opening the large CJK and emoji files costs next to nothing. When it
// cannot be mapped, `error` says why (0: not a regular file, or empty).
std::optional<Mapping> mapFile(const std::filesystem::path& file, int& error) {
    error = 0;
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return std::nullopt;
    }
    struct stat info {};
    std::optional<Mapping> mapped;
    if (::fstat(fd, &info) != 0) {
        error = errno;
    } else if (S_ISREG(info.st_mode) && info.st_size > 0) {
        const auto size = static_cast<std::size_t>(info.st_size);
        void* bytes = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (bytes != MAP_FAILED) {
            mapped = Mapping{static_cast<const unsigned char*>(bytes), size};
        } else {
            error = errno;
        }
    }
    ::close(fd);
    return mapped;
}

void unmap(const Mapping& m) { ::munmap(const_cast<unsigned char*>(m.bytes), m.size); }

// Whether FreeType and HarfBuzz both read the bytes as a font with glyphs;
// `error` is ENOMEM when FreeType ran out of memory finding out.
bool opensAsFont(const Mapping& m, int& error) {
    error = 0;
    FT_Library library = nullptr;
    if (const FT_Error started = FT_Init_FreeType(&library); started != 0) {
        if (started == FT_Err_Out_Of_Memory) error = ENOMEM;
        return false;
    }
    FT_Face face = nullptr;
    const FT_Error opened = FT_New_Memory_Face(library, m.bytes, static_cast<FT_Long>(m.size), 0, &face);
    if (opened == FT_Err_Out_Of_Memory) error = ENOMEM;
    bool ok = opened == 0 && face->num_glyphs > 0 && (FT_IS_SCALABLE(face) || face->num_fixed_sizes > 0);
    if (face) FT_Done_Face(face);
    FT_Done_FreeType(library);
    if (!ok) return false;
    hb_blob_t* blob = hb_blob_create(reinterpret_cast<const char*>(m.bytes), static_cast<unsigned>(m.size),
                                     HB_MEMORY_MODE_READONLY, nullptr, nullptr);
    hb_face_t* hbFace = hb_face_create(blob, 0);
    ok = hb_face_get_glyph_count(hbFace) > 0 && hb_face_get_upem(hbFace) > 0;
    // HarfBuzz gives its empty blob when it cannot allocate one.
    if (!ok && hb_blob_get_length(blob) == 0) error = ENOMEM;
    hb_face_destroy(hbFace);
    hb_blob_destroy(blob);
    return ok;
}

// Why `file` could not be loaded: the machine's shortage when that is what
// stopped it, otherwise the file and the packages that bring it.
Outcome fontFailure(const std::filesystem::path& file, int error) {
    if (isShortage(error)) return Outcome::failed(Failure::Unavailable, shortageMessage(error), file);
    return Outcome::failed(Failure::Unavailable, missingFont(file), file);
}

// Loading a font again on a thread of its own: what was checked at
// loading can fail now only for want of memory, and that is no
// programming error.
void checkFreeType(FT_Error error, const char* what) {
    if (error == FT_Err_Out_Of_Memory) throw std::bad_alloc();
    TS_CHECK(error == 0, what);
}

struct LoadedFonts {
    Outcome outcome = Outcome::ok();
    std::array<fonts::FontFile, kCaptionFontCount> files{};
    fonts::LineMetrics metrics{};
};

LoadedFonts load() {
    LoadedFonts loaded;
    for (std::size_t k = 0; k < kCaptionFontCount; ++k) {
        const std::filesystem::path path = kCaptionFontPaths[k];
        int error = 0;
        const std::optional<Mapping> mapped = mapFile(path, error);
        if (!mapped || !opensAsFont(*mapped, error)) {
            if (mapped) unmap(*mapped);
            loaded.outcome = fontFailure(path, error);
            return loaded;
        }
        // Kept for the whole run: every thread's faces read from these bytes.
        hb_blob_t* blob =
            hb_blob_create(reinterpret_cast<const char*>(mapped->bytes), static_cast<unsigned>(mapped->size),
                           HB_MEMORY_MODE_READONLY, nullptr, nullptr);
        hb_face_t* face = hb_face_create(blob, 0);
        hb_blob_destroy(blob);
        hb_font_t* shaper = hb_font_create(face);
        hb_font_make_immutable(shaper);
        loaded.files[k] = {mapped->bytes, mapped->size, shaper, static_cast<double>(hb_face_get_upem(face))};
        hb_face_destroy(face);
    }
    const fonts::FontFile& dejaVu = loaded.files[0];
    hb_font_extents_t extents{};
    hb_font_get_h_extents(dejaVu.shaper, &extents);
    loaded.metrics.ascent = extents.ascender / dejaVu.unitsPerEm;
    loaded.metrics.spacing = (extents.ascender - extents.descender + extents.line_gap) / dejaVu.unitsPerEm;
    return loaded;
}

// Loaded on first use, by whichever thread comes first; the others wait.
const LoadedFonts& loadedFonts() {
    static const LoadedFonts fonts = load();
    return fonts;
}

}  // namespace

Outcome loadCaptionFonts() { return loadedFonts().outcome; }

Outcome checkFontFile(const std::filesystem::path& file) {
    int error = 0;
    const std::optional<Mapping> mapped = mapFile(file, error);
    const bool ok = mapped && opensAsFont(*mapped, error);
    if (mapped) unmap(*mapped);
    if (!ok) return fontFailure(file, error);
    return Outcome::ok(file);
}

namespace fonts {

const FontFile& file(CaptionFont font) {
    const LoadedFonts& loaded = loadedFonts();
    TS_CHECK(loaded.outcome, "the caption fonts are loaded before a caption is drawn");
    return loaded.files[static_cast<std::size_t>(font)];
}

const LineMetrics& lineMetrics() {
    TS_CHECK(loadedFonts().outcome, "the caption fonts are loaded before a caption is measured");
    return loadedFonts().metrics;
}

ThreadFaces::ThreadFaces() {
    checkFreeType(FT_Init_FreeType(&library_), "FreeType starts");
    if (const FT_Error made = FT_Stroker_New(library_, &stroker_); made != 0) {
        FT_Done_FreeType(library_);
        checkFreeType(made, "FreeType makes a stroker");
    }
}

ThreadFaces::~ThreadFaces() {
    for (FT_Face face : faces_)
        if (face) FT_Done_Face(face);
    FT_Stroker_Done(stroker_);
    FT_Done_FreeType(library_);
}

FT_Face ThreadFaces::face(CaptionFont font, FT_F26Dot6 pixelsPerEm) {
    const auto k = static_cast<std::size_t>(font);
    FT_Face& face = faces_[k];
    if (!face) {
        const FontFile& f = file(font);
        checkFreeType(FT_New_Memory_Face(library_, f.bytes, static_cast<FT_Long>(f.size), 0, &face),
                      "a font file that opened at loading opens again");
        // A bitmap font has its sizes; the caption scales its one strike.
        if (!FT_IS_SCALABLE(face)) checkFreeType(FT_Select_Size(face, 0), "a bitmap font has a size");
    }
    if (FT_IS_SCALABLE(face) && sizes_[k] != pixelsPerEm) {
        // At 72 dots per inch a point is a pixel.
        checkFreeType(FT_Set_Char_Size(face, 0, pixelsPerEm, 72, 72), "a scalable font takes any size");
        sizes_[k] = pixelsPerEm;
    }
    return face;
}

ThreadFaces& threadFaces() {
    thread_local ThreadFaces faces;
    return faces;
}

}  // namespace fonts
}  // namespace ts
