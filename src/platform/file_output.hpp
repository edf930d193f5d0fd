#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace ts {

enum class IoError {
    None,
    FolderUnavailable,  // the folder is missing and cannot be made, or is not a folder
    NameTaken,          // the file exists and may not be replaced
    WriteFailed,        // creating, writing or closing the file failed (rights, full disk)
};

// How a file operation went. The message is meant for the user: it names
// the file and says why it failed.
struct [[nodiscard]] IoResult {
    IoError error = IoError::None;
    std::string message;

    explicit operator bool() const { return error == IoError::None; }
    static IoResult ok() { return {}; }
};

enum class Replace { Allowed, Never };

// The name a file gets when its own is taken: "T1.bmp", then "T1-2.bmp",
// "T1-3.bmp", ... for number 1, 2, 3, ...
std::string numberedName(std::string_view stem, int number, std::string_view extension);

// Makes the folder and its parents when missing.
IoResult ensureFolder(const std::filesystem::path& folder);

// Writes the bytes to a temporary file beside `file`, flushes it to disk and
// only then renames it into place, so that `file` is either left as it was
// or holds all the bytes: never a partial or empty file. With
// Replace::Never an existing `file` is kept and NameTaken returned.
IoResult writeFileAtomically(const std::filesystem::path& file, std::span<const std::uint8_t> bytes,
                             Replace replace = Replace::Allowed);

}  // namespace ts
