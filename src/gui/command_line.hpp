#pragma once

#include <string>

namespace ts {

// What the window's command line asks for before any window opens.
enum class WindowAction { Run, Help, Version };

// -h or --help asks for the usage, --version for the version; anything
// else (Qt's own options among it) is left to Qt.
WindowAction windowAction(int argc, const char* const* argv);

std::string windowUsage();    // printed by --help
std::string windowVersion();  // "textscape 1.0.0"

// The one line said when Qt cannot open the display it was given.
std::string displayFailureMessage(const std::string& display, const std::string& waylandDisplay);

}  // namespace ts
