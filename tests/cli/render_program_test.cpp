// The built textscape-render, run as a shell runs it: exit statuses, what
// reaches standard output, and what happens between two processes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <chrono>
#include <csignal>
#include <thread>

#include "cli/render_helpers.hpp"
#include "support/sanitizers.hpp"

namespace ts {
namespace {

using namespace render_test;
using testing::namesIn;

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(RenderOutput, ProgramAnswersHelpAndVersionInEveryForm) {
    for (const char* option : {"-h", "--help"}) {
        const RunResult help = runProgram({option}, folder);
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out, renderUsage());
    }
    for (const char* option : {"-V", "--version"}) {
        const RunResult version = runProgram({option}, folder);
        EXPECT_EQ(version.status, 0);
        EXPECT_EQ(version.out, renderVersion() + "\n");
    }
    const RunResult sizes = runProgram({"--list-sizes"}, folder);
    EXPECT_EQ(sizes.status, 0);
    EXPECT_EQ(sizes.out, sizeListing());
    EXPECT_NE(sizes.out.find("a3      4961x3508"), std::string::npos) << sizes.out;
}

TEST_F(RenderOutput, ProgramReportsAFullStandardOutput) {
    const QStringList cases[] = {{"--help"},
                                 {"--version"},
                                 {"-V"},
                                 {"--info", "hello"},
                                 {"--info", "-o", "a.png", "x"},
                                 {"-o", "-", "x"},
                                 {"--info", "-o", "-", "x"}};
    for (const QStringList& args : cases) {
        const RunResult r = runProgram(args, folder, {}, QStringLiteral("/dev/full"));
        EXPECT_EQ(r.status, 1) << args.join(' ').toStdString();
        EXPECT_EQ(r.err, "textscape-render: could not write to standard output: No space left on device\n")
            << args.join(' ').toStdString();
    }
}

// A shell pipeline, as a user types it; its exit status is the renderer's.
RunResult runShell(const std::string& script, const std::filesystem::path& folder) {
    QProcess shell;
    shell.setWorkingDirectory(QString::fromStdString(folder.string()));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("RENDER"), QStringLiteral(TEXTSCAPE_RENDER_PROGRAM));
    shell.setProcessEnvironment(environment);
    shell.start(QStringLiteral("bash"), {QStringLiteral("-c"), QString::fromStdString(script)});
    shell.waitForFinished(120000);
    return {shell.exitCode(), shell.readAllStandardOutput().toStdString(), shell.readAllStandardError().toStdString()};
}

