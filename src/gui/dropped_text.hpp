#pragma once

#include <QString>

#include <string>

namespace ts {

// What a text dropped on the window gives: the picture's text, which is its
// first line cut to kMaxTextLength characters (code points), and the note
// the status line shows when that is less than all of it (empty when it is
// all of it). Line breaks and white space after the first line alone are
// not more lines.
struct DroppedText {
    std::string text;
    std::string note;

    friend bool operator==(const DroppedText&, const DroppedText&) = default;
};

DroppedText takeDroppedText(const QString& dropped);

}  // namespace ts
