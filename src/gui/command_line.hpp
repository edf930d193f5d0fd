#pragma once

#include <string>

namespace ts {

// What the window's command line asks for before any window opens.
enum class WindowAction { Run, Help, Version, BadOption };

// -h or --help asks for the usage, -V or --version for the version; Qt's own
// options (-platform NAME, -style NAME, ...) are left to Qt; any other
// option is a BadOption (the usage and status 2).
WindowAction windowAction(int argc, const char* const* argv);

// The picture file the command line names ("textscape FILE.png", as a
// desktop opens a file with the program): the first argument that is not
// an option, nor the value of one of Qt's; empty when there is none.
// Arguments after "--" are files even when they start with "-".
std::string windowFile(int argc, const char* const* argv);

// The option windowAction found bad, for its message.
std::string badWindowOption(int argc, const char* const* argv);

std::string windowUsage();    // printed by --help
std::string windowVersion();  // "textscape 1.0.0"

// The one line said when Qt cannot open the display it was given.
std::string displayFailureMessage(const std::string& display, const std::string& waylandDisplay);

}  // namespace ts