TEST_F(RenderOutput, ProgramGivesOneStatusForEachKindOfFailure) {
    std::filesystem::create_directories(folder / "a folder");
    const std::string tooLong(101, 'x');
    struct Case {
        QStringList args;
        QByteArray input;
        int status;
        std::string inMessage;
    } const cases[] = {
        // A command line that is not understood.
        {{"--bogus", "x"}, {}, 2, "unknown option --bogus (see --help)"},
        {{"-o", "x.gif", "x"}, {}, 2, "unknown output type"},
        {{"a", "b"}, {}, 2, "more than one TEXT"},
        {{"--format", "gif", "x"}, {}, 2, "unknown format"},
        // The same refused text, wherever it comes from.
        {{QString::fromStdString(tooLong)}, {}, 1, "the text has 101 characters; at most 100 are allowed\n"},
        {{"-"}, QByteArray::fromStdString(tooLong + "\n"), 1, "the text has 101 characters; at most 100 are allowed\n"},
        {{"--info", "-"}, "\xff\n", 1, "not valid UTF-8"},
        // Files that cannot be used.
        {{"--batch", "a folder", "--out-dir", "out"}, {}, 1, "a folder: it is a folder"},
        {{"--batch", "missing.txt", "--out-dir", "out"}, {}, 1, "missing.txt: No such file"},
        {{"--from", "missing.png"}, {}, 1, "missing.png: No such file"},
        {{"-o", "missing/x.png", "x"}, {}, 1, "Could not write missing/x.png"},
        // Standard output is a pipe here: -o - writes to it, a file name does not.
        {{"--format", "png", "-o", "/dev/stdout", "x"},
         {},
         1,
         "Could not write /dev/stdout: it leads to a pipe, not a regular file"},
    };
    for (const Case& c : cases) {
        const RunResult r = runProgram(c.args, folder, c.input);
        EXPECT_EQ(r.status, c.status) << c.args.join(' ').toStdString();
        EXPECT_EQ(lineCount(r.err), 1u) << r.err;
        EXPECT_EQ(r.err.rfind("textscape-render: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(c.inMessage), std::string::npos) << r.err;
        EXPECT_EQ(namesIn(folder), std::set<std::string>{"a folder"}) << c.args.join(' ').toStdString();
    }
    // Bytes that are not UTF-8 reach the program only through a shell.
    const RunResult invalid = runShell("\"$RENDER\" --info \"$(printf '\\377')\"", folder);
    EXPECT_EQ(invalid.status, 1);
    EXPECT_EQ(invalid.err, "textscape-render: the text is not valid UTF-8\n");
}

TEST_F(RenderOutput, ProgramPipesThePictureToStandardOutput) {
    const RunResult filed = runProgram({"-o", "file.png", "hello world"}, folder);
    ASSERT_EQ(filed.status, 0) << filed.err;
    const RunResult piped = runProgram({"-o", "-", "hello world"}, folder);
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.err, "");
    QImage fromPipe, fromFile(QString::fromStdString((folder / "file.png").string()));
    ASSERT_TRUE(fromPipe.loadFromData(QByteArray::fromStdString(piped.out), "PNG"));
    EXPECT_TRUE(rasterOf(fromPipe) == rasterOf(fromFile));
    EXPECT_TRUE(rasterOf(fromPipe) == windowCanvas("hello world").final);

    const RunResult bmp = runProgram({"--format", "bmp", "-o", "-", "hello world"}, folder);
    ASSERT_EQ(bmp.status, 0) << bmp.err;
    EXPECT_EQ(bmp.out.substr(0, 2), "BM");
    EXPECT_EQ(namesIn(folder), std::set<std::string>{"file.png"});
}

TEST_F(RenderOutput, ProgramMakesThePictureAgainFromItsFile) {
    const RunResult first = runProgram({"--info", "-o", "first.png", "-"}, folder, "Zażółć gęślą jaźń\n");
    ASSERT_EQ(first.status, 0) << first.err;
    const RunResult info = runProgram({"--from", "first.png", "--info"}, folder);
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.out, "Zażółć gęślą jaźń\n" + first.out);
    const RunResult again = runProgram({"--from", "first.png", "-o", "again.png"}, folder);
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_TRUE(rasterOf(QImage(QString::fromStdString((folder / "again.png").string()))) ==
                rasterOf(QImage(QString::fromStdString((folder / "first.png").string()))));
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{"first.png", "again.png"}));
}

TEST_F(RenderOutput, PngcheckFindsTheRecipeChunksValid) {
    const QString pngcheck = QStandardPaths::findExecutable(QStringLiteral("pngcheck"));
    if (pngcheck.isEmpty()) GTEST_SKIP() << "pngcheck is not installed";
    ASSERT_EQ(runProgram({"-o", "p.png", "Zażółć gęślą jaźń"}, folder).status, 0);
    QProcess check;
    check.start(pngcheck, {QStringLiteral("-tv"), QString::fromStdString((folder / "p.png").string())});
    ASSERT_TRUE(check.waitForFinished(60000));
    const std::string report = check.readAllStandardOutput().toStdString();
    EXPECT_EQ(check.exitCode(), 0) << report;
    for (const std::string& expected :
         {std::string("3780x3780 pixels/meter (96 dpi)"), std::string("sRGB at offset"),
          std::string("rendering intent = perceptual"), std::string("iTXt at offset"),
          std::string("keyword: Title"), std::string("uncompressed, no language tag"),
          std::string("keyword: Description"),
          "keyword: Software\n    " + renderVersion(), std::string("keyword: Creation Time\n    20"),
          std::string("No errors detected")})
        EXPECT_NE(report.find(expected), std::string::npos) << expected << "\n" << report;
}

