#include "gui/command_line.hpp"

#include <algorithm>
#include <array>
#include <span>
#include <string_view>

#include "platform/version.hpp"

namespace ts {

namespace {

// Qt's options that take a value, with one dash or two.
constexpr std::array kQtValueOptions = {"platform",        "platformpluginpath",
                                        "platformtheme",   "plugin",
                                        "qwindowgeometry", "geometry",
                                        "qwindowtitle",    "title",
                                        "qwindowicon",     "icon",
                                        "display",         "name",
                                        "style",           "stylesheet",
                                        "session",         "fontengine",
                                        "qmljsdebugger"};
// And those that take none.
constexpr std::array kQtFlags = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

// The name of a Qt option without its dashes, or "".
std::string_view qtOptionName(std::string_view argument) {
    if (!argument.starts_with('-')) return {};
    argument.remove_prefix(argument.starts_with("--") ? 2 : 1);
    if (const auto eq = argument.find('='); eq != std::string_view::npos) argument = argument.substr(0, eq);
    return argument;
}

bool isIn(std::string_view name, std::span<const char* const> names) {
    return std::any_of(names.begin(), names.end(), [name](const char* known) { return name == known; });
}

// Walks the arguments: each option, each Qt option with its value and each
// file, in order, until `visit` returns true.
struct Argument {
    std::string_view text;
    enum class Kind { Option, QtOption, File } kind;
};

template <typename Visit>
void walk(int argc, const char* const* argv, Visit visit) {
    bool filesOnly = false;
    for (int k = 1; k < argc; ++k) {
        const std::string_view argument = argv[k];
        if (filesOnly || argument == "-" || !argument.starts_with('-')) {
            if (visit(Argument{argument, Argument::Kind::File})) return;
            continue;
        }
        if (argument == "--") {
            filesOnly = true;
            continue;
        }
        const std::string_view name = qtOptionName(argument);
        if (isIn(name, kQtValueOptions)) {
            // "-platform offscreen" takes the next argument; "-platform=x" not.
            if (argument.find('=') == std::string_view::npos) ++k;
            if (visit(Argument{argument, Argument::Kind::QtOption})) return;
            continue;
        }
        if (isIn(name, kQtFlags)) {
            if (visit(Argument{argument, Argument::Kind::QtOption})) return;
            continue;
        }
        if (visit(Argument{argument, Argument::Kind::Option})) return;
    }
}

}  // namespace

WindowAction windowAction(int argc, const char* const* argv) {
    WindowAction action = WindowAction::Run;
    walk(argc, argv, [&action](const Argument& argument) {
        if (argument.kind != Argument::Kind::Option) return false;
        if (argument.text == "-h" || argument.text == "--help") {
            action = WindowAction::Help;
        } else if (argument.text == "-V" || argument.text == "--version") {
            action = WindowAction::Version;
        } else {
            action = WindowAction::BadOption;
        }
        return true;
    });
    return action;
}

std::string windowFile(int argc, const char* const* argv) {
    std::string file;
    walk(argc, argv, [&file](const Argument& argument) {
        if (argument.kind != Argument::Kind::File) return false;
        file = argument.text;
        return true;
    });
    return file;
}

std::string badWindowOption(int argc, const char* const* argv) {
    std::string bad;
    walk(argc, argv, [&bad](const Argument& argument) {
        if (argument.kind != Argument::Kind::Option) return false;
        if (argument.text != "-h" && argument.text != "--help" && argument.text != "-V" && argument.text != "--version")
            bad = argument.text;
        return true;
    });
    return bad;
}

std::string windowUsage() {
    return "Usage: textscape [options] [FILE.png]\n"
           "Opens a window that turns a short text (up to 100 characters) into an abstract\n"
           "picture; the same text always gives the same picture. With FILE.png, a picture\n"
           "Textscape wrote, the window opens with that picture made again from its text\n"
           "(the first file named, when there are several).\n"
           "\n"
           "Options:\n"
           "  -h, --help     print this help and exit\n"
           "  -V, --version  print the version and exit\n"
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
