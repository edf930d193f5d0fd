#include "gui/dropped_text.hpp"

#include <gtest/gtest.h>

#include <string>

namespace ts {
namespace {

std::string repeat(const std::string& unit, int times) {
    std::string out;
    for (int k = 0; k < times; ++k) out += unit;
    return out;
}

const std::string kSmile = "\xF0\x9F\x98\x80";  // U+1F600, two UTF-16 units
const std::string kFirstLine = "took the first line of the dropped text";
const std::string kCut = "took the first 100 characters of the dropped text";
const std::string kCutFirstLine = "took the first 100 characters of the dropped text's first line";

struct DropCase {
    const char* what;
    std::string dropped;
    DroppedText taken;
};

TEST(TakeDroppedText, IsTheFirstLineCutTo100CharactersWithANoteWhenLessThanAll) {
    const DropCase cases[] = {
        {"one line", "a dropped text", {"a dropped text", ""}},
        {"nothing", "", {"", ""}},
        {"a trailing line break", "line\n", {"line", ""}},
        {"trailing blank lines and spaces", "line\r\n  \n\t\n", {"line", ""}},
        {"two lines", "abc\ndef", {"abc", kFirstLine}},
        {"Windows line ends", "abc\r\ndef\r\n", {"abc", kFirstLine}},
        {"a carriage return alone", "abc\rdef", {"abc", kFirstLine}},
        {"an empty first line", "\nsecond", {"", kFirstLine}},
        {"spaces kept on the first line", "  two  words  \nnext", {"  two  words  ", kFirstLine}},
        {"100 characters", repeat("x", 100), {repeat("x", 100), ""}},
        {"101 characters", repeat("x", 101), {repeat("x", 100), kCut}},
        {"101 accented letters", repeat("\xC3\xA9", 101), {repeat("\xC3\xA9", 100), kCut}},
        {"101 emoji", repeat(kSmile, 101), {repeat(kSmile, 100), kCut}},
        {"an emoji as the 100th character", repeat("a", 99) + kSmile + "b", {repeat("a", 99) + kSmile, kCut}},
        {"an emoji as the 101st character", repeat("a", 100) + kSmile, {repeat("a", 100), kCut}},
        {"a long first line of two", repeat("x", 120) + "\nsecond", {repeat("x", 100), kCutFirstLine}},
        {"100 characters, then a line", repeat("x", 100) + "\nsecond", {repeat("x", 100), kFirstLine}},
    };
    for (const DropCase& c : cases) {
        const DroppedText taken = takeDroppedText(QString::fromStdString(c.dropped));
        EXPECT_EQ(taken.text, c.taken.text) << c.what;
        EXPECT_EQ(taken.note, c.taken.note) << c.what;
    }
}

}  // namespace
}  // namespace ts
