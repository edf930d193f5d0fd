#include "gui/window_settings.hpp"

#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>

#include <functional>
#include <string>
#include <vector>

#include "support/qt_application.hpp"
#include "support/test_folder.hpp"

namespace ts {
namespace {

class WindowSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::application();
        base = testing::freshFolder();
        pictures = base / "Pictures";
        qputenv("XDG_PICTURES_DIR", QByteArray::fromStdString(pictures.string()));
    }
    void TearDown() override { qunsetenv("XDG_PICTURES_DIR"); }

    QString file(const char* name) const { return QString::fromStdString((base / name).string()); }

    std::filesystem::path base, pictures;
};

struct FolderCase {
    const char* what;
    std::function<void(const std::filesystem::path& base, WindowSettings&)> before;
    std::function<std::filesystem::path(const std::filesystem::path& base)> opens;
};

// The file dialogs open in the folder used last while it is a folder, else
// in the pictures folder (made), else in the home folder.
TEST_F(WindowSettingsTest, DialogsOpenInTheFolderUsedLastElseThePicturesFolderElseHome) {
    const auto inPictures = [this](const std::filesystem::path&) { return pictures; };
    const FolderCase cases[] = {
        {"nothing remembered", [](const auto&, WindowSettings&) {}, inPictures},
        {"a folder remembered",
         [](const std::filesystem::path& b, WindowSettings& s) {
             std::filesystem::create_directories(b / "chosen");
             s.rememberFolder(b / "chosen");
         },
         [](const std::filesystem::path& b) { return b / "chosen"; }},
        {"a folder remembered, then removed",
         [](const std::filesystem::path& b, WindowSettings& s) {
             std::filesystem::create_directories(b / "gone");
             s.rememberFolder(b / "gone");
             std::filesystem::remove(b / "gone");
         },
         inPictures},
        {"a file where the folder was",
         [](const std::filesystem::path& b, WindowSettings& s) {
             testing::writeText(b / "plain", "x");
             s.rememberFolder(b / "plain");
         },
         inPictures},
        {"no pictures folder can be made",
         [](const std::filesystem::path& b, WindowSettings&) {
             testing::writeText(b / "blocked", "x");
             qputenv("XDG_PICTURES_DIR", QByteArray::fromStdString((b / "blocked" / "Pictures").string()));
         },
         [](const std::filesystem::path&) { return std::filesystem::path(QDir::homePath().toStdString()); }},
    };
    int n = 0;
    for (const FolderCase& c : cases) {
        const std::filesystem::path caseBase = base / ("case" + std::to_string(++n));
        std::filesystem::create_directories(caseBase);
        pictures = caseBase / "Pictures";
        qputenv("XDG_PICTURES_DIR", QByteArray::fromStdString(pictures.string()));
        WindowSettings settings(QString::fromStdString((caseBase / "settings.ini").string()));
        c.before(caseBase, settings);
        EXPECT_EQ(settings.dialogFolder(), c.opens(caseBase)) << c.what;
        if (c.opens(caseBase) == pictures) {
            EXPECT_TRUE(std::filesystem::is_directory(pictures)) << c.what;
        }
    }
}

// The folder is kept in the file, under the key earlier versions used, for
// the next run; another file keeps its own.
TEST_F(WindowSettingsTest, TheFolderUsedLastIsKeptInTheFileForTheNextRun) {
    std::filesystem::create_directories(base / "chosen");
    WindowSettings(file("one.ini")).rememberFolder(base / "chosen");

    EXPECT_EQ(WindowSettings(file("one.ini")).lastFolder(), base / "chosen");
    EXPECT_EQ(QSettings(file("one.ini"), QSettings::IniFormat).value(QStringLiteral("folder")).toString().toStdString(),
              (base / "chosen").string());
    EXPECT_EQ(WindowSettings(file("two.ini")).lastFolder(), std::nullopt);

    WindowSettings switched(file("two.ini"));
    switched.setFile(file("one.ini"));
    EXPECT_EQ(switched.lastFolder(), base / "chosen");
}

struct RecentCase {
    const char* what;
    std::vector<std::string> made;      // texts made into pictures, in turn
    std::vector<std::string> expected;  // the latest first
};

std::vector<std::string> numbered(int from, int to) {  // "t<to>" down to "t<from>"
    std::vector<std::string> texts;
    for (int k = to; k >= from; --k) texts.push_back("t" + std::to_string(k));
    return texts;
}

// The texts made into pictures come back the latest first, each once, the
// empty text left out, at most 50; a later run reads them from the file.
TEST_F(WindowSettingsTest, RecentTextsAreTheLatestFiftyEachOnce) {
    std::vector<std::string> sixty;
    for (int k = 1; k <= 60; ++k) sixty.push_back("t" + std::to_string(k));
    const RecentCase cases[] = {
        {"none yet", {}, {}},
        {"in turn", {"a", "b", "c"}, {"c", "b", "a"}},
        {"a text made again moves to the front", {"a", "b", "a"}, {"a", "b"}},
        {"the empty text is not kept", {"a", "", "b", ""}, {"b", "a"}},
        {"beyond UTF-8's first page, and with commas and ampersands",
         {"\xC3\xA9t\xC3\xA9, \xF0\x9F\x98\x80", "a&b"},
         {"a&b", "\xC3\xA9t\xC3\xA9, \xF0\x9F\x98\x80"}},
        {"sixty keep the last fifty", sixty, numbered(11, 60)},
    };
    int n = 0;
    for (const RecentCase& c : cases) {
        SCOPED_TRACE(c.what);
        const QString name = file(("recent" + std::to_string(n++) + ".ini").c_str());
        {
            WindowSettings settings(name);
            for (const std::string& text : c.made) settings.rememberText(text);
            EXPECT_EQ(settings.recentTexts(), c.expected);
        }
        EXPECT_EQ(WindowSettings(name).recentTexts(), c.expected);
    }
}

}  // namespace
}  // namespace ts
