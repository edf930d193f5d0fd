// Prints the pixels a few texts of the window give, so that runs under
// different platform plugins, screen settings and font configurations can be
// compared byte for byte.
#include <QGuiApplication>

#include <cstdio>

#include "qt/qt_text_painter.hpp"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    ts::QtTextPainter painter;
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
    // Characters from both fonts, measured too.
    const char* mixed = "Status \xE2\x98\xBA \xE6\xBC\xA2\xE5\xAD\x97 W\xC3\xBC";
    const float next = painter.draw(raster, 10, y, mixed, 11, ts::Colour::white());
    std::printf("%s|%.4f|%.4f\n", mixed, next, painter.width(mixed, 11));
    std::fwrite(raster.data(), sizeof(std::uint32_t), raster.pixels().size(), stdout);
    return 0;
}
