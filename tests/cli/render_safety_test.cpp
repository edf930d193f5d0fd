// What textscape-render does with what stands at its output name, and with
// texts that hold control characters.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include <QProcess>

#include <algorithm>
#include <chrono>
#include <string>
#include <variant>
#include <vector>

#include "cli/render_options.hpp"
#include "support/png_chunks.hpp"
#include "support/sanitizers.hpp"
#include "support/test_folder.hpp"

namespace ts {
namespace {

using testing::namesIn;

struct RunResult {
    int status;
    std::string out, err;
};

RunResult runProgram(const QStringList& arguments, const std::filesystem::path& folder, const QByteArray& input = {}) {
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(folder.string()));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TEXTSCAPE_RENDER_PROGRAM), arguments);
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(120000));
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

bool isOneLine(const std::string& err) {
    return std::count(err.begin(), err.end(), '\n') == 1 && err.rfind("textscape-render: ", 0) == 0;
}

TEST(ParseRenderOptions, NoClobberIsAFlag) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"-n", "x"}, {"x", "--no-clobber"}}) {
        const auto parsed = parseRenderOptions(args);
        ASSERT_TRUE(std::holds_alternative<RenderOptions>(parsed)) << ::testing::PrintToString(args);
        EXPECT_TRUE(std::get<RenderOptions>(parsed).noClobber);
    }
    const auto plain = parseRenderOptions(std::vector<std::string>{"x"});
    EXPECT_FALSE(std::get<RenderOptions>(plain).noClobber);
    const auto valued = parseRenderOptions(std::vector<std::string>{"--no-clobber=yes", "x"});
    ASSERT_TRUE(std::holds_alternative<OptionError>(valued));
    EXPECT_EQ(std::get<OptionError>(valued).message, "option --no-clobber takes no value");
}

class RenderSafety : public ::testing::Test {
protected:
    void SetUp() override { folder = testing::freshFolder(); }
    std::filesystem::path folder;
};

