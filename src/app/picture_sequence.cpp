#include "app/picture_sequence.hpp"

#include "annotate/caption.hpp"
#include "annotate/info_line.hpp"
#include "colour/build_palette.hpp"
#include "numeric/statement.hpp"
#include "render/render_field.hpp"
#include "seed/draw_parameters.hpp"
#include "seed/read_text_seed.hpp"

namespace ts {

void SetGeometry(FormState& s) {
    s.sir = Number::int16(600);
    s.vis = Number::int16(450);
    // The plane window is 12 units wide and 9 high.
    const Number width = Number::int16(12), height = Number::int16(9), two = Number::int16(2);
    s.polx = require(divide(width, two), "12 / 2");
    s.poly = require(divide(height, two), "9 / 2");
    s.dx = require(divide(s.sir, width), "sir / 12");
    s.dy = require(divide(s.vis, height), "vis / 9");
}

void Form_Load(FormState& s, Platform& p) {
    p.showWindow();
    p.random.reseed(p.clock.secondsSinceMidnight());
    s.tekst1 = "textscape";
    s.tekst2 = "Textscape turns a short text into an abstract picture";
    s.t1 = "type any text (100 characters max)";
    s.t2 = "the program is case-sensitive";
    p.form.clear();
    p.form.setBackground(Colour::black());
    SetGeometry(s);
    Command5_Click(s, p);
}

void Command5_Click(FormState& s, Platform& p) {
    p.onStage("ReadTextSeed");
    ReadTextSeed(s, p.dialog, p.random);
    p.onStage("BuildPalette");
    BuildPalette(s, p.random);
    GenerateImage(s, p);
}

void GenerateImage(FormState& s, Platform& p) {
    p.onStage("DrawParameters");
    DrawParameters(s, p.clock, p.random);
    p.onStage("DrawInfoLine");
    DrawInfoLine(s, p.form);
    p.onStage("RenderField");
    RenderField(s, p.canvas.raster());
    p.onStage("PrintCaption");
    PrintCaption(s, p.canvas, p.form);
}

}  // namespace ts
