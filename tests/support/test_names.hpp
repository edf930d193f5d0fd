#pragma once

#include <cctype>
#include <string>
#include <string_view>

namespace ts::testing {

// A parameterised case's test name made from its description: letters and
// digits kept, signs spelt out, everything else run together into one
// underscore.
inline std::string caseName(std::string_view what) {
    std::string name;
    const auto separate = [&name] {
        if (!name.empty() && name.back() != '_') name += '_';
    };
    for (const char c : what) {
        const char* word = c == '.'   ? "point"
                           : c == '-' ? "minus"
                           : c == '+' ? "plus"
                           : c == '*' ? "times"
                           : c == '/' ? "over"
                           : c == '^' ? "pow"
                           : c == '<' ? "lt"
                           : c == '>' ? "gt"
                           : c == '=' ? "eq"
                                      : nullptr;
        if (std::isalnum(static_cast<unsigned char>(c))) {
            name += c;
        } else if (word) {
            separate();
            name += word;
            name += '_';
        } else {
            separate();
        }
    }
    while (!name.empty() && name.back() == '_') name.pop_back();
    return name.empty() ? "unnamed" : name;
}

// For INSTANTIATE_TEST_SUITE_P: names each case by its `what`.
inline constexpr auto nameByWhat = [](const auto& info) { return caseName(info.param.what); };

}  // namespace ts::testing
