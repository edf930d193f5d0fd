#pragma once

#include <functional>
#include <string_view>

#include "app/form_state.hpp"
#include "platform/clock.hpp"
#include "platform/random_source.hpp"
#include "platform/raster_surface.hpp"
#include "platform/text_dialog.hpp"

namespace ts {

// The operations the procedures call, gathered so that the window, the
// command-line renderer and the tests can each supply their own.
struct Platform {
    Surface& form;             // the window's client area
    RasterSurface& canvas;     // Picture1, where pictures are rendered
    RasterSurface& composite;  // Picture2, the copy that is saved
    TextDialog& dialog;
    Clock& clock;
    RandomSource& random;
    std::function<void()> showWindow = [] {};
    // Told the name of each stage as it starts.
    std::function<void(std::string_view)> onStage = [](std::string_view) {};
};

// Start-up: shows the window, fixes the geometry and makes the first picture.
void Form_Load(FormState& s, Platform& p);

// "new text / new image": asks for a text and makes its picture.
void Command5_Click(FormState& s, Platform& p);

// Makes one picture from the current seed and palette: DrawParameters,
// DrawInfoLine, RenderField, PrintCaption.
void GenerateImage(FormState& s, Platform& p);

// The geometry fixed at start-up: sir, vis, polx, poly, dx, dy.
void SetGeometry(FormState& s);

}  // namespace ts
