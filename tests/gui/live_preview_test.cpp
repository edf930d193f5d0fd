#include <gtest/gtest.h>

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gui/live_preview.hpp"
#include "gui/main_window.hpp"
#include "gui/window_words.hpp"
#include "seed/read_text_seed.hpp"
#include "support/fakes.hpp"
#include "support/qt_application.hpp"
#include "support/test_folder.hpp"
#include "when_modal_opens.hpp"

namespace ts {
namespace {

using Stage = LivePreview::Stage;

QString freshSettings() { return QString::fromStdString((testing::freshFolder() / "settings.ini").string()); }

// The window as the user meets it: the real prompt, typed into.
class LivePreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::application();
        form = std::make_unique<Form1>(nullptr, std::make_unique<FixedClock>(testing::testClock()));
        form->setSettingsFile(freshSettings());
        form->setErrorReport([](const QString& text) { ADD_FAILURE() << text.toStdString(); });
        form->tools().onStage = [this](std::string_view stage) {
            if (stage == "RenderField") ++drawn;
        };
        preview = form->livePreview();
        ASSERT_NE(preview, nullptr);
        QObject::connect(preview, &LivePreview::stageShown, [this] {
            if (const auto now = preview->shown()) shownTexts.push_back(now->text);
        });
    }
    void TearDown() override {
        if (form->ended()) testing::takePendingEnd();
    }

    // Runs the prompt of start-up (or of "new text / new image") with `act`
    // done in it, as the user does it.
    using Act = std::function<void(QDialog&, QLineEdit&)>;
    void start(const Act& act) {
        inPrompt(act, [this] { form->start(); });
    }
    void newText(const Act& act) {
        inPrompt(act, [this] { form->Command5_Click(); });
    }
    void inPrompt(const Act& act, const std::function<void()>& open) {
        const testing::WhenModalOpens<> when([&act](QDialog& dialog) {
            auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("text"));
            if (field) act(dialog, *field);
            if (dialog.isVisible()) dialog.reject();
        });
        open();
        ASSERT_EQ(when.times(), 1);
    }

    // Waits until the canvas shows the exact picture of `text`.
    bool showsExact(const std::string& text) {
        return QTest::qWaitFor(
            [&] {
                const auto now = preview->shown();
                return now && now->text == text && now->stage == Stage::Exact;
            },
            30000);
    }

    static void press(QDialog& dialog, QDialogButtonBox::StandardButton which) {
        dialog.findChild<QDialogButtonBox*>()->button(which)->click();
    }

    std::unique_ptr<Form1> form;
    LivePreview* preview = nullptr;
    int drawn = 0;  // pictures the window drew itself
    std::vector<std::string> shownTexts;
};

// The window as it is when each text is given with a plain OK: no typing
// watched, every picture drawn when OK is pressed.
std::unique_ptr<Form1> plainWindow(std::vector<std::optional<std::string>> answers) {
    const std::size_t count = answers.size();
    auto scripted = std::make_unique<testing::ScriptedDialog>(std::move(answers));
    auto form = std::make_unique<Form1>(std::move(scripted), std::make_unique<FixedClock>(testing::testClock()));
    form->setSettingsFile(freshSettings());
    form->start();
    for (std::size_t k = 1; k < count; ++k) form->Command5_Click();
    return form;
}

void expectSameWindow(Form1& got, Form1& want) {
    EXPECT_TRUE(got.canvas().raster() == want.canvas().raster());
    EXPECT_TRUE(got.windowSurface().raster() == want.windowSurface().raster());
    EXPECT_TRUE(got.state() == want.state());
    EXPECT_EQ(got.state().t, want.state().t);
    EXPECT_EQ(got.state().imeslike, want.state().imeslike);
    // The generator goes on from the same place.
    EXPECT_EQ(got.tools().random.next(), want.tools().random.next());
}

