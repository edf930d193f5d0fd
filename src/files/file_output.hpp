#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "files/folder_lock.hpp"
#include "platform/outcome.hpp"

namespace ts {

enum class Replace { Allowed, Never };

// The name a file gets when its own is taken: "T1.bmp", then "T1-2.bmp",
// "T1-3.bmp", ... for number 1, 2, 3, ...
std::string numberedName(std::string_view stem, int number, std::string_view extension);

// Makes the folder and its parents when missing. When it cannot, the
// parents it made are removed again.
Outcome ensureFolder(const std::filesystem::path& folder);

// Writes the bytes to a file, so that `file` is either left as it was or
// holds all the bytes: never a partial or empty file. The bytes are written
// and flushed to disk in a file without a name (O_TMPFILE), which then gets
// `file`'s name at once when that is free. Replacing a file takes a rename,
// so for that moment the new file has a short temporary name
// (".textscape-PID-N.tmp"), as it has all along where the file system
// cannot make a file without a name. A process killed meanwhile leaves that
// file; the next write into the folder, by any user who may remove it there,
// removes it once its process is gone.
//
// With Replace::Allowed an existing regular file is replaced by the new one,
// which keeps its owner and permission bits (its other hard links keep the
// old bytes); a symbolic link is followed and its target written (made
// when missing), unless it is another user's link in a sticky folder that
// everyone may write and its owner is not the folder's (refused, as the
// kernel's fs.protected_symlinks refuses it); anything else (a folder, a device, a named pipe, a socket)
// is refused and left as it is, as is whatever a link of /proc leads to
// without naming it (/dev/stdout into a pipe). With Replace::Never any
// existing name, a symbolic link included, is kept and NameTaken returned.
// The folder is flushed to disk after the file gets its name; when that
// fails, so does the write (the file is there, but may not outlast a
// crash). On success the Outcome names `file`.
Outcome writeFileAtomically(const std::filesystem::path& file, std::span<const std::uint8_t> bytes,
                            Replace replace = Replace::Allowed);

// The same, for the file `name` (a name without a folder) in a folder that
// this process holds locked: the file is written into that folder itself,
// through the descriptor the lock holds, even when the folder is moved or
// renamed meanwhile and another takes its old path. The Outcome names the
// file by the path the folder was locked under.
Outcome writeFileAtomically(const FolderLock& folder, std::string_view name, std::span<const std::uint8_t> bytes,
                            Replace replace = Replace::Allowed);

// Whether a write with Replace::Never could take the name: ok when nothing
// is there, NameTaken with that write's message when anything is (a
// symbolic link included, even a dangling one). Asked before a picture is
// drawn, so that none is drawn only to be refused; the write still refuses
// a name taken meanwhile. Any other failure to look is left to the write.
Outcome checkNameFree(const std::filesystem::path& file);
// The same for `name` in a folder this process holds locked.
Outcome checkNameFree(const FolderLock& folder, std::string_view name);

// Removes the file `name` from a folder this process holds locked, when it
// is there and can be removed; nothing is said otherwise.
void removeIfThere(const FolderLock& folder, std::string_view name);

// Writes the bytes into `folder` under the first free one of the numbered
// names of `stem` (see numberedName), never replacing a file; names for
// which `skip` says yes are passed over. On success the Outcome names the
// file written.
Outcome writeNumberedFile(const std::filesystem::path& folder, std::string_view stem, std::string_view extension,
                          std::span<const std::uint8_t> bytes,
                          const std::function<bool(const std::filesystem::path&)>& skip = {});

}  // namespace ts
