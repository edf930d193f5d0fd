#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QColorSpace>
#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include "annotate/info_line.hpp"
#include "files/bmp_writer.hpp"
#include "files/png_encoder.hpp"
#include "gui/picture_export.hpp"
#include "gui/picture_file.hpp"
#include "qt/qt_image.hpp"
#include "support/picture.hpp"
#include "support/png_chunks.hpp"
#include "support/test_names.hpp"
#include "window_fixture.hpp"

namespace ts {
namespace {

std::string repeat(const std::string& unit, int times) {
    std::string out;
    for (int k = 0; k < times; ++k) out += unit;
    return out;
}

// A PNG of a small image with the given text chunks and no others.
std::vector<std::uint8_t> pngWith(const std::vector<PngText>& texts) {
    std::vector<std::uint8_t> png;
    EXPECT_TRUE(encodePng(Raster(8, 6, Colour::fromRgb(0, 128, 128)), PngMetadata{texts, {}}, png));
    return png;
}

class OpenPicture : public testing::WindowFixture {
protected:
    // Drops `data` on the window, as a drag from another program does.
    void drop(QMimeData* data, QPoint at = {300, 300}) {
        QWidget* target = form->clientArea();
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent dropped(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &dropped);
        EXPECT_TRUE(dropped.isAccepted());
        QCoreApplication::processEvents();
    }
    // Open, as the menu asks it, until the file has been read (the file is
    // read on a thread of its own).
    void openPicture() {
        QSignalSpy read(form.get(), &Form1::fileRead);
        form->openPicture();
        if (files->open) EXPECT_TRUE(read.wait(30000));
    }
    void dropText(const QString& text) {
        QMimeData data;
        data.setText(text);
        drop(&data);
    }
    // Writes the picture of `text`, as "Save as" does, to `file`.
    std::filesystem::path savedPicture(const std::string& text, const std::filesystem::path& file) {
        dialog->answer = text;
        form->Command5_Click();
        files->save = SaveChoice{file, ImageFormat::Png, exportSizes()[0]};
        QSignalSpy finished(form.get(), &Form1::exportFinished);
        form->savePictureAs();
        EXPECT_TRUE(finished.wait(60000));
        return file;
    }
};

// A PNG the window wrote gives its picture again: the same text, the same
// parameters, the same pixels.
TEST_F(OpenPicture, WrittenPngGivesItsPictureAgain) {
    const std::filesystem::path file = savedPicture("Zażółć gęślą jaźń", base / "picture.png");
    const Raster saved = form->canvas().raster();
    const std::string parameters = parameterLine(form->state());
    dialog->answer = "something else";
    form->Command5_Click();
    ASSERT_FALSE(form->canvas().raster() == saved);

    files->open = file;
    openPicture();
    EXPECT_EQ(files->openFolders, std::vector<std::filesystem::path>{base});  // where the last save went
    EXPECT_EQ(form->state().t, "Zażółć gęślą jaźń");
    EXPECT_EQ(parameterLine(form->state()), parameters);
    EXPECT_TRUE(form->canvas().raster() == saved);
    EXPECT_TRUE(openFailures.empty()) << openFailures.front();
    EXPECT_TRUE(saveFailures.empty());
    EXPECT_TRUE(errors.empty());

    // Cancelling the dialog changes nothing.
    const int before = pictures;
    files->open.reset();
    openPicture();
    EXPECT_EQ(pictures, before);
}

// A file written before picture definitions were recorded is of definition
// 1: it opens with the codes it was drawn with then (each character outside
// Windows-1252 a "?"), Save as draws and records it as definition 1 at any
// size, and the next text typed is of the newest definition again.
TEST_F(OpenPicture, AFileWithoutADefinitionOpensAsDefinition1) {
    const std::string privet = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
    testing::writeBytes(base / "old.png", pngWith({{"Title", privet}, {"Software", "textscape 1.0.0"}}));
    FormState questionMarks;
    testing::prepareTextPicture(questionMarks, "??????");

    files->open = base / "old.png";
    openPicture();
    ASSERT_TRUE(openFailures.empty()) << openFailures.front();
    EXPECT_EQ(form->state().t, privet);
    EXPECT_EQ(form->state().definition, 1);
    EXPECT_EQ(parameterLine(form->state()), parameterLine(questionMarks));

    const std::filesystem::path twice = base / "twice.png";
    files->save = SaveChoice{twice, ImageFormat::Png, exportSizes()[1]};
    QSignalSpy finished(form.get(), &Form1::exportFinished);
    form->savePictureAs();
    ASSERT_TRUE(finished.wait(60000));
    ASSERT_TRUE(finished.front().front().toBool()) << (saveFailures.empty() ? "" : saveFailures.front());
    EXPECT_EQ(testing::pngTexts(testing::readBytes(twice)).at("Picture Definition"), "1");
    QImage saved = QImage(QString::fromStdString(twice.string())).convertToFormat(QImage::Format_RGB32);
    saved.setColorSpace({});  // the file says sRGB; only its pixels are compared
    const Raster definition1 = renderPictureAt(privet, 1200, 900, 1),
                 definition2 = renderPictureAt(privet, 1200, 900, 2);
    EXPECT_TRUE(saved == imageOf(definition1));
    EXPECT_FALSE(saved == imageOf(definition2));

    dialog->answer = privet;
    form->Command5_Click();
    EXPECT_EQ(form->state().definition, kLatestPictureDefinition);
    EXPECT_NE(parameterLine(form->state()), parameterLine(questionMarks));
}

// A file records its size and caption flag: Open and a drop show its picture
// on the canvas, captioned as the file was, and Save as then offers the
// file's own size first and keeps the caption flag; a new text goes back to
// the usual sizes and its caption.
TEST_F(OpenPicture, AFilesSizeComesFirstInSaveAsAndItsCaptionFlagIsKept) {
    const std::filesystem::path file = base / "wide.png";
    testing::writeBytes(file, pngWith({{"Title", "sunset"},
                                       {"Software", "textscape-render 1.1.0"},
                                       {"Picture Definition", "2"},
                                       {"Picture Size", "1000x300"},
                                       {"Caption", "no"}}));
    const Raster uncaptioned = renderPictureAt("sunset", 600, 450, 2, false);
    ASSERT_FALSE(uncaptioned == renderPictureAt("sunset", 600, 450, 2, true));
    for (const bool dropped : {false, true}) {
        SCOPED_TRACE(dropped ? "dropped" : "opened");
        dialog->answer = "in between";
        form->Command5_Click();
        if (dropped) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file.string()))});
            QSignalSpy read(form.get(), &Form1::fileRead);
            drop(&data);
            ASSERT_TRUE(read.wait(30000));
        } else {
            files->open = file;
            openPicture();
        }
        ASSERT_TRUE(openFailures.empty()) << openFailures.front();
        EXPECT_EQ(form->state().t, "sunset");
        EXPECT_TRUE(form->canvas().raster() == uncaptioned);

        files->save.reset();
        form->savePictureAs();
        ASSERT_FALSE(files->offeredSizes.empty());
        EXPECT_EQ(files->offeredSizes.front(), (PictureSize{1000, 300, ""}));
        EXPECT_EQ(files->offeredSizes.size(), exportSizes().size() + 1);
    }

    // Saved at the canvas's size: the canvas as shown, recorded without caption.
    const std::filesystem::path saved = base / "again.png";
    files->save = SaveChoice{saved, ImageFormat::Png, exportSizes()[0]};
    QSignalSpy finished(form.get(), &Form1::exportFinished);
    form->savePictureAs();
    ASSERT_TRUE(finished.wait(60000));
    const auto texts = testing::pngTexts(testing::readBytes(saved));
    EXPECT_EQ(texts.at("Caption"), "no");
    EXPECT_EQ(texts.at("Picture Size"), "600x450");

    // A new text: the table's order, and a caption.
    dialog->answer = "sunset";
    form->Command5_Click();
    form->savePictureAs();
    EXPECT_EQ(files->offeredSizes, std::vector<PictureSize>(exportSizes().begin(), exportSizes().end()));
    EXPECT_FALSE(form->canvas().raster() == uncaptioned);
}

