#pragma once

#include <functional>

#include "platform/raster.hpp"
#include "state/form_state.hpp"

// The per-pixel procedures written the slow, literal way: every statement is
// evaluated with the generic Number operations (widths, empty members and
// failures included) and stored with the resume-next rule, member by member
// in FormState. Tests compare RenderField against it.
namespace ts::reference {

void PolarAboutPole(FormState& s);
void ShapeValue(FormState& s);
void ChannelValues(FormState& s);
void MixColourIndex(FormState& s);
void PlotPixel(FormState& s, Raster& canvas);

// The sweep over columns 0..sir and rows 0..vis, column by column; shows
// the state to `afterPixel`, when given, once each pixel is plotted.
void RenderField(FormState& s, Raster& canvas, const std::function<void(const FormState&)>& afterPixel = {});

}  // namespace ts::reference
