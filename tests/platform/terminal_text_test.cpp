#include <gtest/gtest.h>

#include <string>

#include "platform/terminal_text.hpp"

namespace ts {
namespace {

TEST(TerminalText, EscapesWhatCouldDriveATerminalAndKeepsTheRest) {
    struct Case {
        std::string text, shown;
    } const cases[] = {
        {"", ""},
        {"hello world", "hello world"},
        {"Zażółć gęślą jaźń 日本 🙂", "Zażółć gęślą jaźń 日本 🙂"},
        {"a\\b", "a\\b"},  // a backslash stays one
        {"\x1B]0;owned\x07\x1B[2J", "\\x1B]0;owned\\x07\\x1B[2J"},
        {"one\ntextscape-render: forged", "one\\x0Atextscape-render: forged"},
        {"cr\rtab\tnul" + std::string(1, '\0'), "cr\\x0Dtab\\x09nul\\x00"},
        {"del\x7F", "del\\x7F"},
        {"\xC2\x9B"
         "31m",
         "\\u009B31m"},                                          // CSI
        {"next\xC2\x85line", "next\\u0085line"},                 // NEL
        {"\xC2\x80\xC2\x9F\xC2\xA0", "\\u0080\\u009F\xC2\xA0"},  // C1's ends; no-break space kept
        {"abc\xE2\x80\xAE"
         "cba",
         "abc\\u202Ecba"},
        {"\xE2\x80\xAA\xE2\x80\xAD", "\\u202A\\u202D"},
        {"\xE2\x81\xA6x\xE2\x81\xA9", "\\u2066x\\u2069"},
        {"\xE2\x80\xA8\xE2\x80\xA9", "\\u2028\\u2029"},
        {"\xE2\x80\x8F\xD8\x9C", "\\u200F\\u061C"},
        {"\xE2\x80\xA9x\xE2\x80\xAF", "\\u2029x\xE2\x80\xAF"},  // U+202F is a space
        {"bad\xFF", "bad\\xFF"},
        {"\xC0\xAF", "\\xC0\\xAF"},           // overlong
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},  // a surrogate
        {"cut\xE2\x80", "cut\\xE2\\x80"},
    };
    for (const Case& c : cases) EXPECT_EQ(terminalText(c.text), c.shown) << c.shown;
}

TEST(TerminalText, LeavesNoControlByteInAnyOutput) {
    // Every single byte and every two-byte sequence: what comes out is
    // printable ASCII or UTF-8 without C0, DEL or C1.
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const std::string text{static_cast<char>(a), static_cast<char>(b)};
            const std::string shown = terminalText(text);
            for (std::size_t k = 0; k < shown.size(); ++k) {
                const auto byte = static_cast<unsigned char>(shown[k]);
                ASSERT_FALSE(byte < 0x20 || byte == 0x7F) << a << ' ' << b;
                if (byte == 0xC2 && k + 1 < shown.size()) {
                    const auto next = static_cast<unsigned char>(shown[k + 1]);
                    ASSERT_FALSE(next >= 0x80 && next <= 0x9F) << a << ' ' << b;
                }
            }
        }
    }
}

}  // namespace
}  // namespace ts
