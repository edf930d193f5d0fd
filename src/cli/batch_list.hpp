#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/outcome.hpp"

namespace ts {

// The most bytes a text can take: 100 characters of at most 4 bytes each.
// Input past that is known to be too long without being read.
inline constexpr std::size_t kMaxTextBytes = 400;

// The most lines a batch list may hold; a longer list is refused whole.
inline constexpr std::size_t kMaxBatchLines = 100000;

struct BatchLine {
    std::string text;  // the line without its line break; empty when it was too long to keep
    Outcome checked;   // whether the text is taken (checkText), or why not
};

struct BatchList {
    std::vector<BatchLine> lines;  // line 1 first
    bool tooManyLines = false;     // the list goes on past kMaxBatchLines lines; reading stopped there
    bool readFailed = false;       // the stream failed before its end
};

// Reads a batch list: one text per line, split at "\n"; a "\r" before the
// "\n" and a UTF-8 byte-order mark at the start of line 1 are dropped. A
// final line break does not start another line, but every other line
// counts, blank ones too (the empty text). A line is kept only up to a few
// bytes past kMaxTextBytes: a longer one is refused as having more than 100
// characters, and the rest of it is read past, not kept. Nothing but the
// stream is read; any bytes are answered.
BatchList readBatchList(std::istream& in);

// Reads a text from a stream such as standard input, taking no more than a
// few bytes past kMaxTextBytes: a longer input is refused (Failure::Refused)
// as soon as that is known. A UTF-8 byte-order mark at the start and one
// final line break ("\n" or "\r\n") are dropped, and the text is checked
// with checkText. On success `text` holds it.
Outcome readTextInput(std::istream& in, std::string& text);

}  // namespace ts
