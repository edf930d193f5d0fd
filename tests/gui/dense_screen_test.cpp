// The window on a dense screen: run with the screen's scale in
// TEXTSCAPE_TEST_SCALE (2 when it is not set).
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QColorSpace>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QFileDialog>
#include <QPushButton>
#include <QImageReader>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include "gui/file_dialogs.hpp"
#include "gui/full_screen.hpp"
#include "gui/live_preview.hpp"
#include "gui/picture_export.hpp"
#include "gui/sharp_picture.hpp"
#include "picture/picture.hpp"
#include "platform/random_source.hpp"
#include "qt/qt_image.hpp"
#include "when_modal_opens.hpp"
#include "window_fixture.hpp"

namespace ts {
namespace {

double scale() { return qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(); }

// The pictures the window makes from `texts` one after the other, the last
// drawn at `size`: what the window's state carries from picture to picture
// carries here too.
QImage madeAt(const std::vector<std::string>& texts, QSize size) {
    FormState s;
    SetGeometry(s);
    SplitMixGenerator random;
    FixedClock clock("01-01-2000", "00:00:00");
    RasterSurface window(1, 1), canvas = makeCanvas(), last = makeCanvas(size.width(), size.height());
    for (std::size_t k = 0; k < texts.size(); ++k) {
        PictureTools tools{window, k + 1 == texts.size() ? last : canvas, clock, random};
        MakePicture(s, texts[k], tools);
    }
    return imageOf(last.raster()).copy();
}

class DenseScreen : public testing::WindowFixture {
protected:
    void beforeStart() override {
        qputenv("XDG_PICTURES_DIR", QByteArray::fromStdString((base / "Pictures").string()));
    }
    void TearDown() override {
        qunsetenv("XDG_PICTURES_DIR");
        WindowFixture::TearDown();
    }

    QWidget* canvasBox() const { return form->findChild<QWidget*>(QStringLiteral("Picture1")); }
    // The canvas as drawn at its device pixels, once it is.
    QImage sharpCanvas() {
        const QSize device = devicePixels(canvasBox()->size(), canvasBox()->devicePixelRatioF());
        const QImage* image = nullptr;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return (image = form->sharpCanvas().at(device, form->canvas().raster())) != nullptr; }, 60000));
        return image ? *image : QImage();
    }
};

// The canvas is painted with the picture drawn at the screen's device
// pixels, exactly as the picture sequence draws it at that size from the
// state the window had: the first picture and the one after it.
TEST_F(DenseScreen, TheCanvasIsPaintedAtTheDevicePixels) {
    ASSERT_GT(scale(), 1.0);
    ASSERT_DOUBLE_EQ(canvasBox()->devicePixelRatioF(), scale());
    const QSize device = devicePixels({600, 450}, scale());
    EXPECT_EQ(device, QSize(static_cast<int>(std::ceil(600 * scale())), static_cast<int>(std::ceil(450 * scale()))));

    QImage sharp = sharpCanvas();
    ASSERT_EQ(sharp.size(), device);
    EXPECT_TRUE(sharp == madeAt({"Hello, Textscape"}, device));
    const QImage painted = canvasBox()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(painted.size(), device) << "painted at the device pixels";
    if (scale() == 2.0) {
        EXPECT_TRUE(painted == sharp) << "device pixel for device pixel";
    }

    dialog->answer = "the next one";
    form->Command5_Click();
    sharp = sharpCanvas();
    EXPECT_TRUE(sharp == madeAt({"Hello, Textscape", "the next one"}, device));
    EXPECT_FALSE(sharp == madeAt({"the next one"}, device) && sharp == madeAt({"Hello, Textscape"}, device));
}

