#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMenu>
#include <QScreen>
#include <QToolButton>
#include <QTest>

#include <QInputMethodEvent>
#include <QKeyEvent>

#include <functional>
#include <optional>

#include "gui/qt_text_dialog.hpp"
#include "support/qt_application.hpp"
#include "when_modal_opens.hpp"

namespace ts {
namespace {

struct TwipsCase {
    int twips;
    double dpi;
    int pixels;
};

TEST(TwipsToPixels, ConvertsWithTheScreensDotsPerInch) {
    const TwipsCase cases[] = {
        {2200, 96, 147}, {4000, 96, 267},  {1440, 96, 96},   {0, 96, 0},       {15, 96, 1},
        {7, 96, 0},      {2200, 120, 183}, {4000, 120, 333}, {2200, 144, 220}, {4000, 144, 400},
    };
    for (const TwipsCase& c : cases) EXPECT_EQ(twipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
}

// The prompt sits at its offset from the corner of the screen that holds
// the window, wherever that screen lies on the desktop.
TEST(PromptPosition, IsOffsetFromTheWindowsScreen) {
    const struct {
        QRect screen;
        double dpi;
        QPoint at;
    } cases[] = {
        {{0, 0, 1920, 1080}, 96, {147, 267}},      // the primary screen
        {{1920, 0, 1280, 800}, 96, {2067, 267}},   // a second screen to the right
        {{-1280, 200, 1280, 800}, 96, {-1133, 467}},  // one to the left, lower
        {{0, 1080, 3840, 2160}, 144, {220, 1480}},    // one below, denser
    };
    for (const auto& c : cases)
        EXPECT_EQ(promptPosition(c.screen, 2200, 4000, c.dpi, c.dpi), c.at) << c.screen.x() << "," << c.screen.y();
}

TEST(PromptWindowFlags, APlainDialogWithACloseButton) {
    const Qt::WindowFlags flags = promptWindowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
}

TEST(PromptLines, CarriageReturnsStartNewLines) {
    const std::pair<std::string_view, QString> cases[] = {
        {"type any text (100 characters max)\rthe program is case-sensitive",
         QStringLiteral("type any text (100 characters max)\nthe program is case-sensitive")},
        {"one\r\ntwo", QStringLiteral("one\ntwo")},
        {"one", QStringLiteral("one")},
        {"\r", QStringLiteral("\n")},
    };
    for (const auto& [prompt, lines] : cases) EXPECT_EQ(promptLines(prompt), lines) << prompt;
}

// What the user does once the dialog is open.
struct Answer {
    const char* name;
    std::function<void(QDialog&, QLineEdit&)> act;
    std::optional<std::string> expected;  // nothing: cancelled
};

QPushButton* button(QDialog& dialog, QDialogButtonBox::StandardButton which) {
    auto* box = dialog.findChild<QDialogButtonBox*>();
    return box ? box->button(which) : nullptr;
}

void clickButton(QDialog& dialog, QDialogButtonBox::StandardButton which) {
    QPushButton* b = button(dialog, which);
    if (b)
        b->click();
    else
        dialog.reject();  // so that a failing test still ends
}

void PrintTo(const Answer& a, std::ostream* os) { *os << a.name; }

class QtTextDialogAnswer : public ::testing::TestWithParam<Answer> {};

TEST_P(QtTextDialogAnswer, ShowsThePromptWhereToldAndReturnsTheAnswer) {
    testing::application();
    const Answer answer = GetParam();
    QtTextDialog prompt;

    const testing::WhenModalOpens<> whenOpen([&](QDialog& open) {
        QDialog* dialog = &open;
        auto* field = dialog->findChild<QLineEdit*>();
        auto* label = dialog->findChild<QLabel*>(QStringLiteral("prompt"));
        EXPECT_TRUE(dialog->isModal());
        EXPECT_TRUE(dialog->windowTitle().isEmpty());
        // A plain dialog: a close button, no minimise or maximise.
        const Qt::WindowFlags flags = dialog->windowFlags();
        EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
        EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
        EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
        auto* refusal = dialog->findChild<QLabel*>(QStringLiteral("refusal"));
        EXPECT_TRUE(refusal == nullptr || !refusal->isVisible());
        EXPECT_NE(label, nullptr);
        if (label) {
            EXPECT_EQ(label->text(), QStringLiteral("first line\nsecond line"));
        }
        const QScreen* screen = QGuiApplication::primaryScreen();
        EXPECT_EQ(dialog->pos(),
                  screen->geometry().topLeft() + QPoint(twipsToPixels(2200, screen->logicalDotsPerInchX()),
                                                        twipsToPixels(4000, screen->logicalDotsPerInchY())));
        EXPECT_NE(button(*dialog, QDialogButtonBox::Ok), nullptr);
        EXPECT_NE(button(*dialog, QDialogButtonBox::Cancel), nullptr);
        if (!field) {
            dialog->reject();
            FAIL() << "no input field";
        }
        EXPECT_TRUE(field->text().isEmpty());
        answer.act(*dialog, *field);
        if (dialog->isVisible()) dialog->reject();
    });

    EXPECT_EQ(prompt.ask({"first line\rsecond line", 2200, 4000, {}, {}, {}}), answer.expected);
    EXPECT_EQ(whenOpen.times(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, QtTextDialogAnswer,
    ::testing::Values(Answer{"OkReturnsTheText",
                             [](QDialog& d, QLineEdit& f) {
                                 QTest::keyClicks(&f, QStringLiteral("Hello "));
                                 f.insert(QStringLiteral(
                                     "\u00e9t\u00e9"));  // keys beyond ASCII, as an input method gives them
                                 clickButton(d, QDialogButtonBox::Ok);
                             },
                             "Hello \xC3\xA9t\xC3\xA9"},
                      Answer{"EnterReturnsTheText",
                             [](QDialog&, QLineEdit& f) {
                                 QTest::keyClicks(&f, QStringLiteral("abc"));
                                 QTest::keyClick(&f, Qt::Key_Return);
                             },
                             "abc"},
                      Answer{"OkOnAnEmptyFieldReturnsTheEmptyText",
                             [](QDialog& d, QLineEdit&) { clickButton(d, QDialogButtonBox::Ok); }, ""},
                      Answer{"CancelReturnsNothing",
                             [](QDialog& d, QLineEdit& f) {
                                 QTest::keyClicks(&f, QStringLiteral("typed"));
                                 clickButton(d, QDialogButtonBox::Cancel);
                             },
                             std::nullopt},
                      Answer{"EscapeReturnsNothing",
                             [](QDialog&, QLineEdit& f) {
                                 QTest::keyClicks(&f, QStringLiteral("typed"));
                                 QTest::keyClick(&f, Qt::Key_Escape);
                             },
                             std::nullopt},
                      Answer{"ClosingReturnsNothing",
                             [](QDialog& d, QLineEdit& f) {
                                 QTest::keyClicks(&f, QStringLiteral("typed"));
                                 d.close();
                             },
                             std::nullopt},
                      Answer{"TypingStopsAt100Characters",
                             [](QDialog& d, QLineEdit& f) {
                                 QTest::keyClicks(&f, QString(98, QLatin1Char('a')));
                                 for (int k = 0; k < 4; ++k) {  // a key beyond ASCII, as a keyboard types it
                                     QKeyEvent key(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier,
                                                   QStringLiteral("\u00e9"));
                                     QCoreApplication::sendEvent(&f, &key);
                                 }
                                 EXPECT_EQ(f.text().size(), 100);
                                 clickButton(d, QDialogButtonBox::Ok);
                             },
                             std::string(98, 'a') + "\xC3\xA9\xC3\xA9"},
                      Answer{"AnEmojiCountsAsOneCharacter",
                             [](QDialog& d, QLineEdit& f) {
                                 f.setText(QString(99, QLatin1Char('a')));
                                 f.end(false);
                                 // Typed with an input method, two UTF-16 units.
                                 QInputMethodEvent compose;
                                 compose.setCommitString(QStringLiteral("\U0001F600\U0001F600"));
                                 QCoreApplication::sendEvent(&f, &compose);
                                 clickButton(d, QDialogButtonBox::Ok);
                             },
                             std::string(99, 'a') + "\xF0\x9F\x98\x80"},
                      Answer{"APasteIsTakenWhole",
                             [](QDialog& d, QLineEdit& f) {
                                 QTest::keyClicks(&f, QString(90, QLatin1Char('a')));
                                 f.insert(QString(20, QLatin1Char('b')));  // as a paste inserts
                                 clickButton(d, QDialogButtonBox::Ok);
                             },
                             std::string(90, 'a') + std::string(20, 'b')}),
    [](const ::testing::TestParamInfo<Answer>& info) { return std::string(info.param.name); });

TEST(QtTextDialog, EveryPromptStartsWithAnEmptyField) {
    testing::application();
    QtTextDialog prompt;
    std::vector<QString> fieldsAtOpening;
    testing::WhenModalOpens<> answer([&](QDialog& dialog) {
        auto* field = dialog.findChild<QLineEdit*>();
        fieldsAtOpening.push_back(field ? field->text() : QStringLiteral("(none)"));
        if (field) QTest::keyClicks(field, QStringLiteral("first"));
        dialog.accept();
    });
    for (int k = 0; k < 2; ++k) {
        if (k > 0) answer.again();
        EXPECT_EQ(prompt.ask({"p", 0, 0, {}, {}, {}}), "first");
    }
    EXPECT_EQ(fieldsAtOpening, (std::vector<QString>{QString(), QString()}));
}

// A text that was refused comes back in the field, for editing, with the
// reason shown in the program's own words.
TEST(QtTextDialog, ShowsTheRefusedTextAndWhy) {
    testing::application();
    QtTextDialog prompt;
    const std::string refused = std::string(120, 'x');
    QString fieldAtOpening, reasonShown;
    bool reasonVisible = false;
    const testing::WhenModalOpens<> answer([&](QDialog& dialog) {
        auto* field = dialog.findChild<QLineEdit*>();
        auto* refusal = dialog.findChild<QLabel*>(QStringLiteral("refusal"));
        if (field) fieldAtOpening = field->text();
        if (refusal) {
            reasonShown = refusal->text();
            reasonVisible = refusal->isVisible();
        }
        if (field) {
            field->setSelection(100, 20);
            QTest::keyClick(field, Qt::Key_Delete);
        }
        dialog.accept();
    });
    const std::string reason = "the text has 120 characters; at most 100 are allowed";
    EXPECT_EQ(prompt.ask({"p", 0, 0, refused, reason, {}}), std::string(100, 'x'));
    EXPECT_EQ(fieldAtOpening.toStdString(), refused);
    EXPECT_TRUE(reasonVisible);
    EXPECT_EQ(reasonShown.toStdString(), "The text has 120 characters; at most 100 are allowed");
}

struct RecallCase {
    const char* what;
    const char* typed;                  // before the keys
    std::vector<Qt::Key> keys;
    QString shown;                      // in the field after them
};

// Up brings back older texts, Down newer ones and, past the latest, what was
// being typed; neither goes beyond the ends.
TEST(QtTextDialog, UpAndDownBringBackRecentTexts) {
    testing::application();
    const RecallCase cases[] = {
        {"nothing pressed", "", {}, QString()},
        {"up once: the latest", "", {Qt::Key_Up}, QStringLiteral("third")},
        {"up three times: the oldest", "", {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up}, QStringLiteral("first")},
        {"up past the oldest stays", "", {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up}, QStringLiteral("first")},
        {"up, up, down", "", {Qt::Key_Up, Qt::Key_Up, Qt::Key_Down}, QStringLiteral("third")},
        {"down past the latest gives back the typing", "draft", {Qt::Key_Up, Qt::Key_Down}, QStringLiteral("draft")},
        {"down at the typing stays", "draft", {Qt::Key_Down}, QStringLiteral("draft")},
    };
    QtTextDialog prompt;
    for (const RecallCase& c : cases) {
        SCOPED_TRACE(c.what);
        QString atOpening = QStringLiteral("(not opened)"), shown;
        const testing::WhenModalOpens<> answer([&](QDialog& dialog) {
            auto* field = dialog.findChild<QLineEdit*>();
            if (!field) {
                dialog.reject();
                return;
            }
            atOpening = field->text();
            QTest::keyClicks(field, QString::fromLatin1(c.typed));
            for (Qt::Key key : c.keys) QTest::keyClick(field, key);
            shown = field->text();
            dialog.accept();
        });
        const std::optional<std::string> given = prompt.ask({"p", 0, 0, {}, {}, {"third", "second", "first"}});
        EXPECT_EQ(atOpening, QString());
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(given, c.shown.toStdString());
    }
}

// The drop-down beside the field lists the same texts, as they are; picking
// one puts it in the field. With none it is disabled.
TEST(QtTextDialog, TheDropDownListsRecentTexts) {
    testing::application();
    QtTextDialog prompt;
    for (const std::vector<std::string>& recent : {std::vector<std::string>{"a&b", "second"}, std::vector<std::string>{}}) {
        QStringList listed;
        bool enabled = false;
        const testing::WhenModalOpens<> answer([&](QDialog& dialog) {
            auto* button = dialog.findChild<QToolButton*>(QStringLiteral("recent"));
            auto* field = dialog.findChild<QLineEdit*>();
            if (!button || !button->menu() || !field) {
                dialog.reject();
                return;
            }
            enabled = button->isEnabled();
            for (QAction* item : button->menu()->actions()) listed.append(QString(item->text()).replace(QStringLiteral("&&"), QStringLiteral("&")));
            if (!button->menu()->actions().isEmpty()) button->menu()->actions().back()->trigger();
            dialog.accept();
        });
        const std::optional<std::string> given = prompt.ask({"p", 0, 0, {}, {}, recent});
        QStringList expected;
        for (const std::string& text : recent) expected.append(QString::fromStdString(text));
        EXPECT_EQ(listed, expected);
        EXPECT_EQ(enabled, !recent.empty());
        EXPECT_EQ(given, recent.empty() ? std::string() : recent.back());
    }
}

TEST(CharacterCount, CountsCodePoints) {
    EXPECT_EQ(characterCount(QString()), 0);
    EXPECT_EQ(characterCount(QStringLiteral("abc")), 3);
    EXPECT_EQ(characterCount(QStringLiteral("\u00e9t\u00e9")), 3);
    EXPECT_EQ(characterCount(QStringLiteral("\U0001F600x\U0001F600")), 3);
}

}  // namespace
}  // namespace ts
