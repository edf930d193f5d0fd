#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "gui/main_window.hpp"
#include "numeric/statement.hpp"
#include "support/fakes.hpp"
#include "support/qt_application.hpp"

namespace ts {
namespace {

// Answers every prompt with a fixed text, and can look around first.
class ScriptedDialog final : public TextDialog {
public:
    std::string ask(std::string_view prompt, int leftTwips, int topTwips) override {
        prompts.emplace_back(prompt);
        positions.emplace_back(leftTwips, topTwips);
        if (onAsk) onAsk();
        return answer;
    }

    std::string answer = "Hello, Textscape";
    std::function<void()> onAsk;
    std::vector<std::string> prompts;
    std::vector<std::pair<int, int>> positions;
};

std::vector<std::string> picture(int times) {
    const std::vector<std::string> once = {"ReadTextSeed", "BuildPalette", "DrawParameters",
                                           "DrawInfoLine", "RenderField",  "PrintCaption"};
    std::vector<std::string> all;
    for (int k = 0; k < times; ++k) all.insert(all.end(), once.begin(), once.end());
    return all;
}

class Form1Test : public ::testing::Test {
protected:
    void SetUp() override {
        testing::application();
        auto scripted = std::make_unique<ScriptedDialog>();
        dialog = scripted.get();
        form = std::make_unique<Form1>(std::move(scripted), std::make_unique<FixedClock>(testing::testClock()));
        form->tools().onStage = [this](std::string_view stage) { stages.emplace_back(stage); };
        form->setErrorReport([this](const QString& text) { reports.push_back(text); });
    }