QImage painted(Form1& form) {
    return form.findChild<QWidget*>(QStringLiteral("Picture1"))->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool paintsRaster(const QImage& image, const Raster& raster) {
    if (image.width() != raster.width() || image.height() != raster.height()) return false;
    for (int y = 0; y < raster.height(); ++y)
        for (int x = 0; x < raster.width(); ++x)
            if (image.pixel(x, y) != raster.at(x, y).pixel()) return false;
    return true;
}

// Typed letter by letter, the canvas ends on the picture OK makes, caption
// and parameter line included; OK keeps it and draws nothing; the window
// is then as a plain OK leaves it, and so after a second picture, which
// starts from the state the first left. (Each plain window is made while
// the prompt is open: the toolkit's text in the parameter line can come
// out a shade apart in one process depending on what it drew before.)
TEST_F(LivePreviewTest, PreviewIsThePictureOkMakesAndOkKeepsIt) {
    std::unique_ptr<Form1> plain;
    start([&](QDialog& dialog, QLineEdit& field) {
        QTest::keyClicks(&field, QStringLiteral("Hello"));
        ASSERT_TRUE(showsExact("Hello"));
        plain = plainWindow({"Hello"});
        EXPECT_TRUE(form->canvas().raster() == plain->canvas().raster());
        EXPECT_TRUE(form->windowSurface().raster() == plain->windowSurface().raster());
        EXPECT_TRUE(paintsRaster(painted(*form), plain->canvas().raster()));
        press(dialog, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(drawn, 0);
    ASSERT_NE(plain, nullptr);
    expectSameWindow(*form, *plain);

    const Raster before = form->canvas().raster();
    newText([&](QDialog& dialog, QLineEdit& field) {
        QTest::keyClicks(&field, QStringLiteral("Hello, again"));
        ASSERT_TRUE(showsExact("Hello, again"));
        EXPECT_FALSE(form->canvas().raster() == before);
        plain = plainWindow({"Hello", "Hello, again"});
        EXPECT_TRUE(form->canvas().raster() == plain->canvas().raster());
        press(dialog, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(drawn, 0);
    expectSameWindow(*form, *plain);
    EXPECT_GE(preview->counts().exact, 2);
}

// OK pressed while the drawing is still going waits for it, and still
// draws nothing of its own.
TEST_F(LivePreviewTest, OkBeforeTheDrawingEndsTakesItWhenDone) {
    start([&](QDialog& dialog, QLineEdit& field) {
        field.insert(QStringLiteral("quick OK"));
        press(dialog, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(drawn, 0);
    const std::unique_ptr<Form1> plain = plainWindow({"quick OK"});
    expectSameWindow(*form, *plain);
}

// Cancel puts back the picture that was there, the window's drawing and
// state untouched; at start-up, where there was none, it is the empty
// text's picture.
TEST_F(LivePreviewTest, CancelBringsBackThePicture) {
    start([&](QDialog& dialog, QLineEdit& field) {
        QTest::keyClicks(&field, QStringLiteral("first"));
        ASSERT_TRUE(showsExact("first"));
        press(dialog, QDialogButtonBox::Cancel);
    });
    const std::unique_ptr<Form1> empty = plainWindow({std::nullopt});
    expectSameWindow(*form, *empty);
    EXPECT_EQ(form->state().t, "");

    const Raster canvas = form->canvas().raster(), window = form->windowSurface().raster();
    const FormState state = form->state();
    const int drawnBefore = drawn;
    newText([&](QDialog& dialog, QLineEdit& field) {
        QTest::keyClicks(&field, QStringLiteral("second"));
        ASSERT_TRUE(showsExact("second"));
        EXPECT_FALSE(form->canvas().raster() == canvas);
        press(dialog, QDialogButtonBox::Cancel);
    });
    EXPECT_TRUE(form->canvas().raster() == canvas);
    EXPECT_TRUE(form->windowSurface().raster() == window);
    EXPECT_TRUE(form->state() == state);
    EXPECT_EQ(drawn, drawnBefore);
    EXPECT_TRUE(paintsRaster(painted(*form), canvas));
}

// Until the first key, and whenever the field is emptied, the canvas shows
// the picture from before the prompt; OK on the empty field still makes the
// empty text's picture.
TEST_F(LivePreviewTest, EmptyFieldKeepsThePicture) {
    start([&](QDialog& dialog, QLineEdit& field) {
        QTest::keyClicks(&field, QStringLiteral("kept"));
        ASSERT_TRUE(showsExact("kept"));
        press(dialog, QDialogButtonBox::Ok);
    });
    const Raster canvas = form->canvas().raster(), window = form->windowSurface().raster();
    const int begun = preview->counts().begun;
    newText([&](QDialog& dialog, QLineEdit& field) {
        QTest::qWait(50);
        EXPECT_EQ(preview->counts().begun, begun);
        EXPECT_FALSE(preview->shown());
        QTest::keyClick(&field, Qt::Key_X);
        ASSERT_TRUE(showsExact("x"));
        QTest::keyClick(&field, Qt::Key_Backspace);
        EXPECT_FALSE(preview->shown());
        EXPECT_TRUE(form->canvas().raster() == canvas);
        EXPECT_TRUE(form->windowSurface().raster() == window);
        QTest::qWait(50);  // nothing stale comes back
        EXPECT_TRUE(form->canvas().raster() == canvas);
        EXPECT_TRUE(paintsRaster(painted(*form), canvas));
        press(dialog, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(form->state().t, "");
    EXPECT_EQ(drawn, 1);
    const std::unique_ptr<Form1> plain = plainWindow({"kept", ""});
    expectSameWindow(*form, *plain);
}

// A key typed while a drawing runs stops it through the sweep's stop token:
// it never finishes and is never shown; the text typed since is.
TEST_F(LivePreviewTest, StaleDrawingIsStoppedAndNeverShown) {
    preview->setThreads(1);
    std::atomic<bool> held{false};
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> reachedTheEnd{false};
    preview->setProgressHook([&](const std::string& text, std::int64_t done, std::int64_t total) {
        if (text != "a") return;
        if (!held.exchange(true)) released.wait();
        if (done == total) reachedTheEnd = true;
    });
    // Let go however the prompt ends, so that the worker is never left held.
    struct LetGo {
        std::promise<void>& release;
        bool done = false;
        void now() {
            if (!std::exchange(done, true)) release.set_value();
        }
        ~LetGo() { now(); }
    } letGo{release};
    start([&](QDialog& dialog, QLineEdit& field) {
        QTest::keyClick(&field, Qt::Key_A);
        ASSERT_TRUE(QTest::qWaitFor([&] { return held.load(); }, 30000));
        QTest::keyClick(&field, Qt::Key_B);
        letGo.now();
        ASSERT_TRUE(showsExact("ab"));
        press(dialog, QDialogButtonBox::Ok);
    });
    const LivePreview::Counts counts = preview->counts();
    EXPECT_EQ(counts.stopped, 1);
    EXPECT_EQ(counts.begun, 2);
    EXPECT_FALSE(reachedTheEnd.load());
    for (const std::string& text : shownTexts) EXPECT_EQ(text, "ab");
    EXPECT_EQ(form->state().t, "ab");
    EXPECT_EQ(drawn, 0);
}

// A text the program would refuse says why in the prompt as it is typed,
// draws nothing, and the reason goes once the text is fine again.
TEST_F(LivePreviewTest, RefusedTextShowsItsReasonWhileTyping) {
    const struct {
        const char* what;
        QString pasted;
    } cases[] = {
        {"a tab", QStringLiteral("\t")},
        {"a line break", QStringLiteral("\n")},
        {"101 characters", QString(99, QLatin1Char('x'))},
    };
    start([&](QDialog& dialog, QLineEdit& field) {
        auto* refusal = dialog.findChild<QLabel*>(QStringLiteral("refusal"));
        ASSERT_NE(refusal, nullptr);
        QTest::keyClicks(&field, QStringLiteral("ok"));
        ASSERT_TRUE(showsExact("ok"));
        EXPECT_FALSE(refusal->isVisible());
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            const int begun = preview->counts().begun;
            field.insert(c.pasted);
            const std::string text = field.text().toStdString();
            const Outcome checked = checkText(text);
            ASSERT_FALSE(checked);
            QString reason = windowWords(checked.message);
            reason[0] = reason[0].toUpper();
            EXPECT_TRUE(refusal->isVisible());
            EXPECT_EQ(refusal->text(), reason);
            QTest::qWait(30);
            EXPECT_EQ(preview->counts().begun, begun);
            EXPECT_EQ(preview->shown()->text, "ok");  // the canvas keeps what it showed
            field.setText(QStringLiteral("ok"));
            EXPECT_FALSE(refusal->isVisible());
        }
        press(dialog, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(form->state().t, "ok");
    EXPECT_EQ(drawn, 0);
}

// Where the exact picture takes longer than a frame, a coarse stage comes
// first: the picture at a third of the size, each pixel 3 x 3, with the
// exact parameter line.
TEST_F(LivePreviewTest, CoarseStageComesFirstWhenTheExactOneIsSlow) {
    std::vector<Stage> stages;
    std::vector<Raster> canvases;
    QObject::connect(preview, &LivePreview::stageShown, [&] {
        if (const auto now = preview->shown()) {
            stages.push_back(now->stage);
            canvases.push_back(form->canvas().raster());
        }
    });
    // Nothing has been timed yet: every formula is taken as slow.
    start([&](QDialog& dialog, QLineEdit& field) {
        field.insert(QStringLiteral("coarse first"));
        ASSERT_TRUE(showsExact("coarse first"));
        press(dialog, QDialogButtonBox::Ok);
    });
    ASSERT_EQ(stages, (std::vector<Stage>{Stage::Coarse, Stage::Exact}));
    const Raster& coarse = canvases.front();
    for (int y = 0; y < coarse.height(); ++y)
        for (int x = 0; x < coarse.width(); ++x)
            ASSERT_EQ(coarse.at(x, y), coarse.at(x / kCoarseFactor * kCoarseFactor, y / kCoarseFactor * kCoarseFactor))
                << x << "," << y;
    EXPECT_FALSE(coarse == canvases.back());
    EXPECT_TRUE(canvases.back() == form->canvas().raster());
}

}  // namespace
}  // namespace ts
