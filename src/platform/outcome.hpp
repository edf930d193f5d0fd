#pragma once

#include <filesystem>
#include <string>
#include <utility>

namespace ts {

enum class Failure {
    None,
    Refused,            // the input is not one the program takes (a text too long, a bad option value)
    FolderUnavailable,  // the folder is missing and cannot be made, or is not a folder
    NameTaken,          // the file exists and may not be replaced
    WriteFailed,        // creating, writing or closing the file failed (rights, full disk)
    Unavailable,        // a file the program draws with is missing or unreadable (a font)
};

// How an operation that can fail for a reason the user should know went:
// reading or writing a file or folder, checking a text. On failure the
// message is meant for the user: one line that names the file (where there
// is one) and says why. `file` is the file written, or the one meant.
struct [[nodiscard]] Outcome {
    Failure failure = Failure::None;
    std::filesystem::path file;
    std::string message;

    explicit operator bool() const { return failure == Failure::None; }

    static Outcome ok(std::filesystem::path written = {}) { return {Failure::None, std::move(written), {}}; }
    static Outcome failed(Failure why, std::string message, std::filesystem::path meant = {}) {
        return {why, std::move(meant), std::move(message)};
    }
};

}  // namespace ts
