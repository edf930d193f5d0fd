#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "cli/render_options.hpp"
#include "files/image_encoding.hpp"
#include "platform/clock.hpp"

namespace ts {

std::string renderVersion();  // "textscape-render 1.0.0"

// The file every batch writes into its folder at the end: a header line,
// then one line per picture there, "line<TAB>file<TAB>text".
inline constexpr const char* kBatchIndexName = "index.tsv";

// A text as index.tsv holds it: a backslash doubled, and a tab, line feed
// or carriage return written "\t", "\n", "\r" (no text the program takes
// holds those), so that every row stays one line of three fields.
std::string batchIndexField(std::string_view text);

struct RenderStreams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;  // draw a progress bar on err
    bool outIsTerminal = false;  // refuse to write a picture to out
    // A single picture shows its progress bar once it has taken this long.
    double progressDelaySeconds = 0.5;
};

// Carries out parsed options (Render or Batch) and returns the exit status:
// 0 when every picture was written, 1 on any failure while running (a
// refused text from wherever it came, a file that could not be read or
// written, a batch line skipped, a folder in use). Problems are reported on
// err, one line each; a batch ends with a summary line unless quiet.
//
// A single render writes to -o FILE, to out for -o -, to T<stamp>.png in
// the current folder (printing its name), or nowhere when only --info was
// asked for. A batch holds a FolderLock on its output folder and stops at
// the first write that fails.
//
// options.jobs cores draw: a single picture's sweep on all of them; a batch
// draws that many pictures side by side and writes them, reports its lines
// and draws its progress bar in line order, so that files, messages and
// summary are the same for any number. A batch with --shard K/N renders only
// its share of the lines, under their own line numbers.
int runRenderer(const RenderOptions& options, RenderStreams io, Clock& clock);

// Flushes out and returns `status`, or reports on err that out could not be
// written (a full disk, a closed pipe) and returns 1.
int finishOutput(std::ostream& out, std::ostream& err, int status);

}  // namespace ts
