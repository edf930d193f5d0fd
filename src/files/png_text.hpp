#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace ts {

// Adds a text chunk with `key` and `value` right after the IHDR chunk of a
// PNG file, kept exactly as given (Qt's own writer folds the spaces and
// line breaks of a value). ASCII values go into tEXt, others into an
// uncompressed UTF-8 iTXt. `png` must be a PNG file and `key` 1 to 79
// printable Latin-1 characters: anything else is a programming error.
void addPngText(std::vector<std::uint8_t>& png, std::string_view key, std::string_view value);

// The same, always as an uncompressed UTF-8 iTXt chunk, ASCII or not.
void addPngInternationalText(std::vector<std::uint8_t>& png, std::string_view key, std::string_view value);

}  // namespace ts
