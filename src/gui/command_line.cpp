#include "gui/command_line.hpp"

#include <string_view>

#include "platform/version.hpp"

namespace ts {

WindowAction windowAction(int argc, const char* const* argv) {
    for (int k = 1; k < argc; ++k) {
        const std::string_view argument = argv[k];
        if (argument == "-h" || argument == "--help") return WindowAction::Help;
        if (argument == "--version") return WindowAction::Version;
    }
    return WindowAction::Run;
}

std::string windowUsage() {
    return "Usage: textscape [options]\n"
           "Opens a window that turns a short text (up to 100 characters) into an abstract\n"
           "picture; the same text always gives the same picture.\n"
           "\n"
           "Options:\n"
           "  -h, --help     print this help and exit\n"
           "  --version      print the version and exit\n"
           "\n"
           "Qt's standard options, such as -platform NAME, are also understood.\n"
           "In the window: Ctrl+N new text, Ctrl+S save, Ctrl+Shift+S save as,\n"
           "Ctrl+C copy the picture, Ctrl+O open a picture, Ctrl+Q quit.\n"
           "To write pictures without a display, use textscape-render.\n";
}

std::string windowVersion() { return "textscape " + std::string(textscapeVersion()); }

std::string displayFailureMessage(const std::string& display, const std::string& waylandDisplay) {
    std::string which;
    if (!display.empty()) which = "DISPLAY=" + display;
    if (!waylandDisplay.empty()) which += (which.empty() ? "" : ", ") + ("WAYLAND_DISPLAY=" + waylandDisplay);
    return "textscape: cannot open the display" + (which.empty() ? std::string() : " (" + which + ")") +
           "; check that it is running, or run textscape under xvfb-run";
}

}  // namespace ts
