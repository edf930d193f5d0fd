#pragma once

#include <string>
#include <string_view>

namespace ts {

// Whether Qt will find a screen to open the window on. `platform` is the
// plugin asked for (the -platform argument or QT_QPA_PLATFORM, possibly a
// ';'-separated list of choices, each with ':'-options); `display` and
// `waylandDisplay` are the DISPLAY and WAYLAND_DISPLAY of the environment.
bool canOpenDisplay(std::string_view platform, std::string_view display, std::string_view waylandDisplay);

// The plugin the command line or the environment asks for, or "".
std::string requestedPlatform(int argc, const char* const* argv, const char* environmentValue);

inline constexpr const char* kNoDisplayMessage = "textscape: no display found; run it on a desktop or under xvfb-run";

}  // namespace ts
