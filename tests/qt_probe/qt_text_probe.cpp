// Prints the pixels a few texts give, so that runs under different platform
// plugins and screen settings can be compared byte for byte. With
// --captions, prints the checksum of each caption of caption_samples.hpp.
#include <QGuiApplication>

#include <cstdio>
#include <cstring>

#include "qt/qt_text_painter.hpp"
#include "qt_probe/caption_samples.hpp"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    ts::QtTextPainter painter;
    if (argc > 1 && std::strcmp(argv[1], "--captions") == 0) {
        for (const ts::testing::CaptionSample& sample : ts::testing::kCaptionSamples)
            std::printf("%016llx\n", static_cast<unsigned long long>(ts::testing::captionChecksum(painter, sample)));
        return 0;
    }
    struct Sample {
        const char* text;
        float points;
        ts::Colour colour;
    };
    const Sample samples[] = {
        {"tip1=7  tip2=2  tip3=4  seed=127010", 8, ts::Colour::black()},
        {"Textscape", 15, ts::Colour::white()},
        {"The quick brown fox jumps over the lazy dog 0123456789", 10, ts::Colour::white()},
        {"\xC3\xA9t\xC3\xA9 \xE2\x82\xAC 100% AVAWA fi", 12.5f, ts::Colour::fromRgb(30, 200, 90)},
    };
    ts::Raster raster(600, 150, ts::Colour::fromRgb(200, 200, 200));
    float y = 2;
    for (const Sample& s : samples) {
        const float next = painter.draw(raster, 10.25f, y, s.text, s.points, s.colour);
        std::printf("%s|%.4f\n", s.text, next);
        y += 28;
    }
    // A caption, as it is printed: edged, measured and spaced by the painter.
    const char* caption = "Caption \xE2\x98\xBA W\xC3\xBC";
    const float next = painter.drawOutlined(raster, 10, y, caption, 11, ts::Colour::white(), ts::Colour::black());
    std::printf("%s|%.4f|%.4f|%.4f\n", caption, next, painter.width(caption, 11), painter.lineHeight(11));
    std::fwrite(raster.data(), sizeof(std::uint32_t), raster.pixels().size(), stdout);
    return 0;
}
