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

// Told of the text in the prompt's field each time it changes while the
// prompt is open.
class TypingWatcher {
public:
    virtual ~TypingWatcher() = default;
    // The field holds `text` (UTF-8) now; the answer is why the program
    // would refuse it, in the window's words, or empty when it would take it.
    virtual std::string typed(const std::string& text) = 0;
};

// A modal prompt with a one-line field.
class TextDialog {
public:
    virtual ~TextDialog() = default;
    // The text given with OK, as UTF-8; nothing when the prompt is cancelled
    // (Cancel, Escape or closing it).
    virtual std::optional<std::string> ask(const TextRequest& request) = 0;

    // Who is told of the text as it is typed, and shows the refusal it
    // answers; nobody unless set.
    void setWatcher(TypingWatcher* watcher) { watcher_ = watcher; }
    TypingWatcher* watcher() const { return watcher_; }

private:
    TypingWatcher* watcher_ = nullptr;
};

}  // namespace ts
