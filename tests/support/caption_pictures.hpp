#pragma once

#include <cstdint>

namespace ts::testing {

// Pictures with captions in several scripts: the text, and the checksum
// (canvasChecksum) of its finished 600 x 450 picture, caption included, as
// the first picture after start-up. The window's picture and the
// renderer's both have it, since both draw the caption with the same code.
struct CaptionPicture {
    const char* what;
    const char* text;
    std::uint64_t checksum;
};

inline constexpr CaptionPicture kCaptionPictures[] = {
    {"Latin", "Hello, Textscape \xC3\xA9t\xC3\xA9", 0xd1bb4c66443aa785ull},
    {"Cyrillic", "\xD0\xA1\xD1\x8A\xD0\xB5\xD1\x88\xD1\x8C \xD0\xB6\xD0\xB5 \xD0\xB5\xD1\x89\xD1\x91",
     0x20ecd4b714d424d0ull},
    {"CJK", "\xE6\xBC\xA2\xE5\xAD\x97\xE3\x81\x8B\xE3\x81\xAA \xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4",
     0xef1a286292c2a071ull},
    {"Arabic", "\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7 \xD8\xA8\xD8\xA7\xD9\x84\xD8\xB9\xD8\xA7\xD9\x84\xD9\x85",
     0x4d5d52f708ee4359ull},
    {"emoji", "\xF0\x9F\x98\x80 ok \xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD \xF0\x9F\x87\xB8\xF0\x9F\x87\xAE",
     0x8972ee67f4e57331ull},
};

}  // namespace ts::testing