    QWidget* control(const char* name) { return form->findChild<QWidget*>(QString::fromLatin1(name)); }
    void click(const char* name) {
        auto* button = qobject_cast<QPushButton*>(control(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
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
    EXPECT_EQ(form->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), std::size(kControls));
    for (const ControlCase& c : kControls) {
        SCOPED_TRACE(c.name);
        QWidget* widget = control(c.name);
        ASSERT_NE(widget, nullptr);
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

TEST_F(Form1Test, CanvasLiesOverTheComposite) {
    form->resize(900, 600);
    EXPECT_EQ(form->childAt(28, 76), control("Picture2"));  // the composite's own corner
    EXPECT_EQ(form->childAt(40, 90), control("Picture1"));  // where both lie
    EXPECT_EQ(form->childAt(620, 515), control("Picture1"));
    EXPECT_EQ(form->childAt(631, 529), control("Picture1"));
}

TEST_F(Form1Test, TabKeyWalksTheControlsInTheirOrder) {
    const std::vector<std::string> order = {"Picture1", "Command2", "Command4", "Command5",
                                            "Command1", "Picture2", "Command3", "Picture1"};
    form->show();
    ASSERT_EQ(form->focusWidget(), control("Picture1"));
    std::vector<std::string> visited = {form->focusWidget()->objectName().toStdString()};
    for (std::size_t k = 1; k < order.size(); ++k) {
        QTest::keyClick(form->focusWidget(), Qt::Key_Tab);
        visited.push_back(form->focusWidget()->objectName().toStdString());
    }
    EXPECT_EQ(visited, order);
}

TEST_F(Form1Test, WindowIsMaximizedAndBlackBeforeThePromptOpens) {
    bool visible = false, maximized = false, exposed = false;
    QImage onScreen;
    dialog->onAsk = [&] {
        if (dialog->prompts.size() != 1) return;
        visible = form->isVisible();
        maximized = form->windowState().testFlag(Qt::WindowMaximized);
        exposed = form->windowHandle() && form->windowHandle()->isExposed();
        onScreen = form->grab().toImage();
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

    const std::string prompt = "type any text (100 characters max)\rthe program is case-sensitive";
    EXPECT_EQ(dialog->prompts, std::vector<std::string>(3, prompt));
    EXPECT_EQ(dialog->positions, (std::vector<std::pair<int, int>>(3, {2200, 4000})));
    // The picture is named after the injected clock.
    EXPECT_EQ(form->state().imeslike, "T20260308140509");
    EXPECT_EQ(form->state().t, "Hello, Textscape");
    EXPECT_TRUE(reports.empty());
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

    // And the widget shows its raster, black where nothing was drawn.
    form->show();
    const QImage shown = form->grab().toImage();
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

class Form1InertButton : public Form1Test, public ::testing::WithParamInterface<const char*> {};

TEST_P(Form1InertButton, ClickingChangesNothing) {
    form->start();
    const Raster window = form->windowSurface().raster(), canvas = form->canvas().raster(),
                 composite = form->composite().raster();
    const FormState& s = form->state();
    const auto numbers = [&s] { return std::vector<Number>{s.i, s.j, s.seed, s.tip1, s.tip2, s.tip3, s.barva, s.fi1}; };
    const auto before = numbers();
    const std::string name = s.imeslike, text = s.t;
    const std::size_t stagesBefore = stages.size(), asksBefore = dialog->prompts.size();

    click(GetParam());
    QCoreApplication::processEvents();

    EXPECT_TRUE(form->windowSurface().raster() == window);
    EXPECT_TRUE(form->canvas().raster() == canvas);
    EXPECT_TRUE(form->composite().raster() == composite);
    EXPECT_EQ(numbers(), before);
    EXPECT_EQ(s.imeslike, name);
    EXPECT_EQ(s.t, text);
    EXPECT_EQ(stages.size(), stagesBefore);
    EXPECT_EQ(dialog->prompts.size(), asksBefore);
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
    EXPECT_EQ(dialog->prompts.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(ExitAndClose, Form1Ending,
                         ::testing::Values(EndingCase{"ExitButton",
                                                      [](Form1& f) {
                                                          QTest::mouseClick(
                                                              f.findChild<QPushButton*>(QStringLiteral("Command2")),
                                                              Qt::LeftButton);
                                                      }},
                                           EndingCase{"ClosingTheWindow", [](Form1& f) { f.close(); }}),
                         [](const ::testing::TestParamInfo<EndingCase>& info) { return std::string(info.param.name); });

struct FailureCase {
    const char* name;
    std::function<void()> fail;
    const char* report;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class Form1Failure : public Form1Test, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(Form1Failure, RunTimeErrorIsReportedAndEndsTheProgram) {
    // Fails at the second prompt: the one of "new text / new image".
    dialog->onAsk = [this] {
        if (dialog->prompts.size() == 2) GetParam().fail();
    };
    form->start();
    ASSERT_FALSE(form->ended());
    QTimer::singleShot(0, form.get(), [this] { click("Command5"); });
    EXPECT_EQ(runUntilEnded(), 1);
    EXPECT_TRUE(form->ended());
    EXPECT_EQ(form->exitStatus(), 1);
    EXPECT_EQ(reports, std::vector<QString>{QString::fromUtf8(GetParam().report)});
    EXPECT_EQ(stages, picture(1));
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

// The prompt asks again, with the same two lines at the same place, while
// the answer is longer than 100 characters (counted as characters, not
// bytes) or holds a control character; cancelling gives the empty text.
TEST(Form1Prompt, AsksAgainUntilTheTextIsOneThePictureTakes) {
    testing::application();
    const auto repeat = [](const std::string& unit, int times) {
        std::string out;
        for (int k = 0; k < times; ++k) out += unit;
        return out;
    };
    const struct {
        const char* what;
        std::vector<std::string> answers;
        std::size_t asked;
        std::string accepted;
    } cases[] = {
        {"101 characters, then 100", {repeat("\xC3\xA9", 101), repeat("\xC3\xA9", 100)}, 2, repeat("\xC3\xA9", 100)},
        {"200 bytes are 100 characters", {repeat("\xC3\xBF", 100)}, 1, repeat("\xC3\xBF", 100)},
        {"cancel", {}, 1, ""},
        {"too long, then cancel", {repeat("x", 150)}, 2, ""},
        {"a tab, an escape and a DEL, then plain", {"a\tb", "\x1B[0m", "x\x7F", "ab"}, 4, "ab"},
    };
    for (const auto& c : cases) {
        auto scripted = std::make_unique<testing::ScriptedDialog>(c.answers);
        testing::ScriptedDialog& dialog = *scripted;
        Form1 form(std::move(scripted), std::make_unique<FixedClock>(testing::testClock()));
        form.start();
        EXPECT_EQ(dialog.prompts.size(), c.asked) << c.what;
        for (const std::string& p : dialog.prompts) {
            EXPECT_EQ(p, "type any text (100 characters max)\rthe program is case-sensitive") << c.what;
        }
        EXPECT_EQ(dialog.left, layout::kPromptLeftTwips) << c.what;
        EXPECT_EQ(dialog.top, layout::kPromptTopTwips) << c.what;
        EXPECT_EQ(form.state().t, c.accepted) << c.what;
    }
}

}  // namespace
}  // namespace ts
