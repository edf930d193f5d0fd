#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ts {

// Reads one environment variable; empty when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

// The process's own environment, with HOME taken from the user database
// when the variable is missing.
EnvironmentLookup systemEnvironment();

// The value of `key` in the text of a user-dirs.dirs file, with "$HOME"
// expanded: lines of the form KEY="$HOME/Pictures" or KEY="/abs/path".
// Anything else (a relative path, a malformed line) is not a value.
std::optional<std::filesystem::path> userDirsEntry(std::string_view fileText, std::string_view key,
                                                   const std::filesystem::path& home);

// The user's pictures folder, as the desktop names it: $XDG_PICTURES_DIR,
// else XDG_PICTURES_DIR in $XDG_CONFIG_HOME/user-dirs.dirs (by default
// ~/.config/user-dirs.dirs), else ~/Pictures. The folder may not exist yet.
std::filesystem::path picturesFolder(const EnvironmentLookup& environment = systemEnvironment());

// The path as a user reads it, with the home folder written "~".
std::string homeRelative(const std::filesystem::path& path, const EnvironmentLookup& environment = systemEnvironment());

}  // namespace ts
