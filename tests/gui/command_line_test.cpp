#include <gtest/gtest.h>

#include <algorithm>

#include <QProcess>

#include "gui/command_line.hpp"

namespace ts {
namespace {

TEST(WindowAction, HelpVersionAndBadOptionsComeBeforeAnyWindow) {
    const struct {
        std::vector<const char*> arguments;
        WindowAction action;
        std::string file;
    } cases[] = {
        {{"textscape"}, WindowAction::Run, ""},
        {{"textscape", "-h"}, WindowAction::Help, ""},
        {{"textscape", "--help"}, WindowAction::Help, ""},
        {{"textscape", "--version"}, WindowAction::Version, ""},
        {{"textscape", "-V"}, WindowAction::Version, ""},
        {{"textscape", "-platform", "offscreen", "--help"}, WindowAction::Help, ""},
        {{"textscape", "-platform", "offscreen"}, WindowAction::Run, ""},
        {{"textscape", "--platform=offscreen", "a.png"}, WindowAction::Run, "a.png"},
        {{"textscape", "-style", "fusion", "-reverse", "a.png", "b.png"}, WindowAction::Run, "a.png"},
        {{"textscape", "a.png", "-V"}, WindowAction::Version, "a.png"},
        {{"textscape", "--helpful"}, WindowAction::BadOption, ""},
        {{"textscape", "--bogus", "--help"}, WindowAction::BadOption, ""},
        {{"textscape", "-x"}, WindowAction::BadOption, ""},
        {{"textscape", "-v"}, WindowAction::BadOption, ""},
        {{"textscape", "--", "-odd.png"}, WindowAction::Run, "-odd.png"},
        {{"textscape", "-"}, WindowAction::Run, "-"},
        {{"textscape", "-platform"}, WindowAction::Run, ""},
    };
    for (const auto& c : cases) {
        const int argc = static_cast<int>(c.arguments.size());
        EXPECT_EQ(windowAction(argc, c.arguments.data()), c.action) << c.arguments.back();
        EXPECT_EQ(windowFile(argc, c.arguments.data()), c.file) << c.arguments.back();
    }
    const char* bogus[] = {"textscape", "a.png", "--bogus", "--worse"};
    EXPECT_EQ(badWindowOption(4, bogus), "--bogus");
}

struct ProgramRun {
    int status;
    std::string out, err;
};

// Runs the window's program with nothing of the caller's display.
ProgramRun runTextscape(const QStringList& arguments, const QProcessEnvironment& extra = {}) {
    QProcess program;
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    environment.insert(extra);
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TEXTSCAPE_EXECUTABLE), arguments);
    EXPECT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "no abort";
    return {program.exitCode(), program.readAllStandardOutput().toStdString(),
            program.readAllStandardError().toStdString()};
}

TEST(Textscape, HelpAndVersionPrintAndEndWithoutADisplay) {
    for (const char* option : {"-h", "--help"}) {
        const ProgramRun run = runTextscape({QString::fromLatin1(option)});
        EXPECT_EQ(run.status, 0) << option;
        EXPECT_EQ(run.out, windowUsage()) << option;
        EXPECT_TRUE(run.err.empty()) << run.err;
    }
    for (const char* listed : {"  -h, --help"}) EXPECT_NE(windowUsage().find(listed), std::string::npos) << listed;
    for (const char* listed : {"  -V, --version", "FILE.png"})
        EXPECT_NE(windowUsage().find(listed), std::string::npos) << listed;
    for (const char* option : {"-V", "--version"}) {
        const ProgramRun version = runTextscape({QString::fromLatin1(option)});
        EXPECT_EQ(version.status, 0) << option;
        EXPECT_EQ(version.out, windowVersion() + "\n") << option;
        EXPECT_TRUE(version.out.starts_with("textscape 1.")) << version.out;
        EXPECT_TRUE(version.err.empty()) << version.err;
    }
}

// An option the window does not know gets the usage on standard error and
// status 2, before any display is looked for.
TEST(Textscape, UnknownOptionGetsTheUsageAndStatus2) {
    for (const char* option : {"--bogus", "-x", "--helpful"}) {
        const ProgramRun run = runTextscape({QString::fromLatin1(option), QStringLiteral("a.png")});
        EXPECT_EQ(run.status, 2) << option;
        EXPECT_EQ(run.err, "textscape: unknown option " + std::string(option) + "\n" + windowUsage()) << option;
        EXPECT_TRUE(run.out.empty()) << run.out;
    }
}

// A display that is named but cannot be opened gets one line, and status 1
// rather than Qt's abort.
// SOURCE_DATE_EPOCH fixes the window's moment too; a value that is no
// moment, or one whose year a picture's name cannot hold, gets one line
// before any window opens.
TEST(Textscape, SourceDateEpochThatCannotBeUsedGetsOneLine) {
    for (const char* epoch : {"soon", "-1", "253402300800"}) {
        QProcessEnvironment extra;
        extra.insert(QStringLiteral("SOURCE_DATE_EPOCH"), QString::fromLatin1(epoch));
        const ProgramRun run = runTextscape({}, extra);
        EXPECT_EQ(run.status, 1) << epoch;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_TRUE(run.err.starts_with("textscape: SOURCE_DATE_EPOCH ")) << run.err;
    }
}

TEST(Textscape, DisplayThatCannotBeOpenedGetsOneLine) {
    QProcessEnvironment wrong;
    wrong.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4093"));
    wrong.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    const ProgramRun run = runTextscape({}, wrong);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, displayFailureMessage(":4093", "") + "\n");
    EXPECT_TRUE(run.out.empty()) << run.out;
}

TEST(DisplayFailureMessage, NamesTheDisplay) {
    EXPECT_EQ(displayFailureMessage(":7", ""),
              "textscape: cannot open the display (DISPLAY=:7); check that it is running, or run textscape under "
              "xvfb-run");
    EXPECT_NE(displayFailureMessage("", "wayland-3").find("WAYLAND_DISPLAY=wayland-3"), std::string::npos);
}

}  // namespace
}  // namespace ts
