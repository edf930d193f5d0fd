#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "files/pictures_folder.hpp"
#include "support/test_folder.hpp"

namespace ts {
namespace {

EnvironmentLookup fakeEnvironment(std::map<std::string, std::string> values) {
    return [values = std::move(values)](const char* name) -> std::optional<std::string> {
        const auto found = values.find(name);
        if (found == values.end()) return std::nullopt;
        return found->second;
    };
}

TEST(UserDirsEntry, ReadsTheKeyWithHomeExpanded) {
    struct Case {
        const char* text;
        std::optional<std::string> expected;
    } const cases[] = {
        {"XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", "/home/ana/Pictures"},
        {"# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_PICTURES_DIR=\"$HOME/Slike\"\n", "/home/ana/Slike"},
        {"XDG_PICTURES_DIR=\"/data/photos\"", "/data/photos"},
        {"  XDG_PICTURES_DIR = \"$HOME/My \\\"Pics\\\"\"  \n", "/home/ana/My \"Pics\""},
        {"XDG_PICTURES_DIR=\"$HOME/a\"\nXDG_PICTURES_DIR=\"$HOME/b\"\n", "/home/ana/b"},
        {"XDG_PICTURES_DIR=\"Pictures\"\n", std::nullopt},     // relative
        {"XDG_PICTURES_DIR=\"$HOMEPAGE/x\"\n", std::nullopt},  // not $HOME
        {"XDG_PICTURES_DIR=$HOME/Pictures\n", std::nullopt},   // unquoted
        {"#XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", std::nullopt},
        {"XDG_PICTURES_DIRS=\"$HOME/Pictures\"\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        const auto found = userDirsEntry(c.text, "XDG_PICTURES_DIR", "/home/ana");
        ASSERT_EQ(found.has_value(), c.expected.has_value()) << c.text;
        if (found) {
            EXPECT_EQ(found->string(), *c.expected) << c.text;
        }
    }
}

TEST(PicturesFolder, PrefersTheVariableThenTheUserDirsFileThenPictures) {
    const std::filesystem::path home = testing::freshFolder();
    const std::filesystem::path config = home / ".config";
    const std::filesystem::path otherConfig = home / "elsewhere";
    std::filesystem::create_directories(config);
    std::filesystem::create_directories(otherConfig);
    testing::writeText(config / "user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    testing::writeText(otherConfig / "user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Kuvat\"\n");
    const std::string h = home.string();

    struct Case {
        std::map<std::string, std::string> environment;
        std::filesystem::path expected;
    } const cases[] = {
        {{{"HOME", h}, {"XDG_PICTURES_DIR", "/srv/pictures"}}, "/srv/pictures"},
        {{{"HOME", h}, {"XDG_PICTURES_DIR", "$HOME/Direct"}}, home / "Direct"},
        {{{"HOME", h}, {"XDG_PICTURES_DIR", "relative"}}, home / "Bilder"},
        {{{"HOME", h}}, home / "Bilder"},
        {{{"HOME", h}, {"XDG_CONFIG_HOME", otherConfig.string()}}, home / "Kuvat"},
        {{{"HOME", h}, {"XDG_CONFIG_HOME", (home / "none").string()}}, home / "Pictures"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(picturesFolder(fakeEnvironment(c.environment)), c.expected) << c.expected;
    }
}

TEST(PicturesFolder, FallsBackToPicturesInHomeWithoutAUserDirsFile) {
    const std::filesystem::path home = testing::freshFolder();
    EXPECT_EQ(picturesFolder(fakeEnvironment({{"HOME", home.string()}})), home / "Pictures");
}

TEST(HomeRelative, WritesTheHomeFolderAsTilde) {
    struct Case {
        const char* home;
        const char* path;
        const char* shown;
    } const cases[] = {
        {"/home/ana", "/home/ana/Pictures/T1.bmp", "~/Pictures/T1.bmp"},
        {"/home/ana/", "/home/ana/Pictures", "~/Pictures"},
        {"/home/ana", "/home/anabel/Pictures", "/home/anabel/Pictures"},
        {"/home/ana", "/srv/pictures/T1.bmp", "/srv/pictures/T1.bmp"},
        {"/", "/srv/T1.bmp", "/srv/T1.bmp"},
        {"", "/srv/T1.bmp", "/srv/T1.bmp"},
    };
    for (const Case& c : cases) {
        const auto environment = c.home[0] ? fakeEnvironment({{"HOME", c.home}}) : fakeEnvironment({});
        EXPECT_EQ(homeRelative(c.path, environment), c.shown) << c.home << " " << c.path;
    }
}

}  // namespace
}  // namespace ts
