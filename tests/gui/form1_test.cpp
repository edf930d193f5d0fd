#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "annotate/caption.hpp"
#include "gui/main_window.hpp"
#include "gui/window_words.hpp"
#include "numeric/statement.hpp"
#include "qt/qt_surfaces.hpp"
#include "seed/read_text_seed.hpp"
#include "support/canvas_checksum.hpp"
#include "support/caption_pictures.hpp"
#include "support/fakes.hpp"
#include "support/qt_application.hpp"
#include "support/test_folder.hpp"

namespace ts {
namespace {

using testing::ScriptedDialog;

const std::string kPrompt = "type any text (100 characters max)\rthe program is case-sensitive";

std::vector<std::string> picture(int times) {
    const std::vector<std::string> once = {"ReadTextSeed", "BuildPalette", "DrawParameters",
                                           "DrawInfoLine", "RenderField",  "PrintCaption"};
    std::vector<std::string> all;
    for (int k = 0; k < times; ++k) all.insert(all.end(), once.begin(), once.end());
    return all;
}

std::string repeat(const std::string& unit, int times) {
    std::string out;
    for (int k = 0; k < times; ++k) out += unit;
    return out;
}

// Each window keeps its settings (recent texts, the folder used last) in a
// file of its own, so that no test sees what another left.
QString freshSettings() { return QString::fromStdString((testing::freshFolder() / "settings.ini").string()); }

class Form1Test : public ::testing::Test {
protected:
    void SetUp() override {
        testing::application();
        auto scripted = std::make_unique<ScriptedDialog>();
        scripted->answer = "Hello, Textscape";
        dialog = scripted.get();
        form = std::make_unique<Form1>(std::move(scripted), std::make_unique<FixedClock>(testing::testClock()));
        form->setSettingsFile(freshSettings());
        form->tools().onStage = [this](std::string_view stage) { stages.emplace_back(stage); };
        form->setErrorReport([this](const QString& text) { reports.push_back(text); });
    }
    void TearDown() override {
        if (form->ended()) testing::takePendingEnd();
    }