using testing::kAddressSanitizer;

TEST_F(RenderOutput, ProgramRefusesEndlessInputWithinAMemoryLimit) {
    if (kAddressSanitizer) GTEST_SKIP() << "AddressSanitizer needs more address space than the limit";
    // 100 MiB of `yes` under a 1.5 GB address-space limit: refused as soon
    // as it is known too long, never read whole.
    const RunResult r = runShell("ulimit -v 1500000; yes | head -c 104857600 | \"$RENDER\" -o y.png -", folder);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.err, "textscape-render: the text has more than 100 characters; at most 100 are allowed\n");
    EXPECT_TRUE(namesIn(folder).empty());

    // A list whose second line is 100 MiB long.
    const RunResult batch = runShell(
        "ulimit -v 1500000; { echo first; head -c 104857600 /dev/zero | tr '\\0' y; echo; echo third; } | "
        "\"$RENDER\" --batch - --out-dir out",
        folder);
    EXPECT_EQ(batch.status, 1) << batch.err;
    EXPECT_NE(batch.err.find("standard input:2: the text has more than 100 characters"), std::string::npos)
        << batch.err;
    EXPECT_EQ(namesIn(folder / "out"), (std::set<std::string>{"0001.png", "0003.png", "index.tsv"}));
}

// A disk that fails to flush a folder (through a library preloaded into
// the program): the write is a failure, one line and status 1, though the
// file is in place; a batch stops at it.
TEST_F(RenderOutput, ProgramReportsAFolderThatCannotBeFlushedToDisk) {
    if (kAddressSanitizer) GTEST_SKIP() << "AddressSanitizer must be the first library loaded";
    QProcessEnvironment failingSync = QProcessEnvironment::systemEnvironment();
    failingSync.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(TEXTSCAPE_FAILING_FOLDER_SYNC));
    const std::string unsynced = ": it is written, but its folder could not be flushed to disk: Input/output error\n";

    const RunResult single = runProgram({"-o", "a.png", "hello"}, folder, {}, {}, failingSync);
    EXPECT_EQ(single.status, 1);
    EXPECT_EQ(single.err, "textscape-render: Could not write a.png" + unsynced);

    testing::writeText(folder / "list.txt", "one\ntwo\n");
    const RunResult batch = runProgram({"--batch", "list.txt", "--out-dir", "out"}, folder, {}, {}, failingSync);
    EXPECT_EQ(batch.status, 1);
    EXPECT_EQ(batch.err, "textscape-render: Could not write out/0001.png" + unsynced +
                             "textscape-render: 2 lines: 0 written, 0 skipped, 1 failed, 1 not tried "
                             "(the batch stops at a failed write)\n");
}

// How the program ended: its exit status, or the signal that killed it.
struct Ending {
    int waitStatus = -1;
    std::string err;

    bool exited(int status) const { return WIFEXITED(waitStatus) && WEXITSTATUS(waitStatus) == status; }
    std::string describe() const {
        if (WIFSIGNALED(waitStatus)) return "killed by signal " + std::to_string(WTERMSIG(waitStatus));
        return "exit status " + std::to_string(WEXITSTATUS(waitStatus)) + ", standard error: " + err;
    }
};

// How the program is started.
struct Start {
    enum class Input { Empty, Folder, Closed };
    Input input = Input::Empty;  // standard input: /dev/null, the folder it runs in (`< .`), or none (`<&-`)
    bool closedPipe = false;     // standard output: a pipe whose reading end is closed; /dev/null otherwise
    rlim_t fileSizeLimit = 0;    // the largest file it may write (`ulimit -f`); 0: no limit
};

