#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ts {

// What the prompt shows: its lines (joined by a carriage return), its
// top-left corner in twips (1/1440 inch) from the screen's top-left corner,
// the text its field starts with, and why the text typed last time was not
// taken (empty the first time), and the texts made into pictures lately,
// the latest first, for the field to bring back.
struct TextRequest {
    std::string prompt;
    int leftTwips = 0;
    int topTwips = 0;
    std::string text;
    std::string refusal;
    std::vector<std::string> recent;
    friend bool operator==(const TextRequest&, const TextRequest&) = default;
};

// A modal prompt with a one-line field.
class TextDialog {
public:
    virtual ~TextDialog() = default;
    // The text given with OK, as UTF-8; nothing when the prompt is cancelled
    // (Cancel, Escape or closing it).
    virtual std::optional<std::string> ask(const TextRequest& request) = 0;
};

}  // namespace ts
