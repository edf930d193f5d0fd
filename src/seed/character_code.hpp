#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ts {

// The code of one character in the Windows-1252 code page: code points below
// 128 and from 160 to 255 keep their value, the 27 characters that page puts
// at 128..159 get those bytes, and every other character gets 63 ("?").
std::int16_t characterCode(char32_t c);

// The one UTF-8 decoder: appends the code points of `utf8` to `out` (when
// given), a malformed sequence giving U+FFFD, and tells whether the text was
// well formed.
bool decodeUtf8(std::string_view utf8, std::u32string* out);

// The code points of a UTF-8 text; a malformed sequence gives U+FFFD.
std::u32string codePoints(std::string_view utf8);

// The UTF-8 form of code points.
std::string utf8(std::u32string_view text);

}  // namespace ts
