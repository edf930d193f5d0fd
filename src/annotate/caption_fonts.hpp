#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "platform/outcome.hpp"

namespace ts {

// The only fonts a caption is drawn with, where Debian's packages put them,
// in the order they are tried: DejaVu Sans (fonts-dejavu-core) for the
// Latin, Greek, Cyrillic, Arabic and Hebrew scripts and many symbols;
// WenQuanYi Micro Hei (fonts-wqy-microhei) for Chinese, Japanese and
// Korean; Noto Color Emoji (fonts-noto-color-emoji), whose emoji are colour
// bitmaps; Lohit Devanagari (fonts-lohit-deva) for Hindi, Marathi, Nepali
// and Sanskrit; Loma (fonts-tlwg-loma-ttf) for Thai. The machine's other
// fonts are never looked at.
enum class CaptionFont : std::uint8_t { DejaVuSans, WenQuanYi, NotoColorEmoji, LohitDevanagari, Loma };
inline constexpr std::size_t kCaptionFontCount = 5;
inline constexpr const char* kCaptionFontPaths[kCaptionFontCount] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
    "/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf",
    "/usr/share/fonts/truetype/lohit-devanagari/Lohit-Devanagari.ttf",
    "/usr/share/fonts/truetype/tlwg/Loma.ttf",
};
// The Debian packages that bring them, for the message that asks for them.
inline constexpr const char* kCaptionFontPackages =
    "fonts-dejavu-core, fonts-wqy-microhei, fonts-noto-color-emoji, fonts-lohit-deva and fonts-tlwg-loma-ttf";

// Maps the font files into memory and checks that each opens as a
// font, once per process; every later call, from any thread, gives the
// first call's outcome. A file that is missing or is no font is a failure
// whose message names it and the packages to install; running out of
// descriptors or memory on the way is one that says so ("cannot load the
// caption fonts: Too many open files", "... out of memory"). Captions can be drawn
// only after this has succeeded (PrintCaption calls it, and stops the
// program when it fails: the programs call it first and report).
Outcome loadCaptionFonts();

// The check loadCaptionFonts makes of each file: FreeType and HarfBuzz both
// open it as a font with glyphs.
Outcome checkFontFile(const std::filesystem::path& file);

}  // namespace ts
