#pragma once

#include <string>
#include <string_view>

namespace ts {

// `text` as it may be shown on a terminal when it came from a file (a
// picture's text, its recorded parameter line, a file's name): every
// character that could move the cursor, start an escape sequence or turn the
// reading order becomes a visible escape, so that the file can neither
// redraw the screen nor forge a line of the program's own. C0 controls, line
// breaks and DEL become "\x1B"; C1 controls, the line and paragraph
// separators and the bidirectional overrides and isolates become "\u202E";
// a byte that is not part of valid UTF-8 becomes "\xFF". Everything else,
// backslashes included, is kept as it is.
std::string terminalText(std::string_view text);

}  // namespace ts
