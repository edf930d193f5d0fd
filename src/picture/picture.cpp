#include "picture/picture.hpp"

#include "annotate/caption.hpp"
#include "annotate/info_line.hpp"
#include "colour/build_palette.hpp"
#include "numeric/statement.hpp"
#include "render/sweep.hpp"
#include "seed/draw_parameters.hpp"
#include "seed/read_text_seed.hpp"
#include "state/layout.hpp"

namespace ts {
namespace {

// A window that nobody sees: what is drawn on it is dropped.
class NoWindow final : public Surface {
public:
    void setPixel(float, float, Colour) override {}
    Colour pixel(float, float) const override { return Colour::black(); }
    void line(float, float, float, float, Colour) override {}
    void setTextX(float) override {}
    void setTextY(float) override {}
    void print(std::string_view) override {}
    void setFontSize(float) override {}
    void setTextColour(Colour) override {}
    void clear() override {}
    void setBackground(Colour) override {}
};

}  // namespace

RasterSurface makeCanvas(int width, int height) { return RasterSurface(width, height); }

void SetGeometry(FormState& s) {
    s.sir = Number::int16(layout::kCanvasWidth);
    s.vis = Number::int16(layout::kCanvasHeight);
    // The plane window is 12 units wide and 9 high.
    const Number width = Number::int16(12), height = Number::int16(9), two = Number::int16(2);
    s.polx = require(divide(width, two), "12 / 2");
    s.poly = require(divide(height, two), "9 / 2");
    s.dx = require(divide(s.sir, width), "sir / 12");
    s.dy = require(divide(s.vis, height), "vis / 9");
}

void PreparePicture(FormState& s, std::string text, PictureTools& tools, int definition) {
    tools.onStage("ReadTextSeed");
    ReadTextSeed(s, std::move(text), tools.random, definition);
    tools.onStage("BuildPalette");
    BuildPalette(s, tools.random);
    tools.onStage("DrawParameters");
    DrawParameters(s, tools.clock, tools.random);
}

void MakePicture(FormState& s, std::string text, PictureTools& tools, int definition) {
    PreparePicture(s, std::move(text), tools, definition);
    tools.onStage("DrawInfoLine");
    DrawInfoLine(s, tools.window);
    tools.onStage("RenderField");
    RenderFieldAtSize(s, tools.canvas.raster(), tools.sweep);
    if (tools.caption) {
        tools.onStage("PrintCaption");
        PrintCaption(s, tools.canvas.raster(), tools.window);
    }
}

Picture MakeFreshPicture(std::string text, RasterSurface canvas, Clock& clock, bool caption, const SweepOptions& sweep,
                         int definition) {
    FormState s;
    SplitMixGenerator random;
    NoWindow window;
    SetGeometry(s);
    PictureTools tools{window, canvas, clock, random, caption, sweep};
    MakePicture(s, std::move(text), tools, definition);
    return {std::move(s), std::move(canvas.raster())};  // the canvas goes with the call
}

FormState PrepareFreshPicture(std::string text, Clock& clock, int definition) {
    FormState s;
    SplitMixGenerator random;
    NoWindow window;
    RasterSurface unused(1, 1);  // the stages before the sweep draw on no canvas
    SetGeometry(s);
    PictureTools tools{window, unused, clock, random};
    PreparePicture(s, std::move(text), tools, definition);
    return s;
}

}  // namespace ts