// A file of one of the named sizes puts that entry first, once.
TEST(ExportSizes, PutAFilesOwnSizeFirst) {
    const std::span<const PictureSize> table = exportSizes();
    EXPECT_EQ(exportSizes(std::nullopt), std::vector<PictureSize>(table.begin(), table.end()));
    for (const PictureSize& named : table) {
        const std::vector<PictureSize> sizes = exportSizes(PictureSize{named.width, named.height, ""});
        ASSERT_EQ(sizes.size(), table.size());
        EXPECT_STREQ(sizes.front().purpose, named.purpose);
        EXPECT_EQ(std::count(sizes.begin(), sizes.end(), named), 1);
    }
    const std::vector<PictureSize> other = exportSizes(PictureSize{16, 16384, ""});
    ASSERT_EQ(other.size(), table.size() + 1);
    EXPECT_EQ(other.front(), (PictureSize{16, 16384, ""}));
    EXPECT_TRUE(std::equal(table.begin(), table.end(), other.begin() + 1));
}

// "textscape FILE.png": the window starts with the file's picture, as Open
// makes it, and asks for no text; a file without a recipe is told and the
// text is asked for as at any start.
struct StartFileCase {
    const char* what;
    std::vector<PngText> texts;  // the file's chunks; none: no file at all
    bool opens;
};

