#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
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

// What stands at a name that is not a regular file, as a user reads it:
// "a folder", "a named pipe", "a socket", "a character device", ...
const char* kindOfFile(mode_t mode);

}  // namespace ts
