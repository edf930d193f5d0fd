#pragma once

#include <sys/types.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include "platform/outcome.hpp"

namespace ts {

// The most a picture file read for its recipe may hold; a picture of the
// window's size is well under 1 MiB.
inline constexpr std::size_t kMaxPictureFileBytes = std::size_t{256} << 20;

// Reads the whole of `file` into `bytes`, when it is a regular file (or a
// symbolic link to one) of at most `limit` bytes. Anything else is refused
// at once and never waited on: a folder, a named pipe, a device, a socket,
// or a file larger than the limit. On failure (Failure::Refused) the message
// names the file and says why, and `bytes` is empty.
Outcome readBoundedFile(const std::filesystem::path& file, std::size_t limit, std::vector<std::uint8_t>& bytes);

// Every PNG file starts with these bytes; a chunk's length is at most
// kMaxPngChunkLength.
inline constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
inline constexpr std::uint32_t kMaxPngChunkLength = 0x7FFFFFFFu;
inline constexpr std::size_t kOtherImageHeaderBytes = 4096;

// Puts up to `count` bytes at `into` and says how many (0 at the end of the
// input), or -1 with errno set, as read(2) does.
using ReadSome = std::function<std::ptrdiff_t(std::uint8_t* into, std::size_t count)>;

// Reads a PNG file from `readSome` as far as its IEND chunk, looking at what
// came before reading on: the 8-byte signature first, then each chunk's
// length before its data. Reading stops early, and successfully, with
// what was read in `bytes`, when the signature is not PNG's (after the
// first kOtherImageHeaderBytes, enough to tell another kind of image by its
// header), a length is
// out of range or the input ends (readPngRecipe then says what is wrong);
// it fails when the chunks would hold more than `limit` bytes or a read
// fails, the message naming `name`. Nothing past IEND is read.
Outcome readPngStream(const std::filesystem::path& name, const ReadSome& readSome, std::size_t limit,
                      std::vector<std::uint8_t>& bytes);

// readPngStream on `file`, taken as readBoundedFile takes it: a regular
// file of at most `limit` bytes, anything else refused at once.
Outcome readBoundedPng(const std::filesystem::path& file, std::size_t limit, std::vector<std::uint8_t>& bytes);

// What stands at a name that is not a regular file, as a user reads it:
// "a folder", "a named pipe", "a socket", "a character device", ...
const char* kindOfFile(mode_t mode);

}  // namespace ts
