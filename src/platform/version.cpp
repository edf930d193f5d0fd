#include "platform/version.hpp"

namespace ts {

// Only this file is built with the version, so a new one rebuilds nothing else.
std::string_view textscapeVersion() { return TEXTSCAPE_VERSION; }

}  // namespace ts
