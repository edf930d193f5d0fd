// Any text drawn as a caption, twice, the second time on a thread of its
// own (fresh FreeType faces): the two rasters are the same, and nothing is
// drawn outside the raster.
#include <cstdint>
#include <string_view>
#include <thread>

#include "annotate/caption_fonts.hpp"
#include "annotate/caption_text.hpp"
#include "fail.hpp"
#include "platform/raster.hpp"
#include "seed/character_code.hpp"

namespace {

constexpr int kWidth = 320, kHeight = 80;
const ts::Colour kBackground = ts::Colour::fromRgb(20, 40, 60);

ts::Raster drawn(std::u32string_view text, float points) {
    ts::Raster raster(kWidth, kHeight, kBackground);
    ts::drawCaptionText(raster, 8, 8, text, points, ts::Colour::white(), ts::Colour::black());
    return raster;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!ts::loadCaptionFonts()) return 0;  // no fonts here: nothing to draw with
    if (size == 0) return 0;
    // The first byte gives the size, from 4 to 67 points; the rest is the text.
    const float points = 4.0f + static_cast<float>(data[0] % 64);
    const std::u32string text = ts::codePoints(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    if (text.size() > 200) return 0;
    const ts::Raster first = drawn(text, points);
    ts::Raster second(1, 1);
    std::thread([&] { second = drawn(text, points); }).join();
    if (first.pixels() != second.pixels()) fail("a caption drawn twice differs");
    return 0;
}
