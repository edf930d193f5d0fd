#include <gtest/gtest.h>

#include <QCloseEvent>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include "annotate/info_line.hpp"
#include "files/bmp_writer.hpp"
#include "files/pictures_folder.hpp"
#include "gui/command_line.hpp"
#include "gui/picture_export.hpp"
#include "picture/picture.hpp"
#include "qt/qt_surfaces.hpp"
#include "support/in_zone.hpp"
#include "support/png_chunks.hpp"
#include "support/test_folder.hpp"
#include "window_fixture.hpp"

namespace ts {
namespace {

const Colour kWhite = Colour::fromRgb(255, 255, 255);

// The pixels of an image file as a raster, or an empty raster.
Raster pixelsOf(const std::filesystem::path& file) {
    const QImage image = QImage(QString::fromStdString(file.string())).convertToFormat(QImage::Format_RGB32);
    Raster raster(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) raster.set(x, y, Colour::fromPixel(image.pixel(x, y)));
    return raster;
}

// Runs textscape-render on a text and gives the bytes it wrote to `out`.
std::vector<std::uint8_t> rendered(const std::string& text, const std::filesystem::path& out,
                                   const QStringList& options = {}) {
    QProcess renderer;
    renderer.start(QStringLiteral(TEXTSCAPE_RENDER_PROGRAM),
                   options + QStringList{QStringLiteral("-o"), QString::fromStdString(out.string()),
                                         QStringLiteral("--"), QString::fromStdString(text)});
    EXPECT_TRUE(renderer.waitForFinished(120000));
    EXPECT_EQ(renderer.exitCode(), 0) << renderer.readAllStandardError().toStdString();
    return testing::readBytes(out);
}

class WindowSave : public testing::WindowFixture {
protected:
    void beforeStart() override {
        folder = base / "Pictures";
        qputenv("XDG_PICTURES_DIR", QByteArray::fromStdString(folder.string()));
    }
    void TearDown() override {
        qunsetenv("XDG_PICTURES_DIR");
        WindowFixture::TearDown();
    }

