#include "annotate/caption_fonts.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <optional>
#include <string>

#include "annotate/font_faces.hpp"
#include "numeric/check.hpp"

namespace ts {
namespace {

std::string missingFont(const std::filesystem::path& file) {
    return "the font file " + file.string() +
           " cannot be loaded; install Debian's fonts-dejavu-core, fonts-wqy-microhei and fonts-noto-color-emoji";
}

struct Mapping {
    const unsigned char* bytes = nullptr;
    std::size_t size = 0;
};

// The whole file, mapped read-only: pages are read as the glyphs need them,
// so opening the large CJK and emoji files costs next to nothing.
std::optional<Mapping> mapFile(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    std::optional<Mapping> mapped;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        const auto size = static_cast<std::size_t>(info.st_size);
        void* bytes = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (bytes != MAP_FAILED) mapped = Mapping{static_cast<const unsigned char*>(bytes), size};
    }
    ::close(fd);
    return mapped;
}

void unmap(const Mapping& m) { ::munmap(const_cast<unsigned char*>(m.bytes), m.size); }

// Whether FreeType and HarfBuzz both read the bytes as a font with glyphs.
bool opensAsFont(const Mapping& m) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return false;
    FT_Face face = nullptr;
    bool ok = FT_New_Memory_Face(library, m.bytes, static_cast<FT_Long>(m.size), 0, &face) == 0 &&
              face->num_glyphs > 0 && (FT_IS_SCALABLE(face) || face->num_fixed_sizes > 0);
    if (face) FT_Done_Face(face);
    FT_Done_FreeType(library);
    if (!ok) return false;
    hb_blob_t* blob = hb_blob_create(reinterpret_cast<const char*>(m.bytes), static_cast<unsigned>(m.size),
                                     HB_MEMORY_MODE_READONLY, nullptr, nullptr);
    hb_face_t* hbFace = hb_face_create(blob, 0);
    ok = hb_face_get_glyph_count(hbFace) > 0 && hb_face_get_upem(hbFace) > 0;
    hb_face_destroy(hbFace);
    hb_blob_destroy(blob);
    return ok;
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
        const std::optional<Mapping> mapped = mapFile(path);
        if (!mapped || !opensAsFont(*mapped)) {
            if (mapped) unmap(*mapped);
            loaded.outcome = Outcome::failed(Failure::Unavailable, missingFont(path), path);
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
    const std::optional<Mapping> mapped = mapFile(file);
    const bool ok = mapped && opensAsFont(*mapped);
    if (mapped) unmap(*mapped);
    if (!ok) return Outcome::failed(Failure::Unavailable, missingFont(file), file);
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
    TS_CHECK(FT_Init_FreeType(&library_) == 0, "FreeType starts");
    TS_CHECK(FT_Stroker_New(library_, &stroker_) == 0, "FreeType makes a stroker");
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
        TS_CHECK(FT_New_Memory_Face(library_, f.bytes, static_cast<FT_Long>(f.size), 0, &face) == 0,
                 "a font file that opened at loading opens again");
        // A bitmap font has its sizes; the caption scales its one strike.
        if (!FT_IS_SCALABLE(face)) TS_CHECK(FT_Select_Size(face, 0) == 0, "a bitmap font has a size");
    }
    if (FT_IS_SCALABLE(face) && sizes_[k] != pixelsPerEm) {
        // At 72 dots per inch a point is a pixel.
        TS_CHECK(FT_Set_Char_Size(face, 0, pixelsPerEm, 72, 72) == 0, "a scalable font takes any size");
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