    QWidget* control(const char* name) { return form->findChild<QWidget*>(QString::fromLatin1(name)); }
    void click(const char* name) {
        auto* button = qobject_cast<QPushButton*>(control(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    std::string focused() const {
        QWidget* widget = form->focusWidget();
        return widget ? widget->objectName().toStdString() : "(none)";
    }
    QAction* action(const QString& text) {
        for (QAction* a : form->actions())
            if (a->text() == text) return a;
        return nullptr;
    }

    // Runs the event loop until the program ends (or a stuck test gives up).
    int runUntilEnded() {
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        watchdog.start(60000);
        return QCoreApplication::exec();
    }

    ScriptedDialog* dialog = nullptr;
    std::unique_ptr<Form1> form;
    std::vector<std::string> stages;
    std::vector<QString> reports;
};

struct ControlCase {
    const char* name;
    const char* caption;  // nullptr for a picture area
    QRect geometry;
};

QRect rectOf(const layout::Rect& r) { return {r.x, r.y, r.width, r.height}; }

const ControlCase kControls[] = {
    {"Command1", "CREATE TEXT-BASE IMAGE", rectOf(layout::kHeadingButton)},
    {"Picture2", nullptr, rectOf(layout::kPicture2)},
    {"Picture1", nullptr, rectOf(layout::kPicture1)},
    {"Command5", "new text / new image", rectOf(layout::kNewButton)},
    {"Command2", "exit", rectOf(layout::kExitButton)},
    {"Command3", "save on disk D:", rectOf(layout::kSaveButton)},
    {"Command4", nullptr, rectOf(layout::kBannerButton)},
};

TEST_F(Form1Test, ControlsSitWhereTheLayoutPutsThemWithTheirCaptions) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Form1"));
    // The seven controls, and the menu button beside the canvas.
    EXPECT_EQ(form->clientArea()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(),
              std::size(kControls) + 1);
    for (const ControlCase& c : kControls) {
        SCOPED_TRACE(c.name);
        QWidget* widget = control(c.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget(), form->clientArea());
        EXPECT_EQ(widget->geometry(), c.geometry);
        auto* button = qobject_cast<QPushButton*>(widget);
        const bool isPicture = std::string_view(c.name).starts_with("Picture");
        EXPECT_EQ(button == nullptr, isPicture);
        if (!button) continue;
        if (c.caption) {
            EXPECT_EQ(button->text(), QString::fromUtf8(c.caption));
        }
        // The caption fits its button.
        const QFontMetrics metrics(button->font());
        EXPECT_LE(metrics.horizontalAdvance(button->text()), c.geometry.width() - 4);
        EXPECT_LE(metrics.height(), c.geometry.height());
    }
}

TEST_F(Form1Test, CreditBannerNamesTheProgramWithoutAddresses) {
    auto* banner = qobject_cast<QPushButton*>(control("Command4"));
    ASSERT_NE(banner, nullptr);
    const QString text = banner->text();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Textscape")));
    EXPECT_GT(text.size(), QStringLiteral("Textscape").size() + 10);  // and a description
    for (const char* address : {"@", "http", "www", ".com", ".org"})
        EXPECT_FALSE(text.contains(QLatin1String(address)));
}

// The composite is only the save's source: no second copy of the picture
// shows up-left of the canvas.
TEST_F(Form1Test, CompositeIsHiddenAndOnlyTheCanvasShows) {
    form->start();
    QWidget* client = form->clientArea();
    EXPECT_FALSE(control("Picture2")->isVisible());
    EXPECT_TRUE(control("Picture1")->isVisible());
    // The save's source has the canvas's size: no row lost, no column added.
    EXPECT_EQ(control("Picture2")->size(), QSize(600, 450));
    EXPECT_EQ(form->composite().raster().width(), 600);
    EXPECT_EQ(form->composite().raster().height(), 450);
    EXPECT_EQ(client->childAt(28, 76), nullptr);  // where only the composite lay
    EXPECT_EQ(client->childAt(40, 90), control("Picture1"));
    EXPECT_EQ(client->childAt(631, 529), control("Picture1"));
    const QImage shown = client->grab().toImage();
    for (const QPoint p : {QPoint(24, 72), QPoint(28, 300), QPoint(300, 75), QPoint(28, 525)})
        EXPECT_EQ(shown.pixelColor(p), QColor(Qt::black)) << p.x() << "," << p.y();
}

// After a picture the focus is on "new text / new image": a stray Space or
// Return asks for a new text instead of ending the program. Tab walks the
// three buttons that act, in their order, and the menu button; nothing else
// takes the focus.
TEST_F(Form1Test, FocusStartsOnNewTextAndTabWalksTheButtonsThatAct) {
    form->start();
    QApplication::setActiveWindow(form.get());
    EXPECT_EQ(focused(), "Command5");
    std::vector<std::string> forward = {focused()};
    for (int k = 0; k < 4; ++k) {
        QTest::keyClick(form->focusWidget(), Qt::Key_Tab);
        forward.push_back(focused());
    }
    EXPECT_EQ(forward, (std::vector<std::string>{"Command5", "Command3", "menuButton", "Command2", "Command5"}));
    std::vector<std::string> backward = {focused()};
    for (int k = 0; k < 4; ++k) {
        QTest::keyClick(form->focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        backward.push_back(focused());
    }
    EXPECT_EQ(backward, (std::vector<std::string>{"Command5", "Command2", "menuButton", "Command3", "Command5"}));
    for (const char* name : {"Command1", "Command4", "Picture1", "Picture2"})
        EXPECT_EQ(control(name)->focusPolicy(), Qt::NoFocus) << name;

    // Space on the focused button asks for a text; the program goes on.
    QTest::keyClick(form->focusWidget(), Qt::Key_Space);
    EXPECT_EQ(dialog->requests.size(), 2u);
    EXPECT_FALSE(form->ended());
    EXPECT_EQ(focused(), "Command5");
}

TEST_F(Form1Test, WindowIsMaximizedAndBlackBeforeThePromptOpens) {
    bool visible = false, maximized = false, exposed = false;
    QImage onScreen;
    dialog->onAsk = [&] {
        if (dialog->requests.size() != 1) return;
        visible = form->isVisible();
        maximized = form->windowState().testFlag(Qt::WindowMaximized);
        exposed = form->windowHandle() && form->windowHandle()->isExposed();
        onScreen = form->clientArea()->grab().toImage();
    };
    form->start();
    EXPECT_TRUE(visible);
    EXPECT_TRUE(maximized);
    EXPECT_TRUE(exposed);
    ASSERT_FALSE(onScreen.isNull());
    for (const QPoint p : {QPoint(5, 5), QPoint(10, 300), QPoint(700, 150), QPoint(700, 570), QPoint(300, 560 - 5)})
        EXPECT_EQ(onScreen.pixelColor(p), QColor(Qt::black)) << p.x() << "," << p.y();
}

TEST_F(Form1Test, StagesRunInOrderAtStartUpAndForEveryNewPicture) {
    form->start();
    EXPECT_EQ(stages, picture(1));
    EXPECT_FALSE(form->ended());

    click("Command5");
    EXPECT_EQ(stages, picture(2));
    click("Command5");
    EXPECT_EQ(stages, picture(3));

    // The text made last comes back among the recent texts, once.
    const TextRequest first{kPrompt, 2200, 4000, {}, {}, {}};
    const TextRequest later{kPrompt, 2200, 4000, {}, {}, {"Hello, Textscape"}};
    EXPECT_EQ(dialog->requests, (std::vector<TextRequest>{first, later, later}));
    // The picture is named after the injected clock.
    EXPECT_EQ(form->state().imeslike, "T20260308140509");
    EXPECT_EQ(form->state().t, "Hello, Textscape");
    EXPECT_TRUE(reports.empty());
}

// The texts made into pictures are offered again by the next run's prompt,
// the latest first, as they were drawn (an accent typed apart, NFD, kept
// composed, NFC).
TEST(Form1Recent, TextsMadeArePromptedInTheNextRun) {
    testing::application();
    const QString settings = freshSettings();
    {
        auto scripted =
            std::make_unique<ScriptedDialog>(std::vector<std::optional<std::string>>{"one", "two", "cafe\xCC\x81"});
        Form1 form(std::move(scripted), std::make_unique<FixedClock>(testing::testClock()));
        form.setSettingsFile(settings);
        form.start();
        form.Command5_Click();
        form.Command5_Click();
    }
    auto scripted = std::make_unique<ScriptedDialog>(std::vector<std::optional<std::string>>{"three"});
    ScriptedDialog& dialog = *scripted;
    Form1 form(std::move(scripted), std::make_unique<FixedClock>(testing::testClock()));
    form.setSettingsFile(settings);
    form.start();
    ASSERT_EQ(dialog.requests.size(), 1u);
    EXPECT_EQ(dialog.requests[0].recent, (std::vector<std::string>{"caf\xC3\xA9", "two", "one"}));
    EXPECT_TRUE(dialog.requests[0].text.empty());
}

// Cancelling the prompt (Cancel, Escape, closing it) keeps the picture there
// is, perhaps not saved yet: nothing is drawn and nothing changes.
TEST_F(Form1Test, CancellingThePromptKeepsThePicture) {
    form->start();
    const Raster window = form->windowSurface().raster(), canvas = form->canvas().raster();
    const std::size_t stagesBefore = stages.size();
    dialog->answer.reset();
    click("Command5");
    EXPECT_EQ(dialog->requests.size(), 2u);
    EXPECT_EQ(stages.size(), stagesBefore);
    EXPECT_TRUE(form->canvas().raster() == canvas);
    EXPECT_TRUE(form->windowSurface().raster() == window);
    EXPECT_EQ(form->state().t, "Hello, Textscape");
    EXPECT_EQ(focused(), "Command5");

    // OK on an empty field is a choice: the empty text's picture.
    dialog->answer = "";
    click("Command5");
    EXPECT_EQ(stages.size(), stagesBefore + picture(1).size());
    EXPECT_EQ(form->state().t, "");
    EXPECT_EQ(form->state().seed.value(), 123456);
}

// A refused text comes back in the prompt, with the reason the program
// gives, until a text is taken; at start-up a cancel, with no picture yet,
// gives the empty text's picture.
TEST(Form1Prompt, RefusedTextIsAskedAgainWithItsReasonAndKept) {
    testing::application();
    const std::string tooLong = repeat("\xC3\xA9", 101), notUtf8 = "abc\xFF";
    const struct {
        const char* what;
        std::vector<std::optional<std::string>> answers;
        std::vector<std::string> refused;  // the texts brought back, in turn
        std::string accepted;
    } cases[] = {
        {"101 characters, then 100", {tooLong, repeat("\xC3\xA9", 100)}, {tooLong}, repeat("\xC3\xA9", 100)},
        {"200 bytes are 100 characters", {repeat("\xC3\xBF", 100)}, {}, repeat("\xC3\xBF", 100)},
        {"100 emoji are 100 characters", {repeat("\xF0\x9F\x98\x80", 100)}, {}, repeat("\xF0\x9F\x98\x80", 100)},
        {"not UTF-8, then too long, then taken", {notUtf8, tooLong, "ok"}, {notUtf8, tooLong}, "ok"},
        {"a tab, an escape and a DEL, then plain",
         {"a\tb", "\x1B[0m", "x\x7F", "ab"},
         {"a\tb", "\x1B[0m", "x\x7F"},
         "ab"},
        {"a pasted line break, then a space", {"abc\ndef", "abc def"}, {"abc\ndef"}, "abc def"},
        {"cancel at start-up", {}, {}, ""},
        {"too long, then cancel at start-up", {repeat("x", 150)}, {repeat("x", 150)}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto scripted = std::make_unique<ScriptedDialog>(c.answers);
        ScriptedDialog& dialog = *scripted;
        Form1 form(std::move(scripted), std::make_unique<FixedClock>(testing::testClock()));
        form.setSettingsFile(freshSettings());
        form.start();
        ASSERT_EQ(dialog.requests.size(), c.refused.size() + 1);
        EXPECT_EQ(dialog.requests[0], (TextRequest{kPrompt, 2200, 4000, {}, {}, {}}));
        for (std::size_t k = 0; k < c.refused.size(); ++k) {
            const TextRequest& again = dialog.requests[k + 1];
            EXPECT_EQ(again.prompt, kPrompt);
            EXPECT_EQ(again.leftTwips, layout::kPromptLeftTwips);
            EXPECT_EQ(again.topTwips, layout::kPromptTopTwips);
            EXPECT_EQ(again.text, c.refused[k]);
            const Outcome checked = checkText(c.refused[k]);
            ASSERT_FALSE(checked);
            EXPECT_EQ(again.refusal, windowWords(checked.message).toStdString());
        }
        EXPECT_EQ(form.state().t, c.accepted);
    }
}

TEST_F(Form1Test, WindowIsBlackAwayFromWhatTheProceduresDraw) {
    form->start();
    const Raster& window = form->windowSurface().raster();
    ASSERT_GE(window.width(), layout::kLayoutWidth);
    ASSERT_GE(window.height(), layout::kLayoutHeight);
    // Drawn on the window: the grey band with its line (running on past the
    // band), and the "*" at the top left.
    const QRect infoLine(layout::kInfoBand.x, layout::kInfoBand.y, window.width() - layout::kInfoBand.x, 26),
        star(0, 0, 16, 20);
    int blackElsewhere = 0, elsewhere = 0;
    for (int y = 0; y < window.height(); ++y)
        for (int x = 0; x < window.width(); ++x) {
            if (infoLine.contains(x, y) || star.contains(x, y)) continue;
            ++elsewhere;
            if (window.at(x, y) == Colour::black()) ++blackElsewhere;
        }
    EXPECT_EQ(blackElsewhere, elsewhere);
    EXPECT_EQ(window.at(651, 578), Colour::fromRgb(200, 200, 200));

    // And the client area shows its raster, black where nothing was drawn.
    const QImage shown = form->clientArea()->grab().toImage();
    EXPECT_EQ(shown.pixelColor(10, 300), QColor(Qt::black));
    EXPECT_EQ(shown.pixelColor(651, 578), QColor(200, 200, 200));
}

TEST_F(Form1Test, PictureAreasPaintTheirImages) {
    form->start();
    // Something different in the composite, to tell the two apart.
    form->composite().line(0, 0, 600, 448, Colour::fromRgb(255, 0, 0));
    const struct {
        const char* name;
        const Raster& raster;
    } pictures[] = {{"Picture1", form->canvas().raster()}, {"Picture2", form->composite().raster()}};
    for (const auto& p : pictures) {
        SCOPED_TRACE(p.name);
        const QImage shown = control(p.name)->grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(shown.size(), QSize(p.raster.width(), p.raster.height()));
        bool same = true;
        for (int y = 0; y < shown.height() && same; ++y)
            for (int x = 0; x < shown.width() && same; ++x) same = shown.pixel(x, y) == p.raster.at(x, y).pixel();
        EXPECT_TRUE(same);
    }
}

// The standard shortcuts, each with the platform's key sequence, and the
// canvas's menu with the same actions.
TEST_F(Form1Test, ShortcutsAndTheCanvasMenuReachEveryAction) {
    const struct {
        const char* text;
        QKeySequence::StandardKey key;
        const char* otherwise;  // where the platform has no keys for it
    } expected[] = {
        {"New text", QKeySequence::New, nullptr},
        {"Save on disk", QKeySequence::Save, nullptr},
        {"Save as\u2026", QKeySequence::SaveAs, "Ctrl+Shift+S"},
        {"Copy picture", QKeySequence::Copy, nullptr},
        {"Open picture\u2026", QKeySequence::Open, nullptr},
        {"Quit", QKeySequence::Quit, "Ctrl+Q"},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.text);
        QAction* a = action(QString::fromUtf8(e.text));
        ASSERT_NE(a, nullptr);
        const QList<QKeySequence> platform = QKeySequence::keyBindings(e.key);
        if (!platform.isEmpty() || !e.otherwise)
            EXPECT_EQ(a->shortcuts(), platform);
        else
            EXPECT_EQ(a->shortcuts(), QList<QKeySequence>{QKeySequence(QString::fromLatin1(e.otherwise))});
        EXPECT_FALSE(a->shortcut().isEmpty());
        EXPECT_EQ(a->shortcutContext(), Qt::WindowShortcut);
    }
    // Full screen is F11 everywhere, and the platform's keys as well.
    QAction* fullScreen = action(QStringLiteral("Full screen"));
    ASSERT_NE(fullScreen, nullptr);
    EXPECT_EQ(fullScreen->shortcuts().front(), QKeySequence(Qt::Key_F11));
    for (const QKeySequence& keys : QKeySequence::keyBindings(QKeySequence::FullScreen))
        EXPECT_TRUE(fullScreen->shortcuts().contains(keys)) << keys.toString().toStdString();
    QStringList inMenu;
    for (QAction* a : form->pictureMenu()->actions()) inMenu << a->text();
    EXPECT_EQ(inMenu,
              (QStringList{QStringLiteral("New text"), QStringLiteral("Copy picture"), QStringLiteral("Save on disk"),
                           QStringLiteral("Save as\u2026"), QStringLiteral("Open picture\u2026"),
                           QStringLiteral("Full screen"), QString(),
                           QStringLiteral("Help and about"), QStringLiteral("Quit")}));

    // A right click on the canvas opens the menu; the seven controls stay.
    form->start();
    QWidget* canvas = control("Picture1");
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(100, 100), canvas->mapToGlobal(QPoint(100, 100)));
    QCoreApplication::sendEvent(canvas, &rightClick);
    EXPECT_TRUE(form->pictureMenu()->isVisible());
    form->pictureMenu()->close();
}

TEST_F(Form1Test, KeysOfTheShortcutsDoWhatTheyName) {
    form->start();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keySequence(form.get(), QKeySequence(QKeySequence::New));
    EXPECT_EQ(stages, picture(2));
    QTimer::singleShot(0, form.get(),
                       [this] { QTest::keySequence(form.get(), shortcutKeys(QKeySequence::Quit).front()); });
    EXPECT_EQ(runUntilEnded(), 0);
    EXPECT_TRUE(form->ended());
}

// Without room for the whole layout (the test screen is 800 x 600, the
// layout 881 x 585) the client area scrolls, and each control can be
// brought into view.
TEST_F(Form1Test, SmallScreenScrollsToEveryControl) {
    form->start();
    const QSize screen = form->screen()->availableGeometry().size();
    ASSERT_LT(screen.width(), layout::kLayoutWidth);
    EXPECT_GE(form->clientArea()->width(), layout::kLayoutWidth);
    EXPECT_GE(form->clientArea()->height(), layout::kLayoutHeight);
    EXPECT_LE(form->minimumWidth(), screen.width());
    EXPECT_LE(form->minimumHeight(), screen.height());
    EXPECT_TRUE(form->horizontalScrollBar()->isVisible());
    for (const char* name : {"Command1", "Command2", "Command3", "Command4", "Command5", "Picture1"}) {
        SCOPED_TRACE(name);
        QWidget* widget = control(name);
        form->ensureWidgetVisible(widget, 0, 0);
        const QRect onScreen(widget->mapTo(form->viewport(), QPoint(0, 0)), widget->size());
        if (widget->width() <= form->viewport()->width() && widget->height() <= form->viewport()->height())
            EXPECT_TRUE(form->viewport()->rect().contains(onScreen)) << onScreen.x() << "," << onScreen.y();
        else
            EXPECT_TRUE(form->viewport()->rect().intersects(onScreen));
    }
    // The info band too, at the far right.
    form->horizontalScrollBar()->setValue(form->horizontalScrollBar()->maximum());
    form->verticalScrollBar()->setValue(form->verticalScrollBar()->maximum());
    const QPoint band = form->clientArea()->mapTo(form->viewport(), QPoint(layout::kInfoBand.right(), 575));
    EXPECT_TRUE(form->viewport()->rect().contains(band));
}

struct ScreenCase {
    QSize available;
    QMargins frame;
    QSize smallest;
};

TEST(SmallestClientArea, IsTheLayoutWhereTheScreenHasRoomElseTheScreen) {
    const ScreenCase cases[] = {
        {{1920, 1050}, {1, 28, 1, 1}, {881, 585}},
        {{1024, 740}, {4, 30, 4, 4}, {881, 585}},
        {{881, 585}, {}, {881, 585}},
        {{1024, 600}, {0, 30, 0, 0}, {881, 570}},
        {{640, 380}, {1, 22, 1, 1}, {638, 357}},  // 1280 x 800 at twice the scale
    };
    for (const ScreenCase& c : cases)
        EXPECT_EQ(smallestClientArea(c.available, c.frame), c.smallest)
            << c.available.width() << "x" << c.available.height();
}

// A new picture clears the line of the save before it: that file holds
// another picture.
TEST_F(Form1Test, NewPictureClearsTheStatusLine) {
    form->start();
    form->copyPicture();
    EXPECT_FALSE(form->statusLine().isEmpty());
    dialog->answer = "another";
    click("Command5");
    EXPECT_TRUE(form->statusLine().isEmpty());
    for (int y = layout::kSaveStatus.y; y <= layout::kSaveStatus.bottom(); ++y)
        for (int x = layout::kSaveStatus.x; x < form->windowSurface().raster().width(); ++x)
            ASSERT_EQ(form->windowSurface().raster().at(x, y), Colour::black()) << x << "," << y;
}

// A caption of 100 wide characters fits inside the picture, whole: it is
// set smaller or on more lines, and nothing runs past the right margin or
// the bottom.
TEST(Form1Caption, HundredWideCharactersStayInsideTheCanvas) {
    testing::application();
    for (const std::string& text :
         {repeat("W", 100), repeat("\xE2\x98\xBA", 100), repeat("\xF0\x9F\x98\x80", 100), repeat("MW ", 33) + "M"}) {
        SCOPED_TRACE(text);
        auto scripted = std::make_unique<ScriptedDialog>();
        scripted->answer = text;
        Form1 form(std::move(scripted), std::make_unique<FixedClock>(testing::testClock()));
        form.setSettingsFile(freshSettings());
        form.start();
        ASSERT_EQ(form.state().t, text);

        FixedClock clock = testing::testClock();
        const Raster bare = MakeFreshPicture(text, makeCanvas(), clock, false).canvas;
        const Raster& shown = form.canvas().raster();
        QRect ink;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                if (shown.at(x, y) != bare.at(x, y)) ink |= QRect(x, y, 1, 1);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_GE(ink.left(), 8);
        EXPECT_LE(ink.right(), 591) << "cut at the right edge";
        EXPECT_LT(ink.bottom(), 449) << "cut at the bottom";
        EXPECT_GT(ink.top(), 225) << "in the lower part of the picture";

        // Every character is in one of the lines.
        const CaptionLayout laidOut = layoutCaption(text, 10, CaptionFontMeasure());
        std::string joined;
        for (const std::string& line : laidOut.lines) joined += line;
        std::string withoutSpaces = text;
        std::erase(withoutSpaces, ' ');
        std::erase(joined, ' ');
        EXPECT_EQ(joined, withoutSpaces);
    }
}

// The window draws the caption with the engine's code: its pictures with
// captions in each script are the renderer's, checksum for checksum.
TEST(Form1Caption, CaptionsInEachScriptGiveThePicturesChecksums) {
    testing::application();
    for (const testing::CaptionPicture& picture : testing::kCaptionPictures) {
        auto scripted = std::make_unique<ScriptedDialog>();
        scripted->answer = picture.text;
        Form1 form(std::move(scripted), std::make_unique<FixedClock>(testing::testClock()));
        form.setSettingsFile(freshSettings());
        form.start();
        const std::uint64_t checksum = testing::canvasChecksum(form.canvas().raster());
        EXPECT_EQ(checksum, picture.checksum) << picture.what << ": 0x" << std::hex << checksum;
    }
}

class Form1InertButton : public Form1Test, public ::testing::WithParamInterface<const char*> {};

TEST_P(Form1InertButton, ClickingChangesNothing) {
    form->start();
    const Raster window = form->windowSurface().raster(), canvas = form->canvas().raster(),
                 composite = form->composite().raster();
    const FormState& s = form->state();
    const auto numbers = [&s] { return std::vector<Number>{s.i, s.j, s.seed, s.tip1, s.tip2, s.tip3, s.barva, s.fi1}; };
    const auto before = numbers();
    const std::string name = s.imeslike, text = s.t;
    const std::size_t stagesBefore = stages.size(), asksBefore = dialog->requests.size();

    click(GetParam());
    QCoreApplication::processEvents();

    EXPECT_TRUE(form->windowSurface().raster() == window);
    EXPECT_TRUE(form->canvas().raster() == canvas);
    EXPECT_TRUE(form->composite().raster() == composite);
    EXPECT_EQ(numbers(), before);
    EXPECT_EQ(s.imeslike, name);
    EXPECT_EQ(s.t, text);
    EXPECT_EQ(stages.size(), stagesBefore);
    EXPECT_EQ(dialog->requests.size(), asksBefore);
    EXPECT_FALSE(form->ended());
}

INSTANTIATE_TEST_SUITE_P(HeadingAndBanner, Form1InertButton, ::testing::Values("Command1", "Command4"));

struct EndingCase {
    const char* name;
    std::function<void(Form1&)> end;
};

void PrintTo(const EndingCase& c, std::ostream* os) { *os << c.name; }

class Form1Ending : public Form1Test, public ::testing::WithParamInterface<EndingCase> {};

TEST_P(Form1Ending, EndsTheProgramAtOnce) {
    form->start();
    const std::size_t stagesAfterStart = stages.size();
    QTimer::singleShot(0, form.get(), [this] {
        GetParam().end(*form);
        // Anything after the end is not handled.
        form->Command5_Click();
    });
    EXPECT_EQ(runUntilEnded(), 0);
    EXPECT_TRUE(form->ended());
    EXPECT_EQ(form->exitStatus(), 0);
    EXPECT_EQ(stages.size(), stagesAfterStart);
    EXPECT_EQ(dialog->requests.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(ExitAndClose, Form1Ending,
                         ::testing::Values(EndingCase{"ExitButton",
                                                      [](Form1& f) {
                                                          QTest::mouseClick(
                                                              f.findChild<QPushButton*>(QStringLiteral("Command2")),
                                                              Qt::LeftButton);
                                                      }},
                                           EndingCase{"ClosingTheWindow", [](Form1& f) { f.close(); }},
                                           EndingCase{"QuitAction",
                                                      [](Form1& f) {
                                                          for (QAction* a : f.actions())
                                                              if (a->text() == QStringLiteral("Quit")) a->trigger();
                                                      }}),
                         [](const ::testing::TestParamInfo<EndingCase>& info) { return std::string(info.param.name); });

struct FailureCase {
    const char* name;
    std::function<void()> fail;
    const char* report;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class Form1Failure : public Form1Test, public ::testing::WithParamInterface<FailureCase> {};

// The first picture is not saved: the failure is told and the program goes
// on with that picture.
TEST_P(Form1Failure, RunTimeErrorIsReportedAndKeepsAnUnsavedPicture) {
    // Fails at the second prompt: the one of "new text / new image".
    dialog->onAsk = [this] {
        if (dialog->requests.size() == 2) GetParam().fail();
    };
    form->start();
    ASSERT_FALSE(form->ended());
    const Raster canvas = form->canvas().raster();
    click("Command5");
    EXPECT_FALSE(form->ended());
    EXPECT_EQ(reports, std::vector<QString>{QString::fromUtf8(GetParam().report) +
                                            QStringLiteral("\nThe picture is kept: you can still save it.")});
    EXPECT_EQ(stages, picture(1));
    EXPECT_TRUE(form->canvas().raster() == canvas);
    EXPECT_EQ(form->state().t, "Hello, Textscape");

    // And the program still works.
    dialog->onAsk = {};
    dialog->answer = "after";
    click("Command5");
    EXPECT_EQ(form->state().t, "after");
}

INSTANTIATE_TEST_SUITE_P(
    Failures, Form1Failure,
    ::testing::Values(FailureCase{"RuntimeError", [] { throw std::runtime_error("division by zero"); },
                                  "Run-time error: division by zero"},
                      FailureCase{"StandardException", [] { throw std::length_error("text too long"); },
                                  "Run-time error: text too long"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(Form1Test, RunTimeErrorDuringStartUpEndsBeforeTheEventLoop) {
    dialog->onAsk = [] { throw std::runtime_error("no text"); };
    form->start();
    EXPECT_TRUE(form->ended());
    EXPECT_EQ(form->exitStatus(), 1);
    EXPECT_EQ(reports, std::vector<QString>{QStringLiteral("Run-time error: no text")});
    EXPECT_TRUE(stages.empty());
}

}  // namespace
}  // namespace ts
