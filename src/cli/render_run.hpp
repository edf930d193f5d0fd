#pragma once

#include <iosfwd>
#include <string>

#include "cli/render_options.hpp"
#include "platform/clock.hpp"
#include "qt/image_encoding.hpp"

namespace ts {

std::string renderVersion();  // "textscape-render 1.0.0"

struct RenderStreams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;  // draw the batch progress bar on err
};

// Carries out parsed options (Render or Batch) and returns the exit status:
// 0 when every picture was written. Problems are reported on err, one line
// each. Needs a QGuiApplication.
int runRenderer(const RenderOptions& options, RenderStreams io, Clock& clock);

}  // namespace ts
