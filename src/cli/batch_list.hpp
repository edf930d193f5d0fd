#pragma once

#include <cstddef>
#include <iosfwd>
#include <streambuf>
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
    std::string text;  // the line without its line break (in NFC when taken); empty when it was too long to keep
    Outcome checked;   // whether the text is taken (checkText), or why not
};

struct BatchList {
    std::vector<BatchLine> lines;  // line 1 first
    bool tooManyLines = false;     // the list goes on past kMaxBatchLines lines; reading stopped there
    bool readFailed = false;       // the stream failed before its end
    std::string readError;         // why, in a few words ("Is a directory"), when readFailed
};

// The stream of a file descriptor (standard input) for the readers below.
// A read that fails throws std::system_error with its errno, where
// std::cin would take it for the end of the input: standard input that is
// a folder (EISDIR) or closed (EBADF) is an error, not an empty text. A
// descriptor that is not blocking is waited on.
class DescriptorInput final : public std::streambuf {
public:
    explicit DescriptorInput(int fd) : fd_(fd) {}

protected:
    int_type underflow() override;

private:
    int fd_;
    char buffer_[16384];
};

// Reads a batch list: one text per line, split at "\n"; a "\r" before the
// "\n" and a UTF-8 byte-order mark at the start of line 1 are dropped. A
// final line break does not start another line, but every other line
// counts, blank ones too (the empty text). A line is kept only up to a few
// bytes past kMaxTextBytes: a longer one is refused as having more than 100
// characters, and the rest of it is read past, not kept. Nothing but the
// stream is read; any bytes are answered. A stream whose buffer fails
// (throws, as DescriptorInput and a file's buffer do) is a failed read.
BatchList readBatchList(std::istream& in);

// Reads a text from a stream such as standard input, taking no more than a
// few bytes past kMaxTextBytes: a longer input is refused (Failure::Refused)
// as soon as that is known. A UTF-8 byte-order mark at the start and one
// final line break ("\n" or "\r\n") are dropped, and the text is checked
// with checkText. On success `text` holds it. A stream that fails is
// refused with "Could not read standard input: " and the reason.
Outcome readTextInput(std::istream& in, std::string& text);

}  // namespace ts