void PrintTo(const StartFileCase& c, std::ostream* os) { *os << c.what; }

class StartWithFile : public testing::WindowFixture, public ::testing::WithParamInterface<StartFileCase> {
protected:
    void beforeStart() override {
        startFile = base / "named.png";
        if (!GetParam().texts.empty()) testing::writeBytes(startFile, pngWith(GetParam().texts));
    }
};

TEST_P(StartWithFile, OpensTheNamedPictureInsteadOfThePrompt) {
    const StartFileCase& c = GetParam();
    const std::string privet = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
    if (c.opens) {
        EXPECT_TRUE(dialog->requests.empty()) << "no prompt";
        EXPECT_TRUE(openFailures.empty()) << openFailures.front();
        EXPECT_EQ(form->state().t, privet);
        FormState expected;
        testing::prepareTextPicture(expected, privet);
        EXPECT_EQ(parameterLine(form->state()), parameterLine(expected));
    } else {
        EXPECT_EQ(dialog->requests.size(), 1U);
        ASSERT_EQ(openFailures.size(), 1U);
        EXPECT_EQ(form->state().t, "Hello, Textscape");
    }
    EXPECT_EQ(pictures, 1);
    EXPECT_TRUE(errors.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, StartWithFile,
                         ::testing::Values(StartFileCase{"a picture with its recipe",
                                                         {{"Title", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},
                                                          {"Software", "textscape 1.1.0"},
                                                          {"Picture Definition", "2"}},
                                                         true},
                                           StartFileCase{"a PNG without a recipe", {{"Comment", "hello"}}, false},
                                           StartFileCase{"no such file", {}, false}),
                         [](const auto& info) {
                             return std::string(info.param.texts.empty() ? "Missing"
                                                : info.param.opens       ? "Recipe"
                                                                         : "NoRecipe");
                         });

struct BadFileCase {
    const char* what;
    std::function<void(const std::filesystem::path&)> write;
    OpenedPicture::Kind kind;
    const char* says;  // part of the message
};

void PrintTo(const BadFileCase& c, std::ostream* os) { *os << c.what; }

class OpenBadFile : public OpenPicture, public ::testing::WithParamInterface<BadFileCase> {};

// A file with no recipe, a broken file or a file that is not an image is
// told apart in a message box, and the picture stays.
TEST_P(OpenBadFile, IsToldWhichAndThePictureStays) {
    const BadFileCase& c = GetParam();
    const std::filesystem::path file = base / "file";
    c.write(file);
    EXPECT_EQ(readPictureFile(file).kind, c.kind);

    const Raster canvas = form->canvas().raster(), window = form->windowSurface().raster();
    const int before = pictures;
    files->open = file;
    openPicture();
    ASSERT_EQ(openFailures.size(), 1u);
    EXPECT_NE(openFailures[0].find(c.says), std::string::npos) << openFailures[0];
    EXPECT_NE(openFailures[0].find("file"), std::string::npos) << "names the file: " << openFailures[0];
    EXPECT_EQ(pictures, before);
    EXPECT_TRUE(form->canvas().raster() == canvas);
    EXPECT_TRUE(form->windowSurface().raster() == window);
    EXPECT_EQ(form->state().t, "Hello, Textscape");
    EXPECT_FALSE(form->ended());
}

INSTANTIATE_TEST_SUITE_P(
    Files, OpenBadFile,
    ::testing::Values(
        BadFileCase{"png without recipe",
                    [](const std::filesystem::path& f) {
                        testing::writeBytes(f, pngWith({{"Comment", "hi"}}));
                    },
                    OpenedPicture::Kind::NoRecipe, "this PNG was not made by Textscape"},
        BadFileCase{"another program's title",
                    [](const std::filesystem::path& f) {
                        testing::writeBytes(f, pngWith({{"Title", "Holiday"}, {"Software", "GIMP"}}));
                    },
                    OpenedPicture::Kind::NoRecipe, "this PNG was not made by Textscape"},
        BadFileCase{"a newer picture definition",
                    [](const std::filesystem::path& f) {
                        testing::writeBytes(f, pngWith({{"Title", "from later"},
                                                        {"Software", "textscape 9.0.0"},
                                                        {"Picture Definition", "3"}}));
                    },
                    OpenedPicture::Kind::TooNew,
                    "file: this picture needs picture definition 3; this Textscape draws definitions 1 to 2."},
        BadFileCase{"bitmap", [](const std::filesystem::path& f) { testing::writeBytes(f, encodeBmp(Raster(4, 3))); },
                    OpenedPicture::Kind::NoRecipe, "BMP image without a recipe"},
        BadFileCase{"cut short",
                    [](const std::filesystem::path& f) {
                        std::vector<std::uint8_t> png = pngWith({{"Text", "cut"}});
                        png.resize(png.size() - 20);
                        testing::writeBytes(f, png);
                    },
                    OpenedPicture::Kind::Broken, "damaged"},
        BadFileCase{"damaged chunk",
                    [](const std::filesystem::path& f) {
                        std::vector<std::uint8_t> png = pngWith({{"Text", "damaged"}});
                        png[png.size() - 30] ^= 0x55;
                        testing::writeBytes(f, png);
                    },
                    OpenedPicture::Kind::Broken, "damaged"},
        BadFileCase{"plain text", [](const std::filesystem::path& f) { testing::writeText(f, "Hello, Textscape\n"); },
                    OpenedPicture::Kind::NotAnImage, "not an image"},
        BadFileCase{"missing", [](const std::filesystem::path&) {}, OpenedPicture::Kind::Unreadable, "No such file"},
        // Read as the renderer's --from reads: only a regular file, never waited on.
        BadFileCase{"named pipe", [](const std::filesystem::path& f) { ASSERT_EQ(::mkfifo(f.c_str(), 0644), 0); },
                    OpenedPicture::Kind::Unreadable, "it is a named pipe, not a regular file"},
        BadFileCase{"folder", [](const std::filesystem::path& f) { std::filesystem::create_directory(f); },
                    OpenedPicture::Kind::Unreadable, "it is a folder"},
        BadFileCase{"text too long",
                    [](const std::filesystem::path& f) {
                        testing::writeBytes(f, pngWith({{"Title", repeat("x", 101)}, {"Software", "textscape 1.0.0"}}));
                    },
                    OpenedPicture::Kind::RefusedText, "The text in file cannot be used: the text has 101 characters"}),
    testing::nameByWhat);

TEST(ReadPictureRecipe, ReadsTheTextAsWrittenUnderEitherKey) {
    testing::application();
    const struct {
        std::vector<PngText> texts;
        std::string text;
    } cases[] = {
        {{{"Text", "  two  spaces  "}, {"Software", "textscape-render 1.0.0"}}, "  two  spaces  "},
        {{{"Title", "\xC5\xBE\xC3\xA9 \xF0\x9F\x98\x80"}, {"Software", "textscape 1.0.0"}},
         "\xC5\xBE\xC3\xA9 \xF0\x9F\x98\x80"},
        {{{"Title", ""}, {"Software", "textscape 1.0.0"}}, ""},
        {{{"Title", "new keys"}, {"Text", "old keys"}, {"Software", "textscape-render 1.0.0"}}, "new keys"},
    };
    for (const auto& c : cases) {
        const OpenedPicture opened = readPictureRecipe("x.png", pngWith(c.texts));
        EXPECT_EQ(opened.kind, OpenedPicture::Kind::Text) << opened.message;
        EXPECT_EQ(opened.text, c.text);
    }
}

TEST_F(OpenPicture, DroppedPngFileGivesItsPicture) {
    const std::filesystem::path file = savedPicture("dropped file", base / "drop.png");
    dialog->answer = "in between";
    form->Command5_Click();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file.string()))});
    QSignalSpy read(form.get(), &Form1::fileRead);
    drop(&data);
    ASSERT_TRUE(read.wait(30000));
    EXPECT_EQ(form->state().t, "dropped file");
    EXPECT_TRUE(openFailures.empty());
}