// The program as a shell starts it, with SIGPIPE and SIGXFSZ at their
// default whatever this process does with them.
Ending startProgram(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
                    const Start& start) {
    std::vector<std::string> words = {TEXTSCAPE_RENDER_PROGRAM};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    int output[2], errors[2];
    if (::pipe2(output, O_CLOEXEC) != 0 || ::pipe2(errors, O_CLOEXEC) != 0) return {};
    const int nothing = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    const int here = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const pid_t child = ::fork();
    if (child == 0) {
        if (start.input == Start::Input::Closed)
            ::close(0);
        else
            ::dup2(start.input == Start::Input::Folder ? here : nothing, 0);
        ::dup2(start.closedPipe ? output[1] : nothing, 1);
        ::dup2(errors[1], 2);
        std::signal(SIGPIPE, SIG_DFL);
        std::signal(SIGXFSZ, SIG_DFL);
        if (start.fileSizeLimit > 0) {
            const rlimit limit{start.fileSizeLimit, start.fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (::chdir(folder.c_str()) == 0) ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(nothing);
    ::close(here);
    ::close(output[0]);  // nobody reads the picture
    ::close(output[1]);
    ::close(errors[1]);
    Ending ending;
    char buffer[4096];
    for (ssize_t n; (n = ::read(errors[0], buffer, sizeof buffer)) > 0;)
        ending.err.append(buffer, static_cast<std::size_t>(n));
    ::close(errors[0]);
    ::waitpid(child, &ending.waitStatus, 0);
    return ending;
}

// A pipe closed before the picture is written (`-o - | true`), and a file
// size limit smaller than a picture (`ulimit -f 16`): each is a failed
// write with one line, a batch's summary and status 1, not a death by
// SIGPIPE or SIGXFSZ.
TEST_F(RenderOutput, ProgramReportsAClosedPipeAndAFileSizeLimitWithStatusOne) {
    const Ending piped = startProgram({"-o", "-", "hello"}, folder, {.closedPipe = true});
    EXPECT_TRUE(piped.exited(1)) << piped.describe();
    EXPECT_EQ(piped.err,
              "textscape-render: could not write to standard output: " + std::string(std::strerror(EPIPE)) + "\n");
    const Ending info = startProgram({"--info", "hello"}, folder, {.closedPipe = true});
    EXPECT_TRUE(info.exited(1)) << info.describe();
    EXPECT_EQ(info.err, piped.err);

    constexpr rlim_t kLimit = 16 * 1024;
    const std::string tooLarge = std::strerror(EFBIG);
    const Ending single = startProgram({"-o", "a.png", "hello"}, folder, {.fileSizeLimit = kLimit});
    EXPECT_TRUE(single.exited(1)) << single.describe();
    EXPECT_EQ(single.err, "textscape-render: Could not write a.png: " + tooLarge + "\n");

    testing::writeText(folder / "list.txt", "one\ntwo\nthree\n");
    const Ending batch = startProgram({"--batch", "list.txt", "--out-dir", "out"}, folder, {.fileSizeLimit = kLimit});
    EXPECT_TRUE(batch.exited(1)) << batch.describe();
    EXPECT_EQ(batch.err, "textscape-render: Could not write out/0001.png: " + tooLarge +
                             "\ntextscape-render: 3 lines: 0 written, 0 skipped, 1 failed, 2 not tried "
                             "(the batch stops at a failed write)\n");
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{"list.txt", "out"}));
    EXPECT_TRUE(namesIn(folder / "out").empty());
}

// Standard input that is a folder (`< .`) or closed (`<&-`) cannot be
// read: that is a failure with its reason, not the empty text, for TEXT "-"
// and for --batch - alike; no picture and no folder is made.
TEST_F(RenderOutput, ProgramTakesStandardInputThatCannotBeReadAsAFailure) {
    struct Case {
        Start::Input input;
        int error;
    } const cases[] = {{Start::Input::Folder, EISDIR}, {Start::Input::Closed, EBADF}};
    for (const Case& c : cases) {
        const std::string why = std::strerror(c.error);
        const Ending single = startProgram({"-o", "a.png", "-"}, folder, {.input = c.input});
        EXPECT_TRUE(single.exited(1)) << why << ": " << single.describe();
        EXPECT_EQ(single.err, "textscape-render: Could not read standard input: " + why + "\n");
        const Ending batch = startProgram({"--batch", "-", "--out-dir", "out"}, folder, {.input = c.input});
        EXPECT_TRUE(batch.exited(1)) << why << ": " << batch.describe();
        EXPECT_EQ(batch.err, "textscape-render: Could not read standard input: " + why + "\n");
        EXPECT_TRUE(namesIn(folder).empty()) << why;
    }
}

TEST_F(RenderOutput, ProgramKeepsASecondBatchOutOfAFolderInUse) {
    std::string list;
    for (int k = 1; k <= 60; ++k) list += "text " + std::to_string(k) + "\n";
    testing::writeText(folder / "list.txt", list);

    QProcess first;
    first.setWorkingDirectory(QString::fromStdString(folder.string()));
    first.start(QStringLiteral(TEXTSCAPE_RENDER_PROGRAM), {QStringLiteral("--batch"), QStringLiteral("list.txt"),
                                                           QStringLiteral("--out-dir"), QStringLiteral("out")});
    // Once its first picture is there, the first batch holds the folder.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!std::filesystem::exists(folder / "out" / "0001.png") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(std::filesystem::exists(folder / "out" / "0001.png"));

    const RunResult second = runProgram({"--batch", "list.txt", "--out-dir", "./out/."}, folder);
    ASSERT_TRUE(first.waitForFinished(120000));
    const std::string firstErr = first.readAllStandardError().toStdString();
    EXPECT_EQ(first.exitCode(), 0) << firstErr;
    EXPECT_EQ(firstErr, "textscape-render: 60 lines: 60 written, 0 skipped, 0 failed\n");
    ASSERT_EQ(first.state(), QProcess::NotRunning);
    EXPECT_EQ(second.status, 1) << "the first batch ended before the second tried: " << second.err;
    EXPECT_EQ(second.err, "textscape-render: the folder ./out/. is in use by another batch\n");
    EXPECT_EQ(namesIn(folder / "out").size(), 61u);  // the pictures and the first batch's index
}

}  // namespace
}  // namespace ts

