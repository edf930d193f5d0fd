#pragma once

#include <functional>

#include "platform/raster.hpp"
#include "state/form_state.hpp"

// The per-pixel procedures written the slow, literal way: every statement is
// evaluated with the generic Number operations (widths, empty members and
// failures included) and stored with the resume-next rule, member by member
// in FormState. Tests compare the sweep against it.
namespace ts::reference {

void PolarAboutPole(FormState& s);
// The pole of a picture of any size: fi1 = korakfi1 * ((451 i + j) + 1) for
// the plane column i and row j, in place of one more step of the sum.
void PolarAboutPoleAt(FormState& s, double i, double j);
// The shape value of the formula tip1 selects (1..kShapeFormulaCount of
// state/shape_formulas.hpp); a formula without statements here stops the
// program.
void ShapeValue(FormState& s);
// Runs the statements of shape formula `formula` on s; false, with s
// untouched, when there are none for that number.
bool shapeStatements(int formula, FormState& s);
void ChannelValues(FormState& s);
void MixColourIndex(FormState& s);
void PlotPixel(FormState& s, Raster& canvas);

// The sweep over columns 0..sir and rows 0..vis, column by column; shows
// the state to `afterPixel`, when given, once each pixel is plotted.
void RenderField(FormState& s, Raster& canvas, const std::function<void(const FormState&)>& afterPixel = {});

// The picture at the canvas's size W x H: columns 0..W and rows 0..H, the
// plane scaled by H / 450 and centred across, x and y stored as doubles.
void RenderFieldAtSize(FormState& s, Raster& canvas);

}  // namespace ts::reference
