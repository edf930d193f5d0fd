#include <gtest/gtest.h>

#include <QProcess>

#include "gui/display_check.hpp"

namespace ts {
namespace {

struct DisplayCase {
    const char* platform;
    const char* display;
    const char* wayland;
    bool canOpen;
};

TEST(CanOpenDisplay, NeedsADesktopUnlessTheGivenPluginDrawsWithoutOne) {
    const DisplayCase cases[] = {
        {"", "", "", false},
        {"", ":0", "", true},
        {"", "", "wayland-0", true},
        {"xcb", "", "", false},
        {"xcb", ":1", "", true},
        {"xcb", "", "wayland-0", false},
        {"wayland", "", "wayland-0", true},
        {"wayland", ":0", "", false},
        {"wayland;xcb", ":0", "", true},
        {"wayland;xcb", "", "", false},
        {"offscreen", "", "", true},
        {"offscreen:configfile=/tmp/screens.json", "", "", true},
        {"vnc:size=1280x800", "", "", true},
        {"minimal", "", "", true},
        {"linuxfb", "", "", true},
        {"eglfs", "", "", true},
    };
    for (const DisplayCase& c : cases)
        EXPECT_EQ(canOpenDisplay(c.platform, c.display, c.wayland), c.canOpen)
            << "platform '" << c.platform << "' DISPLAY '" << c.display << "' WAYLAND_DISPLAY '" << c.wayland << "'";
}

TEST(RequestedPlatform, CommandLineComesBeforeTheEnvironment) {
    const char* plain[] = {"textscape"};
    const char* withArgument[] = {"textscape", "-platform", "offscreen"};
    const char* dangling[] = {"textscape", "-platform"};
    EXPECT_EQ(requestedPlatform(1, plain, nullptr), "");
    EXPECT_EQ(requestedPlatform(1, plain, "xcb"), "xcb");
    EXPECT_EQ(requestedPlatform(3, withArgument, "xcb"), "offscreen");
    EXPECT_EQ(requestedPlatform(2, dangling, "xcb"), "xcb");
}

TEST(Textscape, SaysInOneLineThatThereIsNoDisplay) {
    QProcess program;
    QProcessEnvironment bare;
    bare.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    program.setProcessEnvironment(bare);
    program.start(QStringLiteral(TEXTSCAPE_EXECUTABLE), {});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_EQ(program.readAllStandardError().toStdString(), std::string(kNoDisplayMessage) + "\n");
    EXPECT_TRUE(program.readAllStandardOutput().isEmpty());
}

}  // namespace
}  // namespace ts
