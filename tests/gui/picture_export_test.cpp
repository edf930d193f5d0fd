#include "gui/picture_export.hpp"

#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <QSignalSpy>

#include <memory>
#include <vector>

#include "files/bmp_writer.hpp"
#include "support/png_chunks.hpp"
#include "support/qt_application.hpp"
#include "support/test_folder.hpp"

namespace ts {
namespace {

const PictureRecipe kRecipe{"Hello, Textscape", "tip1=15  tip2=1  tip3=4  seed=2033639", "textscape 9.9.9",
                            "2026-03-08T14:05:09+01:00"};

PictureExport::Request requestFor(const std::filesystem::path& file, ImageFormat format, int width, int height) {
    return {.file = file,
            .format = format,
            .width = width,
            .height = height,
            .text = kRecipe.text,
            .recipe = kRecipe,
            .shown = std::nullopt};
}

// The pixels of an image file as a raster, or an empty raster.
Raster pixelsOf(const std::filesystem::path& file) {
    const QImage image = QImage(QString::fromStdString(file.string())).convertToFormat(QImage::Format_RGB32);
    Raster raster(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) raster.set(x, y, Colour::fromPixel(image.pixel(x, y)));
    return raster;
}

class PictureExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::application();
        folder = testing::freshFolder();
    }

    // Starts the export unless told otherwise and waits for its end; the
    // progress it told is kept.
    void runToEnd(PictureExport& exporting, bool start = true) {
        QObject::connect(&exporting, &PictureExport::progressed, [this](int t) { progress.push_back(t); });
        QSignalSpy finished(&exporting, &PictureExport::finished);
        if (start) exporting.start();
        ASSERT_TRUE(finished.wait(120000));
    }

    std::filesystem::path folder;
    std::vector<int> progress;
};

// At the canvas's size the file holds the canvas as the window shows it,
// not a picture drawn again: here a pattern no text gives.
TEST_F(PictureExportTest, TheCanvasAsShownIsWrittenAsItIs) {
    Raster shown(600, 450);
    for (int y = 0; y < 450; ++y)
        for (int x = 0; x < 600; ++x) shown.set(x, y, Colour::fromRgb(x % 256, y % 256, (x + y) % 256));
    for (const ImageFormat format : {ImageFormat::Bmp, ImageFormat::Png}) {
        const std::filesystem::path file = folder / (format == ImageFormat::Bmp ? "shown.bmp" : "shown.png");
        PictureExport::Request request = requestFor(file, format, 600, 450);
        request.shown = shown;
        PictureExport exporting(std::move(request));
        runToEnd(exporting);
        ASSERT_TRUE(exporting.outcome()) << exporting.outcome().message;
        EXPECT_FALSE(exporting.cancelled());
        EXPECT_TRUE(pixelsOf(file) == shown);
        if (format == ImageFormat::Bmp) {
            EXPECT_EQ(testing::readBytes(file), encodeBmp(shown));
        } else {
            const auto texts = testing::pngTexts(testing::readBytes(file));
            EXPECT_EQ(texts.at("Title"), kRecipe.text);
            EXPECT_NE(texts.at("Description").find(kRecipe.parameters), std::string::npos);
            EXPECT_EQ(texts.at("Software"), kRecipe.software);
            EXPECT_EQ(texts.at("Creation Time"), kRecipe.creationTime);
        }
    }
}

// At another size the picture is drawn afresh, and the progress climbs on
// the way.
TEST_F(PictureExportTest, AnotherSizeIsDrawnAfreshAndItsProgressTold) {
    const std::filesystem::path file = folder / "wide.png";
    PictureExport exporting(requestFor(file, ImageFormat::Png, 1200, 500));
    runToEnd(exporting);
    ASSERT_TRUE(exporting.outcome()) << exporting.outcome().message;
    EXPECT_TRUE(pixelsOf(file) == renderPictureAt(kRecipe.text, 1200, 500));
    ASSERT_FALSE(progress.empty());
    for (std::size_t k = 1; k < progress.size(); ++k) EXPECT_GE(progress[k], progress[k - 1]);
    EXPECT_GT(progress.back(), 0);
    EXPECT_LE(progress.back(), 1000);
}

struct CancelCase {
    const char* what;
    bool shown;        // the canvas as shown, or a big picture drawn
    bool whileItRuns;  // at its first progress, or before it starts
};

// Cancelled, nothing is written, no temporary file is left, its progress
// is told no more, and the end says so.
TEST_F(PictureExportTest, CancelledWritesNothing) {
    const CancelCase cases[] = {
        {"drawing, at its first progress", false, true},
        {"drawing, before it starts", false, false},
        {"the canvas as shown, before it starts", true, false},
    };
    for (const CancelCase& c : cases) {
        const std::filesystem::path caseFolder = folder / c.what;
        std::filesystem::create_directories(caseFolder);
        PictureExport::Request request = requestFor(caseFolder / "print.png", ImageFormat::Png, 4961, 3508);
        if (c.shown) request.shown = Raster(4961, 3508);
        PictureExport exporting(std::move(request));
        std::size_t toldWhenCancelled = 0;
        bool cancelled = false;
        if (c.whileItRuns) {
            QObject::connect(&exporting, &PictureExport::progressed, [&] {
                if (cancelled) return;
                cancelled = true;
                toldWhenCancelled = progress.size() + 1;  // this one is recorded after
                exporting.cancel();
            });
        } else {
            exporting.cancel();
        }
        runToEnd(exporting);
        EXPECT_TRUE(exporting.cancelled()) << c.what;
        EXPECT_FALSE(exporting.outcome()) << c.what;
        EXPECT_TRUE(testing::namesIn(caseFolder).empty()) << c.what;
        if (c.whileItRuns) {
            EXPECT_EQ(progress.size(), toldWhenCancelled) << c.what;
        }
        progress.clear();
    }
}

TEST_F(PictureExportTest, AFileThatCannotBeWrittenIsToldAndNotTakenForACancel) {
    testing::writeText(folder / "plain", "x");
    PictureExport exporting(requestFor(folder / "plain" / "picture.png", ImageFormat::Png, 300, 200));
    runToEnd(exporting);
    EXPECT_FALSE(exporting.outcome());
    EXPECT_FALSE(exporting.cancelled());
    EXPECT_NE(exporting.outcome().message.find("picture.png"), std::string::npos) << exporting.outcome().message;
}

// The window going away while a picture is written waits for it: the file
// is whole.
TEST_F(PictureExportTest, GoneWhileWritingFinishesTheFile) {
    const std::filesystem::path file = folder / "twice.png";
    auto exporting = std::make_unique<PictureExport>(requestFor(file, ImageFormat::Png, 1200, 900));
    exporting->start();
    exporting.reset();
    EXPECT_EQ(QImageReader(QString::fromStdString(file.string())).size(), QSize(1200, 900));
    EXPECT_EQ(testing::namesIn(folder), std::set<std::string>{"twice.png"});
}

}  // namespace
}  // namespace ts
