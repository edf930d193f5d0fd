#pragma once

#include <string>
#include <string_view>

namespace ts {

// A modal prompt with a one-line field that starts empty. Its top-left
// corner is given in twips (1/1440 inch) from the screen's top-left corner.
// Returns the typed text as UTF-8, or an empty text when cancelled.
class TextDialog {
public:
    virtual ~TextDialog() = default;
    virtual std::string ask(std::string_view prompt, int leftTwips, int topTwips) = 0;
};

}  // namespace ts