namespace ts {
namespace {

using namespace render_test;

// With SOURCE_DATE_EPOCH the moment is the given one: the same default
// name and the same bytes on every run, and the Creation Time that
// instant's, with its offset at that instant.
TEST_F(RenderOutput, ProgramWithSourceDateEpochWritesTheSameBytesEveryRun) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SOURCE_DATE_EPOCH"), QStringLiteral("1792891800"));  // 2026-10-25 01:30 UTC
    environment.insert(QStringLiteral("TZ"), QStringLiteral("Europe/Berlin"));
    std::vector<std::vector<std::uint8_t>> runs;
    for (const char* name : {"one", "two"}) {
        std::filesystem::create_directory(folder / name);
        const RunResult r = runProgram({QStringLiteral("--size"), QStringLiteral("48x36"), QStringLiteral("sunset")},
                                       folder / name, {}, {}, environment);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "T20261025023000.png\n");
        runs.push_back(testing::readBytes(folder / name / "T20261025023000.png"));
    }
    EXPECT_EQ(runs[0], runs[1]);
    const std::string bytes(runs[0].begin(), runs[0].end());
    const bool zoneKnown = bytes.find("2026-10-25T02:30:00") != std::string::npos;
    if (zoneKnown) {
        EXPECT_NE(bytes.find("2026-10-25T02:30:00+01:00"), std::string::npos);
    }

    // A moment whose year a name cannot hold, or a value that is no moment: one line.
    for (const char* epoch : {"253402300800", "soon"}) {
        environment.insert(QStringLiteral("SOURCE_DATE_EPOCH"), QString::fromLatin1(epoch));
        const RunResult r = runProgram({QStringLiteral("sunset")}, folder, {}, {}, environment);
        EXPECT_EQ(r.status, 1) << epoch;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_TRUE(r.err.find("SOURCE_DATE_EPOCH") != std::string::npos) << r.err;
    }
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{"one", "two"}));
}

}  // namespace
}  // namespace ts
