#include "gui/display_check.hpp"

#include <array>

namespace ts {

namespace {

// Plugins that draw without a desktop session.
constexpr std::array<std::string_view, 7> kHeadless = {"offscreen", "minimal",      "minimalegl", "vnc",
                                                       "eglfs",     "vkkhrdisplay", "linuxfb"};

bool pluginCanOpen(std::string_view choice, std::string_view display, std::string_view waylandDisplay) {
    const std::string_view name = choice.substr(0, choice.find(':'));
    for (std::string_view headless : kHeadless)
        if (name == headless) return true;
    if (name == "xcb") return !display.empty();
    if (name.substr(0, 7) == "wayland") return !waylandDisplay.empty();
    // Other platforms' own plugins need no X or Wayland variables.
    return true;
}

}  // namespace

bool canOpenDisplay(std::string_view platform, std::string_view display, std::string_view waylandDisplay) {
    if (platform.empty()) return !display.empty() || !waylandDisplay.empty();
    // Qt tries each choice of a list in turn.
    while (!platform.empty()) {
        const std::size_t end = platform.find(';');
        if (pluginCanOpen(platform.substr(0, end), display, waylandDisplay)) return true;
        if (end == std::string_view::npos) break;
        platform.remove_prefix(end + 1);
    }
    return false;
}

std::string requestedPlatform(int argc, const char* const* argv, const char* environmentValue) {
    for (int k = 1; k + 1 < argc; ++k) {
        const std::string_view argument = argv[k];
        if (argument == "-platform" || argument == "--platform") return argv[k + 1];
    }
    return environmentValue ? environmentValue : "";
}

}  // namespace ts
