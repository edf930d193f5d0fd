#include <gtest/gtest.h>

#include <QProcess>
#include <QPushButton>
#include <QTest>

#include "files/bmp_writer.hpp"
#include "files/pictures_folder.hpp"
#include "gui/main_window.hpp"
#include "picture/picture.hpp"
#include "qt/qt_surfaces.hpp"
#include "support/fakes.hpp"
#include "support/qt_application.hpp"
#include "support/test_folder.hpp"

namespace ts {
namespace {

class AnswerDialog final : public TextDialog {
public:
    std::string ask(std::string_view, int, int) override { return answer; }
    std::string answer = "Hello, Textscape";
};

const Colour kWhite = Colour::fromRgb(255, 255, 255);

class WindowSave : public ::testing::Test {
protected:
    void SetUp() override {
        testing::application();
        folder = testing::freshFolder() / "Pictures";
        qputenv("XDG_PICTURES_DIR", QByteArray::fromStdString(folder.string()));
        auto scripted = std::make_unique<AnswerDialog>();
        dialog = scripted.get();
        form = std::make_unique<Form1>(std::move(scripted), std::make_unique<FixedClock>(testing::testClock()));
        form->setErrorReport([this](const QString& text) { errors.push_back(text.toStdString()); });
        form->setSaveFailureReport([this](const QString& text) { failures.push_back(text.toStdString()); });
        form->start();
    }
    void TearDown() override { qunsetenv("XDG_PICTURES_DIR"); }

    void click(const char* name) {
        auto* button = form->findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    std::string status() const { return form->saveStatus().toStdString(); }
    // Whether anything is written in the status strip beside the buttons.
    bool statusShown() const {
        for (int y = layout::kSaveStatus.y; y <= layout::kSaveStatus.bottom(); ++y)
            for (int x = layout::kSaveStatus.x; x < 1000; ++x)
                if (form->windowSurface().raster().at(x, y) != Colour::black()) return true;
        return false;
    }

    std::filesystem::path folder;
    AnswerDialog* dialog = nullptr;
    std::unique_ptr<Form1> form;
    std::vector<std::string> errors, failures;
};

TEST_F(WindowSave, SaveButtonWritesTheCanvasIntoThePicturesFolderAndSaysWhere) {
    click("Command3");
    const std::filesystem::path file = folder / "T20260308140509.bmp";
    ASSERT_TRUE(std::filesystem::exists(file)) << status();
    EXPECT_EQ(testing::readBytes(file), encodeBmp(form->composite().raster()));
    for (int x = 0; x < 600; x += 7)
        for (int y = 0; y < 449; y += 5)
            ASSERT_EQ(form->composite().raster().at(x, y), form->canvas().raster().at(x, y));
    EXPECT_EQ(status(), "saved to " + homeRelative(file));
    EXPECT_TRUE(statusShown());
    EXPECT_TRUE(failures.empty());
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(form->windowSurface().raster().at(630, 543), kWhite);
    EXPECT_EQ(form->windowSurface().raster().at(631, 543), kWhite);
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
    const std::filesystem::path base = folder.parent_path();
    testing::writeText(base / "plain", "x");
    const std::filesystem::path blocked = base / "plain" / "Pictures";
    qputenv("XDG_PICTURES_DIR", QByteArray::fromStdString(blocked.string()));
    const Raster before = form->canvas().raster();
    click("Command3");
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find((blocked / "T20260308140509.bmp").string()), std::string::npos) << failures[0];
    EXPECT_NE(failures[0].find("Not a directory"), std::string::npos) << failures[0];
    EXPECT_FALSE(form->ended());
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(form->canvas().raster() == before);
    EXPECT_NE(status().find("not saved"), std::string::npos) << status();

    // And the next save, with the folder back, works.
    qputenv("XDG_PICTURES_DIR", QByteArray::fromStdString(folder.string()));
    click("Command3");
    EXPECT_TRUE(std::filesystem::exists(folder / "T20260308140509.bmp"));
}

TEST_F(WindowSave, WindowAndRendererGiveTheSameCanvasByteForByte) {
    // Each text typed at start-up, into a window of its own.
    const std::vector<std::string> texts = {"Hello, Textscape", "", "Zażółć gęślą jaźń", std::string(100, 'W')};
    for (const std::string& text : texts) {
        auto answer = std::make_unique<AnswerDialog>();
        answer->answer = text;
        Form1 window(std::move(answer), std::make_unique<FixedClock>(testing::testClock()));
        window.setErrorReport([this](const QString& message) { errors.push_back(message.toStdString()); });
        window.start();
        ASSERT_TRUE(errors.empty()) << errors.front();

        FixedClock clock = testing::testClock();
        EXPECT_TRUE(MakeFreshPicture(text, makeCanvas(), clock, true).canvas == window.canvas().raster()) << text;

        const std::filesystem::path out = folder.parent_path() / "render.bmp";
        QProcess renderer;
        renderer.start(QStringLiteral(TEXTSCAPE_RENDER_PROGRAM),
                       {QStringLiteral("-o"), QString::fromStdString(out.string()), QStringLiteral("--"),
                        QString::fromStdString(text)});
        ASSERT_TRUE(renderer.waitForFinished(120000));
        ASSERT_EQ(renderer.exitCode(), 0) << renderer.readAllStandardError().toStdString();
        EXPECT_EQ(testing::readBytes(out), encodeBmp(window.canvas().raster())) << text;
    }
}

}  // namespace
}  // namespace ts
