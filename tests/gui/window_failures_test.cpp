#include <gtest/gtest.h>

#include <QApplication>
#include <QColorSpace>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <new>
#include <stdexcept>

#include "annotate/info_line.hpp"
#include "files/pictures_folder.hpp"
#include "gui/guarded_application.hpp"
#include "gui/picture_export.hpp"
#include "qt/qt_image.hpp"
#include "window_fixture.hpp"

namespace ts {
namespace {

// What reaches the event loop is told, and the event counts as handled.
TEST(DeliverGuarded, TellsWhatWasThrownAndGoesOn) {
    const struct {
        const char* what;
        std::function<bool()> deliver;
        bool handled;
        const char* told;  // nullptr: nothing told
    } cases[] = {
        {"handled", [] { return true; }, true, nullptr},
        {"not handled", [] { return false; }, false, nullptr},
        {"a standard exception", []() -> bool { throw std::runtime_error("division by zero"); }, true,
         "division by zero"},
        {"no memory", []() -> bool { throw std::bad_alloc(); }, true, "not enough memory"},
        {"anything else", []() -> bool { throw 42; }, true, "unknown failure"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> told;
        EXPECT_EQ(deliverGuarded(c.deliver, [&](const QString& what) { told.push_back(what.toStdString()); }),
                  c.handled)
            << c.what;
        EXPECT_EQ(told, c.told ? std::vector<std::string>{c.told} : std::vector<std::string>{}) << c.what;
    }
}

class WindowFailures : public testing::WindowFixture {
protected:
    // Saves the picture with "Save as" at the canvas's size.
    void saveAs() {
        files->save = SaveChoice{base / "saved.png", ImageFormat::Png, exportSizes()[0]};
        QSignalSpy finished(form.get(), &Form1::exportFinished);
        form->savePictureAs();
        ASSERT_TRUE(finished.wait(60000));
        ASSERT_TRUE(finished.front().front().toBool());
    }
};

// A picture that fails half drawn leaves the picture before it, its state
// and the window as they were, and the program goes on.
TEST_F(WindowFailures, APictureThatFailsHalfDrawnKeepsTheOneBefore) {
    const Raster canvas = form->canvas().raster(), window = form->windowSurface().raster();
    const std::string parameters = parameterLine(form->state());
    const std::string name = form->state().imeslike;
    form->tools().onStage = [](std::string_view stage) {
        if (stage == "PrintCaption") throw std::bad_alloc();
    };
    dialog->answer = "never shown";
    form->Command5_Click();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Run-time error: not enough memory\nThe picture is kept: you can still save it.");
    EXPECT_FALSE(form->ended());
    EXPECT_TRUE(form->canvas().raster() == canvas);
    EXPECT_TRUE(form->windowSurface().raster() == window);
    EXPECT_EQ(form->state().t, "Hello, Textscape");
    EXPECT_EQ(form->state().imeslike, name);
    EXPECT_EQ(parameterLine(form->state()), parameters);
    EXPECT_FALSE(form->pictureSaved());

    // The picture kept is the one saved, and the next one is drawn as ever.
    form->tools().onStage = [](std::string_view) {};
    saveAs();
    EXPECT_TRUE(form->pictureSaved());
    QImage saved = QImage(QString::fromStdString((base / "saved.png").string())).convertToFormat(QImage::Format_RGB32);
    saved.setColorSpace({});  // the file says sRGB; only its pixels are compared
    EXPECT_TRUE(saved == imageOf(canvas));
    dialog->answer = "next";
    form->Command5_Click();
    EXPECT_EQ(form->state().t, "next");
    EXPECT_FALSE(form->pictureSaved());
}

// Once the picture is saved, nothing is lost by ending: a failure ends the
// program as a run-time error does.
TEST_F(WindowFailures, AFailureAfterTheSaveEndsTheProgram) {
    saveAs();
    ASSERT_TRUE(form->pictureSaved());
    form->runTimeError(QStringLiteral("division by zero"));
    EXPECT_EQ(errors, std::vector<std::string>{"Run-time error: division by zero"});
    EXPECT_TRUE(form->ended());
    EXPECT_EQ(form->exitStatus(), 1);
}

// Open returns at once: the file is read while the window goes on, and its
// picture comes when it has been read. Another file asked for meanwhile is
// not opened, and said so.
TEST_F(WindowFailures, OpenReadsTheFileWhileTheWindowGoesOn) {
    saveAs();
    dialog->answer = "in between";
    form->Command5_Click();
    const int before = pictures;

    QSignalSpy read(form.get(), &Form1::fileRead);
    form->openFile(base / "saved.png");
    EXPECT_TRUE(form->readingFile());
    EXPECT_EQ(form->state().t, "in between");
    EXPECT_EQ(pictures, before);
    EXPECT_EQ(form->statusLine().toStdString(), "reading " + homeRelative(base / "saved.png") + "\u2026");
    form->openFile(base / "other.png");
    EXPECT_EQ(form->statusLine().toStdString(),
              "still reading a picture file: " + homeRelative(base / "other.png") + " is not opened");

    ASSERT_TRUE(read.wait(30000));
    EXPECT_EQ(read.size(), 1);
    EXPECT_FALSE(form->readingFile());
    EXPECT_EQ(form->state().t, "Hello, Textscape");
    EXPECT_EQ(pictures, before + 1);
    EXPECT_TRUE(openFailures.empty()) << openFailures.front();
    EXPECT_TRUE(form->statusLine().isEmpty());
}

// The progress window of a "Save as" shows without taking the focus, so the
// window's keys still work; Escape on the window cancels the save.
TEST_F(WindowFailures, TheSaveProgressLeavesTheKeysToTheWindow) {
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    files->save = SaveChoice{base / "big.png", ImageFormat::Png, exportSizes().back()};
    QSignalSpy finished(form.get(), &Form1::exportFinished);
    form->savePictureAs();
    QProgressDialog* progress = form->exportProgress();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(progress->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    auto* cancel = progress->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->focusPolicy(), Qt::NoFocus);
    // Where the platform activates it all the same (this one does), the
    // window's shortcuts work there as well.
    progress->show();
    QCoreApplication::processEvents();
    QWidget* active = QApplication::activeWindow();
    ASSERT_TRUE(active == form.get() || active == progress);

    // A shortcut of the window still works while the save runs.
    QTest::keyClick(active, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(form->statusLine(), QStringLiteral("picture copied to the clipboard"));
    ASSERT_TRUE(finished.isEmpty()) << "ended before it could be cancelled";
    QTest::keyClick(active, Qt::Key_Escape);
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_FALSE(finished.front().front().toBool());
    EXPECT_TRUE(saveFailures.empty());
    EXPECT_FALSE(std::filesystem::exists(base / "big.png"));
}

}  // namespace
}  // namespace ts