struct DropCase {
    const char* what;
    QString dropped;
    std::string text;  // the picture's text
    const char* note;  // the status line after it
};

void PrintTo(const DropCase& c, std::ostream* os) { *os << c.what; }

class DropText : public OpenPicture, public ::testing::WithParamInterface<DropCase> {};

// A dropped text makes its picture: the first 100 characters of its first
// line, said so when cut.
TEST_P(DropText, MakesThePictureOfItsFirstLine) {
    const DropCase& c = GetParam();
    const int before = pictures;
    dropText(c.dropped);
    EXPECT_EQ(pictures, before + 1);
    EXPECT_EQ(form->state().t, c.text);
    EXPECT_EQ(form->statusLine().toStdString(), c.note);
    EXPECT_TRUE(openFailures.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DropText,
    ::testing::Values(DropCase{"one line", QStringLiteral("a dropped text"), "a dropped text", ""},
                      DropCase{"a trailing line break only", QStringLiteral("line\n"), "line", ""},
                      DropCase{"two lines", QStringLiteral("abc\ndef"), "abc",
                               "took the first line of the dropped text"},
                      DropCase{"Windows line ends", QStringLiteral("abc\r\ndef\r\n"), "abc",
                               "took the first line of the dropped text"},
                      DropCase{"101 emoji", QString::fromStdString(repeat("\xF0\x9F\x98\x80", 101)),
                               repeat("\xF0\x9F\x98\x80", 100), "took the first 100 characters of the dropped text"},
                      DropCase{"long first line of two", QString::fromStdString(repeat("x", 120) + "\nsecond"),
                               repeat("x", 100), "took the first 100 characters of the dropped text's first line"}),
    testing::nameByWhat);

}  // namespace
}  // namespace ts
