#include "gui/dropped_text.hpp"

#include "seed/read_text_seed.hpp"

namespace ts {

DroppedText takeDroppedText(const QString& dropped) {
    qsizetype lineEnd = 0;
    while (lineEnd < dropped.size() && dropped[lineEnd] != QLatin1Char('\n') && dropped[lineEnd] != QLatin1Char('\r'))
        ++lineEnd;
    const bool moreLines = !dropped.mid(lineEnd).trimmed().isEmpty();

    // A surrogate pair is one character.
    qsizetype end = 0;
    for (int characters = 0; end < lineEnd && characters < kMaxTextLength; ++characters) {
        const bool pair = dropped[end].isHighSurrogate() && end + 1 < lineEnd && dropped[end + 1].isLowSurrogate();
        end += pair ? 2 : 1;
    }
    const bool cut = end < lineEnd;

    const std::string first = "took the first " + std::to_string(kMaxTextLength) + " characters of the dropped text";
    std::string note;
    if (moreLines && cut)
        note = first + "'s first line";
    else if (moreLines)
        note = "took the first line of the dropped text";
    else if (cut)
        note = first;
    return {dropped.left(end).toStdString(), note};
}

}  // namespace ts