// A picture taken from the prompt's live picture at OK is drawn sharp just
// the same, from the state the window had before the prompt.
TEST(DenseScreenPrompt, ThePictureTakenAtOkIsDrawnAtTheDevicePixels) {
    testing::application();
    const std::filesystem::path base = testing::freshFolder();
    Form1 form(nullptr, std::make_unique<FixedClock>(testing::testClock()));
    form.setSettingsFile(QString::fromStdString((base / "settings.ini").string()));
    form.setErrorReport([](const QString& text) { ADD_FAILURE() << text.toStdString(); });
    int drawn = 0;  // pictures the window drew itself rather than took
    form.tools().onStage = [&drawn](std::string_view stage) {
        if (stage == "RenderField") ++drawn;
    };
    const auto typeAndTake = [&form](const QString& text, const std::function<void()>& open) {
        const testing::WhenModalOpens<> when([&](QDialog& dialog) {
            auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("text"));
            ASSERT_NE(field, nullptr);
            QTest::keyClicks(field, text);
            EXPECT_TRUE(QTest::qWaitFor(
                [&] {
                    const auto now = form.livePreview()->shown();
                    return now && now->text == text.toStdString() && now->stage == LivePreview::Stage::Exact;
                },
                30000));
            dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        open();
        EXPECT_EQ(when.times(), 1);
    };
    const QSize device = devicePixels({600, 450}, scale());
    const auto sharpCanvas = [&form, device] {
        const QImage* image = nullptr;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return (image = form.sharpCanvas().at(device, form.canvas().raster())) != nullptr; }, 60000));
        return image ? *image : QImage();
    };

    typeAndTake(QStringLiteral("Hello"), [&form] { form.start(); });
    EXPECT_EQ(drawn, 0) << "taken from the live picture";
    EXPECT_TRUE(sharpCanvas() == madeAt({"Hello"}, device));
    typeAndTake(QStringLiteral("Hello, again"), [&form] { form.Command5_Click(); });
    EXPECT_EQ(drawn, 0);
    EXPECT_TRUE(sharpCanvas() == madeAt({"Hello", "Hello, again"}, device));
    if (form.ended()) testing::takePendingEnd();
}

// What is saved and copied is the picture at its own size, whatever the
// screen: 600 x 450, the canvas's own pixels.
TEST_F(DenseScreen, SavedAndCopiedPicturesKeepTheCanvasSize) {
    const QImage canvas = imageOf(form->canvas().raster()).copy();
    form->copyPicture();
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), canvas);

    files->save = SaveChoice{base / "as.png", ImageFormat::Png, exportSizes()[0]};
    QSignalSpy finished(form.get(), &Form1::exportFinished);
    form->savePictureAs();
    ASSERT_TRUE(finished.wait(60000));
    QImage saved = QImage(QString::fromStdString((base / "as.png").string())).convertToFormat(QImage::Format_RGB32);
    saved.setColorSpace({});
    EXPECT_EQ(saved, canvas);

    form->Command3_Click();
    ASSERT_TRUE(form->pictureSaved());
    const auto pictures = std::filesystem::directory_iterator(base / "Pictures");
    ASSERT_NE(pictures, std::filesystem::directory_iterator());
    EXPECT_EQ(QImageReader(QString::fromStdString(pictures->path().string())).size(), QSize(600, 450));
}

// The file dialogs fit the screen: every button and the file type are on it.
TEST_F(DenseScreen, FileDialogsFitTheScreen) {
    QtFileDialogs dialogs(form.get());
    const QRect available = form->screen()->availableGeometry();
    std::vector<QSize> sizes;
    testing::WhenModalOpens<QFileDialog> look([&](QFileDialog& dialog) {
        sizes.push_back(dialog.frameGeometry().size());
        EXPECT_TRUE(available.contains(dialog.frameGeometry())) << dialog.objectName().toStdString();
        for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
            if (!button->isVisible()) continue;
            EXPECT_TRUE(available.contains(QRect(button->mapToGlobal(QPoint()), button->size())))
                << button->text().toStdString();
        }
        dialog.reject();
    });
    EXPECT_FALSE(dialogs.askSaveFile(base, "T20000101000000", exportSizes()));
    look.again();
    EXPECT_FALSE(dialogs.askOpenFile(base));
    EXPECT_EQ(sizes.size(), 2u);
}

// F11 shows the picture alone on the window's screen, drawn at the screen's
// full resolution, caption included; Escape returns to the window.
TEST_F(DenseScreen, FullScreenDrawsThePictureAtTheScreensResolution) {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_F11);
    FullScreenView* view = form->fullScreenView();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
    EXPECT_TRUE(view->isFullScreen());
    QScreen* screen = form->screen();
    EXPECT_EQ(view->geometry(), screen->geometry());
    const QSize device = devicePixels(screen->geometry().size(), screen->devicePixelRatio());
    const QImage* drawn = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (drawn = view->picture()) != nullptr; }, 60000));
    EXPECT_EQ(drawn->size(), device);
    EXPECT_TRUE(*drawn == madeAt({"Hello, Textscape"}, device));

    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->fullScreenView() == nullptr; }, 5000));
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_TRUE(errors.empty());
}

}  // namespace
}  // namespace ts

int main(int argc, char** argv) {
    const QByteArray asked = qgetenv("TEXTSCAPE_TEST_SCALE");
    qputenv("QT_SCALE_FACTOR", asked.isEmpty() ? QByteArray("2") : asked);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
