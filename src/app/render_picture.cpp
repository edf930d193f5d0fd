#include "app/render_picture.hpp"

#include "annotate/caption.hpp"
#include "annotate/info_line.hpp"
#include "app/picture_sequence.hpp"
#include "colour/build_palette.hpp"
#include "render/render_field.hpp"
#include "seed/draw_parameters.hpp"
#include "seed/read_text_seed.hpp"

namespace ts {
namespace {

// The window's client area, which nobody sees here: drawing on it is dropped.
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

RenderedPicture renderPicture(std::string text, bool caption, RasterSurface canvas, Clock& clock) {
    RenderedPicture out;
    FormState& s = out.state;
    SplitMixGenerator random;
    NoWindow window;

    // Start-up, then the picture sequence, as the window runs them.
    SetGeometry(s);
    AcceptText(s, std::move(text), random);
    BuildPalette(s, random);
    DrawParameters(s, clock, random);
    DrawInfoLine(s, window);
    RenderField(s, canvas.raster());
    if (caption) PrintCaption(s, canvas, window);

    out.canvas = canvas.raster();
    return out;
}

}  // namespace ts
