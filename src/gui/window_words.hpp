#pragma once

#include <QString>

#include <string>

namespace ts {

// A message of the program's layers as the window says it to a person: a
// line break rather than "a control character (U+000A)", a PNG "not made by
// Textscape" rather than one without a recipe in its text chunks. The rest
// is kept as it is.
QString windowWords(const std::string& message);

}  // namespace ts
