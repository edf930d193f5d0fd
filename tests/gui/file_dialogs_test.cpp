#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>

#include "gui/file_dialogs.hpp"
#include "support/qt_application.hpp"
#include "support/test_folder.hpp"
#include "when_modal_opens.hpp"

namespace ts {
namespace {

const PictureSize kSizes[] = {{600, 450, "the canvas"}, {1200, 900, "2 \u00d7"}};

TEST(SaveFilters, OneFileTypePerFormatAndSize) {
    EXPECT_EQ(saveFilters(kSizes), (QStringList{QStringLiteral("PNG image, 600 \u00d7 450 \u2014 the canvas (*.png)"),
                                                QStringLiteral("PNG image, 1200 \u00d7 900 \u2014 2 \u00d7 (*.png)"),
                                                QStringLiteral("BMP image, 600 \u00d7 450 \u2014 the canvas (*.bmp)"),
                                                QStringLiteral("BMP image, 1200 \u00d7 900 \u2014 2 \u00d7 (*.bmp)"),
                                                QStringLiteral("WebP image, 600 \u00d7 450 \u2014 the canvas (*.webp)"),
                                                QStringLiteral("WebP image, 1200 \u00d7 900 \u2014 2 \u00d7 (*.webp)"),
                                                QStringLiteral("JPEG image, 600 \u00d7 450 \u2014 the canvas (*.jpg *.jpeg)"),
                                                QStringLiteral("JPEG image, 1200 \u00d7 900 \u2014 2 \u00d7 (*.jpg *.jpeg)")}));
}

TEST(SaveChoiceOf, TheFileTypeGivesTheSizeAndTheExtensionTheFormat) {
    const struct {
        const char* chosen;
        qsizetype filter;
        const char* file;
        ImageFormat format;
        int width;
    } cases[] = {
        {"/p/a.png", 0, "/p/a.png", ImageFormat::Png, 600},
        {"/p/a", 0, "/p/a.png", ImageFormat::Png, 600},
        {"/p/a", 3, "/p/a.bmp", ImageFormat::Bmp, 1200},
        {"/p/a.BMP", 1, "/p/a.BMP", ImageFormat::Bmp, 1200},  // the name typed wins over the type
        {"/p/a.tar", 2, "/p/a.tar.bmp", ImageFormat::Bmp, 600},
        {"/p/a", -1, "/p/a.png", ImageFormat::Png, 600},  // no type chosen
    };
    for (const auto& c : cases) {
        const SaveChoice choice = saveChoiceOf(c.chosen, c.filter, kSizes);
        EXPECT_EQ(choice.file, c.file) << c.chosen;
        EXPECT_EQ(choice.format, c.format) << c.chosen;
        EXPECT_EQ(choice.size.width, c.width) << c.chosen;
    }
}

// A table as a later one may be: a format the window does not offer, and one
// with two extensions. The filters and the choice follow whatever it says.
TEST(SaveFilters, FollowTheFormatsTable) {
    constexpr std::string_view kPng[] = {".png"}, kTiff[] = {".tif", ".tiff"}, kBmp[] = {".bmp"};
    const ImageFormatInfo formats[] = {
        {ImageFormat::Png, "png", "PNG", kPng, "image/png", nullptr, true, true, true},
        {ImageFormat::Bmp, "tiff", "TIFF", kTiff, "image/tiff", nullptr, true, false, true},
        {ImageFormat::Bmp, "bmp", "BMP", kBmp, "image/bmp", nullptr, true, false, false},
    };
    const PictureSize oneSize[] = {{600, 450, "the canvas"}};
    EXPECT_EQ(saveFilters(oneSize, formats),
              (QStringList{QStringLiteral("PNG image, 600 \u00d7 450 \u2014 the canvas (*.png)"),
                           QStringLiteral("TIFF image, 600 \u00d7 450 \u2014 the canvas (*.tif *.tiff)")}));
    const struct {
        const char* chosen;
        qsizetype filter;
        const char* file;
        ImageFormat format;
    } cases[] = {
        {"/p/a", 1, "/p/a.tif", ImageFormat::Bmp},
        {"/p/a.TIFF", 0, "/p/a.TIFF", ImageFormat::Bmp},
        // A format the window does not offer is never chosen by its name.
        {"/p/a.bmp", 0, "/p/a.bmp.png", ImageFormat::Png},
        {"/p/a.bmp", 1, "/p/a.bmp.tif", ImageFormat::Bmp},
        {"/p/a", 2, "/p/a.png", ImageFormat::Png},  // past the last type: the first
    };
    for (const auto& c : cases) {
        const SaveChoice choice = saveChoiceOf(c.chosen, c.filter, oneSize, formats);
        EXPECT_EQ(choice.file, c.file) << c.chosen;
        EXPECT_EQ(choice.format, c.format) << c.chosen;
    }
}

// With the program's own table: one filter per offered format and size, in
// the table's order, and each typed extension of an offered format chooses
// it.
TEST(SaveFilters, OfferEveryFormatTheWindowOffers) {
    const QStringList filters = saveFilters(kSizes);
    qsizetype at = 0;
    for (const ImageFormatInfo& info : imageFormats()) {
        if (!info.inWindow) continue;
        for (const PictureSize& size : kSizes) {
            ASSERT_LT(at, filters.size());
            const std::string filter = filters[at].toStdString();
            EXPECT_TRUE(filter.starts_with(std::string(info.title) + " image, " + std::to_string(size.width)))
                << filter;
            const SaveChoice untyped = saveChoiceOf("/p/a", at, kSizes);
            EXPECT_EQ(untyped.format, info.format) << filter;
            EXPECT_EQ(untyped.file, "/p/a" + std::string(info.extensions.front())) << filter;
            EXPECT_EQ(untyped.size.width, size.width) << filter;
            ++at;
        }
        for (const std::string_view extension : info.extensions) {
            EXPECT_NE(filters[at - 1].toStdString().find("*" + std::string(extension)), std::string::npos) << extension;
            const std::string typed = "/p/a" + std::string(extension);
            EXPECT_EQ(saveChoiceOf(typed, 0, kSizes).format, info.format) << typed;
            EXPECT_EQ(saveChoiceOf(typed, 0, kSizes).file, typed);
        }
    }
    EXPECT_EQ(at, filters.size());
}

TEST(OpenFilters, OfferTheFormatsThatKeepTheRecipeAndAllFiles) {
    EXPECT_EQ(openFilters(),
              (QStringList{QStringLiteral("Pictures made by Textscape (*.png)"), QStringLiteral("All files (*)")}));
}

// The Qt dialog, driven as a user does: it opens in the folder given with
// the picture's name, and its file type chooses format and size.
TEST(QtFileDialogs, SaveAsOpensInTheFolderWithTheNameAndTakesTheFileType) {
    testing::application();
    const std::filesystem::path folder = testing::freshFolder();
    QString directory, name;
    QStringList filters;
    const testing::WhenModalOpens<QFileDialog> choose([&](QFileDialog& open) {
        QFileDialog* dialog = &open;
        directory = dialog->directory().absolutePath();
        filters = dialog->nameFilters();
        name = dialog->selectedFiles().value(0);
        // The file type chosen in its list, as a user picks it.
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        if (!types) {
            dialog->reject();
            return;
        }
        types->setCurrentIndex(3);
        emit types->activated(3);
        emit types->textActivated(types->currentText());
        dialog->selectFile(QStringLiteral("wallpaper"));
        QMetaObject::invokeMethod(dialog, "accept");  // as the Save button does
    });
    QtFileDialogs dialogs;
    const std::optional<SaveChoice> choice = dialogs.askSaveFile(folder, "T20260308140509", kSizes);
    EXPECT_EQ(directory.toStdString(), folder.string());
    EXPECT_EQ(filters, saveFilters(kSizes));
    EXPECT_EQ(name.toStdString(), (folder / "T20260308140509.png").string());
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->file, folder / "wallpaper.bmp");
    EXPECT_EQ(choice->format, ImageFormat::Bmp);
    EXPECT_EQ(choice->size.width, 1200);
    EXPECT_EQ(choice->size.height, 900);
}

TEST(QtFileDialogs, CancelledGivesNothing) {
    testing::application();
    QtFileDialogs dialogs;
    testing::WhenModalOpens<QFileDialog> cancel([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_FALSE(dialogs.askSaveFile(testing::freshFolder(), "T1", kSizes).has_value());
    cancel.again();
    EXPECT_FALSE(dialogs.askOpenFile(testing::freshFolder()).has_value());
    EXPECT_EQ(cancel.times(), 2);
}

}  // namespace
}  // namespace ts

namespace ts {
namespace {

TEST(DialogSizeWithin, TakesWhatItWantsWhereItFitsElseWhatTheScreenHas) {
    const QMargins frame(4, 30, 4, 4);
    const struct {
        QSize wanted, minimum, available, size;
    } cases[] = {
        {{600, 400}, {300, 200}, {1280, 800}, {600, 400}},  // fits
        {{624, 412}, {300, 250}, {640, 400}, {624, 366}},   // too high by a little: the screen's height less the frame
        {{1248, 824}, {300, 250}, {640, 400}, {632, 366}},  // too large both ways
        {{624, 412}, {300, 380}, {640, 400}, {624, 380}},   // never below what it needs
    };
    for (const auto& c : cases)
        EXPECT_EQ(dialogSizeWithin(c.wanted, c.minimum, c.available, frame), c.size)
            << c.wanted.width() << "x" << c.wanted.height() << " on " << c.available.width() << "x"
            << c.available.height();
}

}  // namespace
}  // namespace ts
