#include <gtest/gtest.h>

#include <string>

#include "gui/window_words.hpp"
#include "seed/read_text_seed.hpp"
#include "support/qt_application.hpp"
#include "window_fixture.hpp"

namespace ts {
namespace {

TEST(WindowWords, SaysWhatAPersonSees) {
    const struct {
        std::string message;
        const char* said;
    } cases[] = {
        {"the text has a control character (U+000A) at position 9", "the text has a line break at position 9"},
        {"the text has a control character (U+000D) at position 1", "the text has a line break at position 1"},
        {"the text has a control character (U+2028) at position 3", "the text has a line break at position 3"},
        {"the text has a control character (U+0009) at position 2", "the text has a tab at position 2"},
        {"the text has a control character (U+001B) at position 1", "the text has an escape character at position 1"},
        {"the text has a control character (U+007F) at position 2", "the text has a delete character at position 2"},
        {"the text has a control character (U+0000) at position 4", "the text has a null character at position 4"},
        {"the text has a control character (U+0091) at position 5",
         "the text has an invisible control character (U+0091) at position 5"},
        {"no Textscape recipe in its text chunks", "this PNG was not made by Textscape"},
        {"no Textscape recipe in its text chunks (its Software is not a Textscape program)",
         "this PNG was not made by Textscape"},
        {"x.png: no Textscape recipe in its text chunks", "x.png: this PNG was not made by Textscape"},
        {"the text is not valid UTF-8", "the text is not valid UTF-8"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(windowWords(c.message).toStdString(), c.said) << c.message;
}

// The refusals the program really gives read as the table says.
TEST(WindowWords, TheProgramsOwnRefusalsOfALineBreakAndATab) {
    const Outcome lineBreak = checkText("abcdefgh\nij");
    ASSERT_FALSE(lineBreak);
    EXPECT_TRUE(windowWords(lineBreak.message).contains(QStringLiteral("a line break at position 9")))
        << lineBreak.message;
    const Outcome tab = checkText("a\tb");
    ASSERT_FALSE(tab);
    EXPECT_TRUE(windowWords(tab.message).contains(QStringLiteral("a tab at position 2"))) << tab.message;
}

class SaveMarkTest : public testing::WindowFixture {
    void beforeStart() override { qputenv("XDG_PICTURES_DIR", QByteArray::fromStdString((base / "Pictures").string())); }
    void TearDown() override {
        qunsetenv("XDG_PICTURES_DIR");
        WindowFixture::TearDown();
    }
};

// The save's moving mark under the canvas is gone once the save is done.
TEST_F(SaveMarkTest, TheProgressMarkIsClearedWhenTheSaveIsDone) {
    const Raster before = form->windowSurface().raster();
    form->Command3_Click();
    ASSERT_TRUE(saveFailures.empty()) << saveFailures.front();
    ASSERT_NE(form->statusLine().indexOf(QStringLiteral("saved to")), -1) << form->statusLine().toStdString();
    const Raster& after = form->windowSurface().raster();
    int lit = 0;
    for (int y = layout::kMarkTop; y <= layout::kMarkBottom; ++y)
        for (int x = 0; x < layout::kSaveStatus.x; ++x) {
            lit += !(after.at(x, y) == Colour::black());
            EXPECT_TRUE(after.at(x, y) == before.at(x, y)) << x << "," << y;
        }
    EXPECT_EQ(lit, 0);
}

}  // namespace
}  // namespace ts
