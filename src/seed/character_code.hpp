#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ts {

// The code of one character in the Windows-1252 code page: code points below
// 128 and from 160 to 255 keep their value, the 27 characters that page puts
// at 128..159 get those bytes; nothing for every other character.
std::optional<std::int16_t> windows1252Code(char32_t c);

// The code picture definition `definition` (a known one) gives a character:
// its Windows-1252 code where it has one. Any other character is 63 ("?")
// in definition 1; from definition 2 on, a code point c >= 256 gets
// 256 + ((c - 256) mod 32512), in 256..32767, and the C1 controls
// (U+0080..U+009F, which these definitions refuse) stay 63.
std::int16_t characterCode(char32_t c, int definition);

// The text in Unicode Normalization Form C. `utf8` must be well-formed.
std::string nfc(std::string_view utf8);

// The one UTF-8 decoder: appends the code points of `utf8` to `out` (when
// given), a malformed sequence giving U+FFFD, and tells whether the text was
// well formed.
bool decodeUtf8(std::string_view utf8, std::u32string* out);

// The code points of a UTF-8 text; a malformed sequence gives U+FFFD.
std::u32string codePoints(std::string_view utf8);

// The UTF-8 form of code points.
std::string utf8(std::u32string_view text);

}  // namespace ts
