#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/clock.hpp"
#include "platform/random_source.hpp"
#include "platform/raster_surface.hpp"
#include "render/sweep.hpp"
#include "state/form_state.hpp"
#include "state/layout.hpp"
#include "state/picture_definition.hpp"

namespace ts {

// What the stages of a picture draw on and draw with. The window, the
// command-line renderer, the tests and the benchmark each supply their own.
struct PictureTools {
    Surface& window;        // the window's client area: the info line and the "*"
    RasterSurface& canvas;  // where the picture is drawn and captioned
    Clock& clock;           // names the picture
    RandomSource& random;   // draws the palette and the parameters
    bool caption = true;    // print the text into the picture
    SweepOptions sweep{};   // threads for the sweep (all by default) and its progress
    // Told the name of each stage as it starts.
    std::function<void(std::string_view)> onStage = [](std::string_view) {};
};

// A canvas for a picture of width x height pixels, the standard 600 x 450
// unless asked otherwise. PrintCaption draws the caption straight into its
// raster, with the caption's own fonts, so the window, the renderer and the
// tests all get the same caption from the same code.
RasterSurface makeCanvas(int width = layout::kCanvasWidth, int height = layout::kCanvasHeight);

// The plane and canvas geometry, fixed once at start-up: sir, vis, polx,
// poly, dx, dy.
void SetGeometry(FormState& s);

// The stages of the picture sequence that draw nothing: the seed from the
// text (ReadTextSeed, under picture definition `definition`), the palette
// (BuildPalette), the name and the parameters (DrawParameters). Leaves the
// state ready for the sweep.
void PreparePicture(FormState& s, std::string text, PictureTools& tools, int definition = kLatestPictureDefinition);

// The picture sequence, the one way a text becomes a picture: the seed from
// the text (ReadTextSeed), the palette (BuildPalette), the name and the
// parameters (DrawParameters), the parameter line on the window
// (DrawInfoLine), the sweep (RenderFieldAtSize, told to onStage as
// "RenderField") and the caption (PrintCaption). The picture takes the
// canvas's size: at 600 x 450 the standard picture, at any other size the
// same composition; the sweep runs on the threads tools.sweep asks for, with
// the same pixels on any number.
// The state carries on from the pictures before, as in the window. The text
// is coded under picture definition `definition` (a picture file's own, or
// the newest for a new text) and must be one checkText accepts under it.
void MakePicture(FormState& s, std::string text, PictureTools& tools, int definition = kLatestPictureDefinition);

// A finished picture and the state that made it.
struct Picture {
    FormState state;
    Raster canvas;
};

// The picture `text` gives on a fresh state, as the window shows it for the
// first text typed after start-up: drawn on `canvas` (whose size is the
// picture's), with the window's drawing dropped.
Picture MakeFreshPicture(std::string text, RasterSurface canvas, Clock& clock, bool caption = true,
                         const SweepOptions& sweep = {}, int definition = kLatestPictureDefinition);

// The state MakeFreshPicture draws `text`'s picture from, with nothing drawn:
// the seed, the palette, the name and the parameters (PreparePicture) on a
// fresh state. What a picture's parameter line and name need, at a fraction
// of the picture's cost.
FormState PrepareFreshPicture(std::string text, Clock& clock, int definition = kLatestPictureDefinition);

}  // namespace ts
