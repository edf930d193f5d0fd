#include "files/pictures_folder.hpp"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace ts {
namespace {

std::string trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t\r");
    return std::string(s.substr(first, last - first + 1));
}

// A value is absolute, or starts with $HOME; both may not leave the folder
// undecided, so anything relative is refused.
std::optional<std::filesystem::path> expand(const std::string& value, const std::filesystem::path& home) {
    if (value.rfind("$HOME", 0) == 0) {
        const std::string rest = value.substr(5);
        if (!rest.empty() && rest[0] != '/') return std::nullopt;  // "$HOMEX" is not $HOME
        if (home.empty()) return std::nullopt;
        return std::filesystem::path(home.string() + rest).lexically_normal();
    }
    if (!value.empty() && value[0] == '/') return std::filesystem::path(value).lexically_normal();
    return std::nullopt;
}

std::optional<std::string> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

EnvironmentLookup systemEnvironment() {
    return [](const char* name) -> std::optional<std::string> {
        if (const char* v = std::getenv(name); v && *v) return std::string(v);
        if (std::string_view(name) == "HOME") {
            if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return std::string(pw->pw_dir);
        }
        return std::nullopt;
    };
}

std::optional<std::filesystem::path> userDirsEntry(std::string_view fileText, std::string_view key,
                                                   const std::filesystem::path& home) {
    std::optional<std::filesystem::path> found;
    std::istringstream lines{std::string(fileText)};
    for (std::string raw; std::getline(lines, raw);) {
        const std::string line = trim(raw);
        if (line.empty() || line[0] == '#') continue;
        const auto equals = line.find('=');
        if (equals == std::string::npos || trim(line.substr(0, equals)) != key) continue;
        const std::string quoted = trim(line.substr(equals + 1));
        if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') continue;
        std::string value;
        for (std::size_t k = 1; k + 1 < quoted.size(); ++k) {
            if (quoted[k] == '\\' && k + 2 < quoted.size()) ++k;
            value += quoted[k];
        }
        if (auto path = expand(value, home)) found = std::move(path);  // the last one counts
    }
    return found;
}

std::filesystem::path picturesFolder(const EnvironmentLookup& environment) {
    const std::filesystem::path home = environment("HOME").value_or("");
    if (const auto direct = environment("XDG_PICTURES_DIR")) {
        if (auto path = expand(*direct, home)) return *path;
    }
    std::filesystem::path config = environment("XDG_CONFIG_HOME").value_or("");
    if (config.empty() || config.is_relative()) config = home / ".config";
    if (const auto text = readFile(config / "user-dirs.dirs")) {
        if (auto path = userDirsEntry(*text, "XDG_PICTURES_DIR", home)) return *path;
    }
    return home / "Pictures";
}

std::string homeRelative(const std::filesystem::path& path, const EnvironmentLookup& environment) {
    const std::string home = std::filesystem::path(environment("HOME").value_or("")).lexically_normal().string();
    std::string text = path.string();
    const std::string prefix = home.empty() || home.back() == '/' ? home : home + "/";
    if (prefix.size() > 1 && text.rfind(prefix, 0) == 0) return "~/" + text.substr(prefix.size());
    return text;
}

}  // namespace ts