TEST_F(RenderSafety, OutputReplacesAFileKeepingItsBitsUnlessNoClobber) {
    testing::writeText(folder / "taken.png", "old");
    ASSERT_EQ(::chmod((folder / "taken.png").c_str(), 0600), 0);
    for (const char* option : {"-n", "--no-clobber"}) {
        const RunResult refused = runProgram({option, "-o", "taken.png", "hello"}, folder);
        EXPECT_EQ(refused.status, 1);
        EXPECT_TRUE(isOneLine(refused.err)) << refused.err;
        EXPECT_NE(refused.err.find("taken.png: a file of that name exists"), std::string::npos) << refused.err;
        EXPECT_EQ(testing::readBytes(folder / "taken.png"), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    }
    const RunResult fresh = runProgram({"-n", "-o", "fresh.png", "hello"}, folder);
    EXPECT_EQ(fresh.status, 0) << fresh.err;

    const RunResult replaced = runProgram({"-o", "taken.png", "hello"}, folder);
    ASSERT_EQ(replaced.status, 0) << replaced.err;
    // The picture replaced the file (its creation time may differ from fresh.png's by a second).
    const std::vector<std::uint8_t> replacedBytes = testing::readBytes(folder / "taken.png");
    ASSERT_GT(replacedBytes.size(), 1000u);
    EXPECT_EQ(std::vector<std::uint8_t>(replacedBytes.begin(), replacedBytes.begin() + 8),
              (std::vector<std::uint8_t>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
    struct stat st {};
    ASSERT_EQ(::stat((folder / "taken.png").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{"taken.png", "fresh.png"}));
}

TEST_F(RenderSafety, OutputOntoANamedPipeIsRefusedAndTheRunEnds) {
    ASSERT_EQ(::mkfifo((folder / "pipe.png").c_str(), 0644), 0);
    const RunResult r = runProgram({"-o", "pipe.png", "hello"}, folder);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(isOneLine(r.err)) << r.err;
    EXPECT_NE(r.err.find("pipe.png: it is a named pipe, not a regular file"), std::string::npos) << r.err;
    EXPECT_EQ(std::filesystem::status(folder / "pipe.png").type(), std::filesystem::file_type::fifo);
    EXPECT_EQ(namesIn(folder), std::set<std::string>{"pipe.png"});
}

TEST_F(RenderSafety, ControlCharactersAreRefusedWithTheirPosition) {
    const RunResult argument = runProgram({"-o", "a.png", QString::fromUtf8("ab\x1B[0m")}, folder);
    EXPECT_NE(argument.status, 0);
    EXPECT_TRUE(isOneLine(argument.err)) << argument.err;
    EXPECT_NE(argument.err.find("control character (U+001B) at position 3"), std::string::npos) << argument.err;

    const struct {
        QByteArray input;
        const char* message;
    } inputs[] = {{QByteArray("ab\0cd\n", 6), "control character (U+0000) at position 3"},
                  {QByteArray("\xC3\xA9\x7F"), "control character (U+007F) at position 2"},
                  {QByteArray("tab\there\n"), "control character (U+0009) at position 4"}};
    for (const auto& c : inputs) {
        const RunResult r = runProgram({"-o", "a.png", "-"}, folder, c.input);
        EXPECT_NE(r.status, 0);
        EXPECT_TRUE(isOneLine(r.err)) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_TRUE(namesIn(folder).empty());

    testing::writeText(folder / "list.txt", std::string("one\nt\x1Bwo\nthree\r\nfo\0ur\n", 22));
    const RunResult batch = runProgram({"--batch", "list.txt", "--out-dir", "out"}, folder);
    EXPECT_EQ(batch.status, 1);
    EXPECT_NE(batch.err.find("list.txt:2: the text has a control character (U+001B) at position 2; skipped"),
              std::string::npos)
        << batch.err;
    EXPECT_NE(batch.err.find("list.txt:4: the text has a control character (U+0000) at position 3; skipped"),
              std::string::npos)
        << batch.err;
    EXPECT_EQ(namesIn(folder / "out"), (std::set<std::string>{"0001.png", "0003.png", "index.tsv"}));
}

}  // namespace
}  // namespace ts

namespace ts {
namespace {

// A picture file carrying `chunks` before its IEND.
std::vector<std::uint8_t> pngWith(const std::vector<std::vector<std::uint8_t>>& chunks) {
    std::vector<std::uint8_t> png = testing::tinyPng();
    const auto end = png.end() - 12;  // IEND
    std::vector<std::uint8_t> texts;
    for (const auto& chunk : chunks) texts.insert(texts.end(), chunk.begin(), chunk.end());
    png.insert(end, texts.begin(), texts.end());
    return png;
}

std::vector<std::uint8_t> iText(const std::string& key, const std::string& value) {
    return testing::pngChunk("iTXt", key + std::string("\0\0\0\0\0", 5) + value);
}

std::vector<std::uint8_t> latin1Text(const std::string& key, const std::string& value) {
    return testing::pngChunk("tEXt", key + std::string(1, '\0') + value);
}

// Whether `shown` could drive a terminal: a C0 control other than the line
// ends the program writes itself, DEL, a C1 control in UTF-8, or a bidi
// override or isolate.
bool drivesATerminal(const std::string& shown) {
    for (const char c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && byte != '\n') || byte == 0x7F) return true;
    }
    for (const char* sequence : {"\xC2\x85", "\xC2\x9B", "\xE2\x80\xAE", "\xE2\x81\xA6"})
        if (shown.find(sequence) != std::string::npos) return true;
    return false;
}

TEST_F(RenderSafety, WhatAFileCarriesReachesTheTerminalEscaped) {
    const std::string software = "textscape-render 1.0.0";
    const struct Case {
        const char* name;
        std::vector<std::uint8_t> png;
        std::string shownText;         // the text line --info prints
        std::string shownDescription;  // how the note quotes the recorded parameter line
    } cases[] = {
        {"screen.png",
         pngWith(
             {iText("Title",
                    "abc\xE2\x80\xAE"
                    "def\xE2\x81\xA6"),
              latin1Text("Software", software),
              iText("Description", "\x1B]0;owned\x07\x1B[2J\ntextscape-render: Could not write /etc/shadow: fake")}),
         "abc\\u202Edef\\u2066", "\\x1B]0;owned\\x07\\x1B[2J\\x0Atextscape-render: Could not write /etc/shadow: fake"},
        {"latin1.png",
         pngWith({latin1Text("Text", "x\x85y\x9Bz"), latin1Text("Software", software),
                  iText("Description",
                        "p\xC2\x9B"
                        "31mq\r")}),
         "x\\u0085y\\u009Bz", "p\\u009B31mq\\x0D"},
    };
    for (const Case& c : cases) {
        const std::vector<std::uint8_t>& png = c.png;
        testing::writeText(folder / c.name, std::string(png.begin(), png.end()));
        const RunResult r = runProgram({"--from", c.name, "--info"}, folder);
        EXPECT_EQ(r.status, 0) << c.name << ' ' << r.err;
        EXPECT_FALSE(drivesATerminal(r.out)) << c.name << ' ' << r.out;
        EXPECT_FALSE(drivesATerminal(r.err)) << c.name << ' ' << r.err;
        EXPECT_EQ(r.out.rfind(c.shownText + "\n", 0), 0u) << c.name << ' ' << r.out;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2) << c.name << ' ' << r.out;
        // The note quoting the file's parameter line is one line, and no
        // line of the program's own is forged.
        EXPECT_TRUE(isOneLine(r.err)) << c.name << ' ' << r.err;
        EXPECT_NE(r.err.find("records the parameter line \"" + c.shownDescription + "\""), std::string::npos)
            << c.name << ' ' << r.err;
    }

    // A file's name quoted in a refusal is escaped the same way.
    const RunResult missing =
        runProgram({"--from", QString::fromUtf8("no\x1B[2J\n\xE2\x80\xAEgnp.png"), "--info"}, folder);
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(isOneLine(missing.err)) << missing.err;
    EXPECT_FALSE(drivesATerminal(missing.err)) << missing.err;
    EXPECT_NE(missing.err.find("no\\x1B[2J\\x0A\\u202Egnp.png"), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace ts

namespace ts {
namespace {

// The program with its standard input read from `inputFile`.
RunResult runWithInputFile(const QStringList& arguments, const std::filesystem::path& folder,
                           const std::filesystem::path& inputFile) {
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(folder.string()));
    process.setStandardInputFile(QString::fromStdString(inputFile.string()));
    process.start(QStringLiteral(TEXTSCAPE_RENDER_PROGRAM), arguments);
    EXPECT_TRUE(process.waitForFinished(20000)) << inputFile;
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    }
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

TEST_F(RenderSafety, FromStandardInputReadsAPngAsAFileIsRead) {
    ASSERT_EQ(runProgram({"-o", "made.png", "Hello, input"}, folder).status, 0);
    const RunResult fromFile = runProgram({"--from", "made.png", "--info"}, folder);
    ASSERT_EQ(fromFile.status, 0) << fromFile.err;
    const RunResult fromInput = runWithInputFile({"--from", "-", "--info"}, folder, folder / "made.png");
    EXPECT_EQ(fromInput.status, 0) << fromInput.err;
    EXPECT_EQ(fromInput.out, fromFile.out);
    EXPECT_EQ(fromInput.out.rfind("Hello, input\n", 0), 0u) << fromInput.out;

    // A chunk that claims more than a picture file may hold is refused by
    // its length, before anything of it is read.
    std::string claims = "\x89PNG\r\n\x1A\n";
    claims += std::string("\x12\x00\x00\x00IHDR", 8);  // 288 MiB
    testing::writeText(folder / "claims.png", claims);
    std::filesystem::create_directory(folder / "folder");

    const struct {
        std::filesystem::path input;
        std::string says;
    } refused[] = {
        {"/dev/zero", "standard input: not a PNG file"},  // endless, and refused after its first 4 KiB
        {folder / "claims.png", "Could not read standard input: it is larger than 256 MiB"},
        {folder / "folder", "Could not read standard input: Is a directory"},
    };
    for (const auto& c : refused) {
        if (!std::filesystem::exists(c.input)) continue;
        const auto start = std::chrono::steady_clock::now();
        const RunResult r = runWithInputFile({"--from", "-", "--info"}, folder, c.input);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(r.status, 1) << c.input;
        EXPECT_EQ(r.err, "textscape-render: " + c.says + "\n") << c.input;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_LT(seconds, 10.0) << c.input;
    }
}

}  // namespace
}  // namespace ts

namespace ts {
namespace {

using testing::kAddressSanitizer;

struct LimitedRun {
    bool exited = false;  // ended by exit, not a signal
    int status = -1;      // its exit status, or the signal's number
    std::string err;
};

// The program under a resource limit set in the child before exec, as
// `ulimit` sets it; standard output and error go to files in `folder`.
LimitedRun runLimited(int resource, rlim_t limit, const std::vector<std::string>& arguments,
                      const std::filesystem::path& folder) {
    const std::string errFile = (folder / "limited.err").string();
    std::vector<std::string> all{TEXTSCAPE_RENDER_PROGRAM};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const int out = ::open((folder / "limited.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || ::chdir(folder.c_str()) != 0) ::_exit(126);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::close(out);
        ::close(err);
        const rlimit lowered{limit, limit};
        if (::setrlimit(resource, &lowered) != 0) ::_exit(126);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    LimitedRun run;
    if (child < 0) return run;
    int wstatus = 0;
    // No hang either: a run that outlives a minute is ended and fails.
    for (int waited = 0; ::waitpid(child, &wstatus, WNOHANG) == 0; ++waited) {
        if (waited == 600) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &wstatus, 0);
            ADD_FAILURE() << "the program did not end";
            break;
        }
        ::usleep(100000);
    }
    run.exited = WIFEXITED(wstatus);
    run.status = run.exited ? WEXITSTATUS(wstatus) : WTERMSIG(wstatus);
    std::ifstream in(errFile);
    run.err.assign(std::istreambuf_iterator<char>(in), {});
    return run;
}

// Too little memory or too few descriptors is the machine's state: the
// program ends with status 1 and a line giving that reason, never a
// programming error's abort or advice to install fonts.
TEST_F(RenderSafety, AStarvedMachineGetsItsRealReason) {
    if (kAddressSanitizer) GTEST_SKIP() << "the address sanitizer needs more address space than these limits";
    testing::writeText(folder / "list.txt", "one\ntwo\nthree\n");
    const struct {
        const char* what;
        int resource;
        rlim_t limit;
        std::vector<std::string> arguments;
        std::vector<std::string> reasons;  // one of these ends the last line
    } cases[] = {
        {"25 MB, one picture", RLIMIT_AS, rlim_t{25000} << 10, {"-o", "a.png", "Hello"}, {"out of memory"}},
        {"25 MB, a batch",
         RLIMIT_AS,
         rlim_t{25000} << 10,
         {"--batch", "list.txt", "-j", "2", "--out-dir", "b"},
         {"out of memory"}},
        {"4 descriptors, a batch",
         RLIMIT_NOFILE,
         4,
         {"--batch", "list.txt", "-j", "2", "--out-dir", "c"},
         {"Too many open files"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const LimitedRun r = runLimited(c.resource, c.limit, c.arguments, folder);
        if (r.exited && r.status == 127 && r.err.find("error while loading shared libraries") != std::string::npos)
            GTEST_SKIP() << "the program's libraries need more than this limit here: " << r.err;
        EXPECT_TRUE(r.exited) << "ended by signal " << r.status << ": " << r.err;
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_EQ(r.err.find("internal error"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("install Debian"), std::string::npos) << r.err;
        // The program's own lines; the last says why it stopped.
        std::vector<std::string> lines;
        std::istringstream split(r.err);
        for (std::string line; std::getline(split, line);)
            if (line.rfind("textscape-render: ", 0) == 0) lines.push_back(line);
        ASSERT_FALSE(lines.empty()) << r.err;
        const bool said = std::any_of(c.reasons.begin(), c.reasons.end(), [&](const std::string& reason) {
            return std::any_of(lines.begin(), lines.end(),
                               [&](const std::string& line) { return line.find(reason) != std::string::npos; });
        });
        EXPECT_TRUE(said) << r.err;
    }
}

// --info without a file draws nothing: under a limit far below the canvas of
// the largest size it still prints what a run that draws prints, for a text
// and for a file's recipe, as a line and as JSON.
TEST_F(RenderSafety, InfoAloneDrawsNoPicture) {
    if (kAddressSanitizer) GTEST_SKIP() << "the address sanitizer needs more address space than this limit";
    const std::string text = "Zażółć gęślą jaźń";
    const RunResult line = runProgram({"--info", "-o", "drawn.png", QString::fromStdString(text)}, folder);
    const RunResult json = runProgram({"--info", "--json", "-o", "-", QString::fromStdString(text)}, folder);
    ASSERT_EQ(line.status, 0) << line.err;
    ASSERT_EQ(json.status, 0) << json.err;
    std::string largeJson = json.err;
    const std::string standard = "\"width\":600,\"height\":450,";
    ASSERT_NE(largeJson.find(standard), std::string::npos) << largeJson;
    largeJson.replace(largeJson.find(standard), standard.size(), "\"width\":16384,\"height\":16384,");

    const std::vector<std::string> large{"--size", "16384x16384"};  // a canvas of 1 GiB
    const struct {
        std::vector<std::string> arguments;
        std::string out;
    } cases[] = {
        {{"--info", text}, line.out},
        {{"--info", "--json", text}, largeJson},
        {{"--from", "drawn.png", "--info"}, text + "\n" + line.out},
        {{"--from", "drawn.png", "--info", "--json"}, largeJson},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        std::vector<std::string> arguments = large;
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const LimitedRun r = runLimited(RLIMIT_AS, rlim_t{64} << 20, arguments, folder);
        EXPECT_TRUE(r.exited && r.status == 0) << r.status << ": " << r.err;
        std::ifstream out(folder / "limited.out");
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(out), {}), c.out);
    }
}

}  // namespace
}  // namespace ts
