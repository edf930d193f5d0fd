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
    bool outIsTerminal = false;  // refuse to write a picture to out
};

// Carries out parsed options (Render or Batch) and returns the exit status:
// 0 when every picture was written, 1 on any failure while running (a
// refused text from wherever it came, a file that could not be read or
// written, a batch line skipped, a folder in use). Problems are reported on
// err, one line each; a batch ends with a summary line unless quiet. Needs a
// QGuiApplication.
//
// A single render writes to -o FILE, to out for -o -, to T<stamp>.png in
// the current folder (printing its name), or nowhere when only --info was
// asked for. A batch holds a FolderLock on its output folder and stops at
// the first write that fails.
int runRenderer(const RenderOptions& options, RenderStreams io, Clock& clock);

// Flushes out and returns `status`, or reports on err that out could not be
// written (a full disk, a closed pipe) and returns 1.
int finishOutput(std::ostream& out, std::ostream& err, int status);

}  // namespace ts
