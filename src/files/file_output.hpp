#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "platform/outcome.hpp"

namespace ts {

enum class Replace { Allowed, Never };

// The name a file gets when its own is taken: "T1.bmp", then "T1-2.bmp",
// "T1-3.bmp", ... for number 1, 2, 3, ...
std::string numberedName(std::string_view stem, int number, std::string_view extension);

// Makes the folder and its parents when missing.
Outcome ensureFolder(const std::filesystem::path& folder);

// Writes the bytes to a temporary file beside `file`, flushes it to disk and
// only then renames it into place, so that `file` is either left as it was
// or holds all the bytes: never a partial or empty file. With
// Replace::Never an existing `file` is kept and NameTaken returned.
// On success the Outcome names `file`.
Outcome writeFileAtomically(const std::filesystem::path& file, std::span<const std::uint8_t> bytes,
                            Replace replace = Replace::Allowed);

// Writes the bytes into `folder` under the first free one of the numbered
// names of `stem` (see numberedName), never replacing a file; names for
// which `skip` says yes are passed over. On success the Outcome names the
// file written.
Outcome writeNumberedFile(const std::filesystem::path& folder, std::string_view stem, std::string_view extension,
                          std::span<const std::uint8_t> bytes,
                          const std::function<bool(const std::filesystem::path&)>& skip = {});

}  // namespace ts