    void click(const char* name) {
        auto* button = form->findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    std::string status() const { return form->statusLine().toStdString(); }
    // Whether anything is written in the status strip beside the buttons.
    bool statusShown() const {
        for (int y = layout::kSaveStatus.y; y <= layout::kSaveStatus.bottom(); ++y)
            for (int x = layout::kSaveStatus.x; x < 1000; ++x)
                if (form->windowSurface().raster().at(x, y) != Colour::black()) return true;
        return false;
    }
    // "Save as" to `file` at the canvas's size; waits for the writing thread.
    bool saveAs(const std::filesystem::path& file, ImageFormat format) {
        files->save = SaveChoice{file, format, exportSizes()[0]};
        QSignalSpy finished(form.get(), &Form1::exportFinished);
        form->savePictureAs();
        EXPECT_TRUE(form->exporting());
        if (!finished.wait(60000)) return false;
        EXPECT_FALSE(form->exporting());
        return finished.front().front().toBool();
    }

    std::filesystem::path folder;
};

// The file holds exactly the 600 x 450 canvas, caption included: no row
// lost, no black column added.
TEST_F(WindowSave, SaveButtonWritesExactlyTheCanvasIntoThePicturesFolderAndSaysWhere) {
    click("Command3");
    const std::filesystem::path file = folder / "T20260308140509.bmp";
    ASSERT_TRUE(std::filesystem::exists(file)) << status();
    EXPECT_EQ(testing::readBytes(file), encodeBmp(form->canvas().raster()));
    EXPECT_TRUE(pixelsOf(file) == form->canvas().raster());
    EXPECT_EQ(status(), "saved to " + homeRelative(file));
    EXPECT_TRUE(statusShown());
    EXPECT_TRUE(saveFailures.empty());
    EXPECT_TRUE(errors.empty());
    // The mark ran to the canvas's right edge and is cleared once the save is done.
    EXPECT_EQ(form->windowSurface().raster().at(630, 543), Colour::black());
    EXPECT_EQ(form->windowSurface().raster().at(631, 543), Colour::black());
}

TEST_F(WindowSave, SaveButtonTooltipNamesTheFolder) {
    const auto* button = form->findChild<QPushButton*>(QStringLiteral("Command3"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text().toStdString(), "save on disk D:");
    EXPECT_NE(button->toolTip().toStdString().find(homeRelative(folder)), std::string::npos)
        << button->toolTip().toStdString();
}

TEST_F(WindowSave, SameStampSecondPictureGetsItsOwnFileAndResavingReplaces) {
    click("Command3");
    dialog->answer = "another text";
    click("Command5");  // the fixed clock gives it the same stamp
    click("Command3");
    click("Command3");
    EXPECT_EQ(testing::namesIn(folder), (std::set<std::string>{"T20260308140509.bmp", "T20260308140509-2.bmp"}));
    EXPECT_EQ(testing::readBytes(folder / "T20260308140509-2.bmp"), encodeBmp(form->composite().raster()));
    EXPECT_NE(testing::readBytes(folder / "T20260308140509.bmp"), encodeBmp(form->composite().raster()));
    EXPECT_EQ(status(), "saved to " + homeRelative(folder / "T20260308140509-2.bmp"));
}

TEST_F(WindowSave, FailedSaveIsToldAndTheProgramGoesOnWithItsPicture) {
    testing::writeText(base / "plain", "x");
    const std::filesystem::path blocked = base / "plain" / "Pictures";
    qputenv("XDG_PICTURES_DIR", QByteArray::fromStdString(blocked.string()));
    const Raster before = form->canvas().raster();
    click("Command3");
    ASSERT_EQ(saveFailures.size(), 1u);
    EXPECT_NE(saveFailures[0].find((blocked / "T20260308140509.bmp").string()), std::string::npos) << saveFailures[0];
    EXPECT_NE(saveFailures[0].find("Not a directory"), std::string::npos) << saveFailures[0];
    EXPECT_FALSE(form->ended());
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(form->canvas().raster() == before);
    EXPECT_NE(status().find("not saved"), std::string::npos) << status();

    // And the next save, with the folder back, works.
    qputenv("XDG_PICTURES_DIR", QByteArray::fromStdString(folder.string()));
    click("Command3");
    EXPECT_TRUE(std::filesystem::exists(folder / "T20260308140509.bmp"));
}

// A picture saved from the window, with the button or with "Save as", is
// the renderer's picture of the same text, byte for byte.
TEST_F(WindowSave, WindowAndRendererGiveTheSameCanvasByteForByte) {
    // Each text typed at start-up, into a window of its own.
    const std::vector<std::string> texts = {"Hello, Textscape", "", "Zażółć gęślą jaźń", std::string(100, 'W')};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        auto answer = std::make_unique<testing::ScriptedDialog>();
        answer->answer = text;
        Form1 window(std::move(answer), std::make_unique<FixedClock>(testing::testClock()));
        window.setErrorReport([this](const QString& message) { errors.push_back(message.toStdString()); });
        window.start();
        ASSERT_TRUE(errors.empty()) << errors.front();

        FixedClock clock = testing::testClock();
        EXPECT_TRUE(MakeFreshPicture(text, makeCanvas(), clock, true).canvas == window.canvas().raster());
        EXPECT_TRUE(renderPictureAt(text, 600, 450) == window.canvas().raster());

        const std::vector<std::uint8_t> bmp = rendered(text, base / "render.bmp");
        EXPECT_EQ(bmp, encodeBmp(window.canvas().raster()));
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command3")), Qt::LeftButton);
        EXPECT_EQ(testing::readBytes(folder / (window.state().imeslike + ".bmp")), bmp);
        std::filesystem::remove(folder / (window.state().imeslike + ".bmp"));

        rendered(text, base / "render.png");
        EXPECT_TRUE(pixelsOf(base / "render.png") == window.canvas().raster());
    }
}

TEST_F(WindowSave, SaveAsWritesThePictureAtTheChosenSizeWithItsRecipe) {
    ASSERT_FALSE(exportSizes().empty());
    const std::filesystem::path png = base / "chosen" / "picture.png";
    std::filesystem::create_directories(png.parent_path());
    ASSERT_TRUE(saveAs(png, ImageFormat::Png)) << (saveFailures.empty() ? "" : saveFailures.front());
    EXPECT_EQ(files->saveNames, std::vector<std::string>{"T20260308140509"});
    EXPECT_EQ(files->offeredSizes.front(), (PictureSize{600, 450, ""}));
    EXPECT_TRUE(pixelsOf(png) == form->canvas().raster());
    const auto texts = testing::pngTexts(testing::readBytes(png));
    EXPECT_EQ(texts.count("!crc"), 0u);
    EXPECT_EQ(texts.at("Title"), "Hello, Textscape");
    EXPECT_NE(texts.at("Description").find("(tip1=15  tip2=1  tip3=4  seed=2033639)"), std::string::npos);
    EXPECT_EQ(texts.at("Software"), windowVersion());
    EXPECT_TRUE(texts.at("Software").starts_with("textscape ")) << "names the window, not the renderer";
    EXPECT_TRUE(texts.at("Creation Time").starts_with("2026-03-08T14:05:09")) << texts.at("Creation Time");
    EXPECT_EQ(status(), "saved to " + homeRelative(png));

    const std::filesystem::path bmp = base / "chosen" / "picture.bmp";
    ASSERT_TRUE(saveAs(bmp, ImageFormat::Bmp));
    EXPECT_EQ(testing::readBytes(bmp), encodeBmp(form->canvas().raster()));
    EXPECT_TRUE(saveFailures.empty());
}

// The first "Save as" starts in the pictures folder (made when missing),
// the next ones in the folder used last, remembered in the settings.
TEST_F(WindowSave, SaveAsStartsInThePicturesFolderThenInTheFolderUsedLast) {
    ASSERT_FALSE(std::filesystem::exists(folder));
    std::filesystem::create_directories(base / "elsewhere");
    files->save.reset();
    form->savePictureAs();  // cancelled: nothing written, nothing remembered
    EXPECT_FALSE(form->exporting());
    ASSERT_TRUE(saveAs(base / "elsewhere" / "one.png", ImageFormat::Png));
    ASSERT_TRUE(saveAs(base / "elsewhere" / "two.png", ImageFormat::Png));
    EXPECT_EQ(files->saveFolders, (std::vector<std::filesystem::path>{folder, folder, base / "elsewhere"}));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    const QSettings settings(QString::fromStdString((base / "settings.ini").string()), QSettings::IniFormat);
    EXPECT_EQ(settings.value(QStringLiteral("folder")).toString().toStdString(), (base / "elsewhere").string());
    EXPECT_EQ(testing::namesIn(base / "elsewhere"), (std::set<std::string>{"one.png", "two.png"}));
}

TEST_F(WindowSave, SaveAsThatCannotWriteSaysWhyAndKeepsThePicture) {
    testing::writeText(base / "plain", "x");
    const Raster before = form->canvas().raster();
    EXPECT_FALSE(saveAs(base / "plain" / "picture.png", ImageFormat::Png));
    ASSERT_EQ(saveFailures.size(), 1u);
    EXPECT_NE(saveFailures[0].find("picture.png"), std::string::npos) << saveFailures[0];
    EXPECT_NE(status().find("not saved"), std::string::npos) << status();
    EXPECT_TRUE(form->canvas().raster() == before);
    EXPECT_FALSE(form->ended());
}

TEST_F(WindowSave, CopyPutsThePictureOnTheClipboard) {
    QGuiApplication::clipboard()->clear();
    form->copyPicture();
    const QImage copied = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(copied.size(), QSize(600, 450));
    bool same = true;
    for (int y = 0; y < 450 && same; ++y)
        for (int x = 0; x < 600 && same; ++x) same = copied.pixel(x, y) == form->canvas().raster().at(x, y).pixel();
    EXPECT_TRUE(same);
    EXPECT_EQ(status(), "picture copied to the clipboard");
}

}  // namespace
}  // namespace ts

namespace ts {
namespace {

// The share of pixels at even columns and rows of `big` (twice the
// standard size) that equal the standard picture's, away from the caption.
double sharedWithTheStandard(const Raster& big, const Raster& standard) {
    int same = 0, compared = 0;
    for (int y = 0; y < 380; ++y)
        for (int x = 0; x < 600; ++x) {
            ++compared;
            same += big.at(2 * x, 2 * y) == standard.at(x, y);
        }
    return static_cast<double>(same) / compared;
}

// Local 02:30 of 2026-10-25 happens twice in Berlin: a picture saved from
// the window records the offset of the instant it was made at.
struct RepeatedHourCase {
    std::time_t instant;
    const char* creationTime;
};

class SaveInTheRepeatedHour : public WindowSave, public ::testing::WithParamInterface<RepeatedHourCase> {
protected:
    void beforeStart() override {
        WindowSave::beforeStart();
        zone.emplace("Europe/Berlin");
        windowClock = FixedClock("10-25-2026", "02:30:00", 9000, GetParam().instant);
    }
    void TearDown() override {
        WindowSave::TearDown();
        zone.reset();
    }
    std::optional<testing::InZone> zone;
};

TEST_P(SaveInTheRepeatedHour, CreationTimeHasTheOffsetOfThePicturesInstant) {
    if (localRfc3339(GetParam().instant).ends_with("Z")) GTEST_SKIP() << "no time zone data on this machine";
    EXPECT_EQ(form->state().imeslike, "T20261025023000");
    ASSERT_TRUE(saveAs(base / "autumn.png", ImageFormat::Png)) << (saveFailures.empty() ? "" : saveFailures.front());
    EXPECT_EQ(testing::pngTexts(testing::readBytes(base / "autumn.png")).at("Creation Time"), GetParam().creationTime);
}

INSTANTIATE_TEST_SUITE_P(Berlin, SaveInTheRepeatedHour,
                         ::testing::Values(RepeatedHourCase{testing::kBerlinFirst0230, "2026-10-25T02:30:00+02:00"},
                                           RepeatedHourCase{testing::kBerlinSecond0230, "2026-10-25T02:30:00+01:00"}),
                         [](const auto& info) { return info.index == 0 ? "SummerTime" : "WinterTime"; });

TEST_F(WindowSave, SaveAsOffersTheSizesPeopleUse) {
    const std::vector<std::pair<int, int>> expected = {{600, 450},   {1200, 900},  {2400, 1800}, {1920, 1080},
                                                       {3840, 2160}, {3508, 2480}, {4961, 3508}};
    std::vector<std::pair<int, int>> offered;
    for (const PictureSize& size : exportSizes()) offered.emplace_back(size.width, size.height);
    EXPECT_EQ(offered, expected);
}

// Closing the window while a "Save as" is written waits for it, and a save
// that fails is told before the program ends.
TEST_F(WindowSave, ClosingDuringSaveAsWaitsAndTellsAFailure) {
    const struct {
        const char* what;
        std::filesystem::path file;
        bool written;
    } cases[] = {
        {"written", base / "closing.png", true},
        {"into a folder that is not there", base / "missing" / "closing.png", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        saveFailures.clear();
        files->save = SaveChoice{c.file, ImageFormat::Png, exportSizes()[1]};
        form->savePictureAs();
        ASSERT_TRUE(form->exporting());
        QCloseEvent close;
        QCoreApplication::sendEvent(form.get(), &close);
        EXPECT_FALSE(form->exporting());
        EXPECT_EQ(std::filesystem::exists(c.file), c.written);
        EXPECT_EQ(saveFailures.empty(), c.written);
        testing::takePendingEnd();
        form = nullptr;
        SetUp();
    }
}

// Twice the size: the same composition, drawn again at 1200 x 900, with the
// caption twice as large in the same corner.
TEST_F(WindowSave, SaveAsAtTwiceTheSizeDrawsThePictureAgainLarger) {
    const std::filesystem::path png = base / "twice.png";
    files->save = SaveChoice{png, ImageFormat::Png, exportSizes()[1]};
    QSignalSpy finished(form.get(), &Form1::exportFinished);
    form->savePictureAs();
    ASSERT_TRUE(finished.wait(60000));
    ASSERT_TRUE(finished.front().front().toBool()) << (saveFailures.empty() ? "" : saveFailures.front());
    const Raster saved = pixelsOf(png);
    ASSERT_EQ(saved.width(), 1200);
    ASSERT_EQ(saved.height(), 900);
    EXPECT_GT(sharedWithTheStandard(saved, form->canvas().raster()), 0.99);
    EXPECT_EQ(testing::pngTexts(testing::readBytes(png)).at("Title"), "Hello, Textscape");
    // The renderer's picture at that size, pixel for pixel.
    rendered("Hello, Textscape", base / "render.png", {QStringLiteral("--size"), QStringLiteral("1200x900")});
    EXPECT_TRUE(pixelsOf(base / "render.png") == saved);

    // The caption: where the drawing without it differs, within the lower
    // left, at twice the standard place.
    FixedClock clock = testing::testClock();
    const Raster bare = MakeFreshPicture("Hello, Textscape", makeCanvas(1200, 900), clock, false).canvas;
    QRect ink;
    for (int y = 0; y < 900; ++y)
        for (int x = 0; x < 1200; ++x)
            if (saved.at(x, y) != bare.at(x, y)) ink |= QRect(x, y, 1, 1);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.left(), 20, 3);
    EXPECT_NEAR(ink.top(), 830, 12);
    EXPECT_LT(ink.bottom(), 890);
    EXPECT_LT(ink.right(), 600);
}

// A big picture is drawn on a worker thread: the window goes on (here it
// makes another picture meanwhile), shows the progress, and the file holds
// the picture asked for.
TEST_F(WindowSave, BigSaveAsKeepsTheWindowGoingAndShowsItsProgress) {
    const std::filesystem::path png = base / "print.png";
    const PictureSize a3 = exportSizes().back();
    files->save = SaveChoice{png, ImageFormat::Png, a3};
    QSignalSpy finished(form.get(), &Form1::exportFinished);
    form->savePictureAs();
    ASSERT_TRUE(form->exporting());
    dialog->answer = "meanwhile";
    form->Command5_Click();
    EXPECT_EQ(form->state().t, "meanwhile");
    EXPECT_TRUE(form->exporting()) << "still drawing after a new picture was made";

    int mostShown = 0;
    while (finished.isEmpty()) {
        QTest::qWait(20);
        if (auto* progress = form->findChild<QProgressDialog*>()) mostShown = std::max(mostShown, progress->value());
        ASSERT_TRUE(finished.isEmpty() || !form->exporting());
    }
    ASSERT_TRUE(finished.front().front().toBool()) << (saveFailures.empty() ? "" : saveFailures.front());
    EXPECT_GT(mostShown, 0);
    EXPECT_EQ(form->findChild<QProgressDialog*>(), nullptr) << "gone once written";
    const QImageReader reader(QString::fromStdString(png.string()));
    EXPECT_EQ(reader.size(), QSize(4961, 3508));
    EXPECT_EQ(testing::pngTexts(testing::readBytes(png)).at("Title"), "Hello, Textscape");
}

// The progress window's Cancel stops a big "Save as" while it is drawn:
// nothing is written, no message box opens, the line beside the buttons
// says so, and "Save as" works again.
TEST_F(WindowSave, SaveAsCancelledFromItsProgressWindowWritesNothing) {
    const std::filesystem::path png = base / "print.png";
    files->save = SaveChoice{png, ImageFormat::Png, exportSizes().back()};
    QSignalSpy finished(form.get(), &Form1::exportFinished);
    form->savePictureAs();
    QProgressDialog* progress = form->exportProgress();
    ASSERT_NE(progress, nullptr);
    auto* cancel = progress->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text().toStdString(), "Cancel");
    ASSERT_TRUE(QTest::qWaitFor([&] { return progress->value() > 0 || !finished.isEmpty(); }, 60000));
    ASSERT_TRUE(finished.isEmpty()) << "ended before it could be cancelled";
    cancel->click();
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_FALSE(finished.front().front().toBool());
    EXPECT_EQ(testing::namesIn(base), (std::set<std::string>{"Pictures", "settings.ini"}));
    EXPECT_TRUE(saveFailures.empty()) << saveFailures.front();
    EXPECT_EQ(status(), "not saved: " + homeRelative(png));
    EXPECT_FALSE(form->exporting());
    EXPECT_EQ(form->exportProgress(), nullptr);
    EXPECT_TRUE(saveAs(base / "after.png", ImageFormat::Png));
}

}  // namespace
}  // namespace ts
