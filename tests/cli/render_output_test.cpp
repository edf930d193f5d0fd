#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QProcess>

#include <csignal>
#include <sstream>

#include "annotate/info_line.hpp"
#include "cli/render_run.hpp"
#include "picture/picture.hpp"
#include "qt/qt_surfaces.hpp"
#include "state/layout.hpp"
#include "support/fakes.hpp"
#include "support/png_chunks.hpp"
#include "support/test_folder.hpp"

namespace ts {
namespace {

using testing::namesIn;

void ensureApplication() {
    static int argc = 1;
    static char name[] = "render_output_tests";
    static char* argv[] = {name, nullptr};
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

// What the window's canvas holds after start-up with `text` typed, taken
// through the window's own sequence; `beforeCaption` the canvas as the
// caption stage begins.
struct WindowCanvas {
    Raster final{layout::kCanvasWidth, layout::kCanvasHeight};
    Raster beforeCaption{layout::kCanvasWidth, layout::kCanvasHeight};
    std::string parameters;
};

WindowCanvas windowCanvas(const std::string& text) {
    FormState s;
    RasterSurface form = makeWindowSurface(900, 600), canvas = makeCanvas();
    FixedClock clock = testing::testClock();
    SplitMixGenerator random;
    // As the window starts: the generator seeded from the clock, then the
    // geometry, then the picture sequence, drawing on the window too.
    random.reseed(clock.secondsSinceMidnight());
    SetGeometry(s);
    PictureTools tools{form, canvas, clock, random};
    WindowCanvas out;
    tools.onStage = [&](std::string_view stage) {
        if (stage == "PrintCaption") out.beforeCaption = canvas.raster();
    };
    MakePicture(s, text, tools);
    out.final = canvas.raster();
    out.parameters = parameterLine(s);
    return out;
}

Raster rasterOf(const QImage& loaded) {
    const QImage image = loaded.convertToFormat(QImage::Format_RGB32);
    Raster r(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) r.set(x, y, Colour::fromPixel(image.pixel(x, y)));
    return r;
}

const std::vector<std::string> kTexts = {"hello world", "a", "", "Zażółć gęślą jaźń", std::string(100, '~')};

struct RunResult {
    int status;
    std::string out, err;
};

RunResult run(const RenderOptions& options, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out, err;
    FixedClock clock = testing::testClock();
    const int status = runRenderer(options, {in, out, err, false}, clock);
    return {status, out.str(), err.str()};
}

RenderOptions renderTo(const std::string& text, const std::filesystem::path& file) {
    RenderOptions o;
    o.text = text;
    o.output = file;
    return o;
}

class RenderOutput : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        folder = testing::freshFolder();
    }
    std::filesystem::path folder;
};

TEST_F(RenderOutput, PictureIsTheWindowsCanvasWithAndWithoutCaption) {
    for (const std::string& text : kTexts) {
        FixedClock clock = testing::testClock();
        const WindowCanvas window = windowCanvas(text);
        EXPECT_TRUE(MakeFreshPicture(text, makeCanvas(), clock, true).canvas == window.final) << text;
        EXPECT_TRUE(MakeFreshPicture(text, makeCanvas(), clock, false).canvas == window.beforeCaption) << text;
    }
    // The caption is really in the picture.
    FixedClock clock = testing::testClock();
    EXPECT_FALSE(MakeFreshPicture("hello world", makeCanvas(), clock, true).canvas ==
                 MakeFreshPicture("hello world", makeCanvas(), clock, false).canvas);
}

TEST_F(RenderOutput, PngAndBmpFilesHoldTheCanvasPixels) {
    for (const char* name : {"a.png", "b.PNG", "c.bmp", "d.BMP"}) {
        const RunResult r = run(renderTo("hello world", folder / name));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(r.err.empty()) << r.err;
        QImageReader reader(QString::fromStdString((folder / name).string()));
        const QByteArray expectedFormat = imageFormatOf(name) == ImageFormat::Png ? "png" : "bmp";
        EXPECT_EQ(reader.format(), expectedFormat) << name;
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << name << ": " << reader.errorString().toStdString();
        EXPECT_TRUE(rasterOf(image) == windowCanvas("hello world").final) << name;
    }
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{"a.png", "b.PNG", "c.bmp", "d.BMP"}));
}

TEST_F(RenderOutput, PngCarriesTheTextTheParameterLineAndTheVersion) {
    for (const std::string& text : kTexts) {
        const RunResult r = run(renderTo(text, folder / "p.png"));
        ASSERT_EQ(r.status, 0) << r.err;
        const auto texts = testing::pngTexts(testing::readBytes(folder / "p.png"));
        const std::map<std::string, std::string> expected = {
            {kTextKey, text}, {kParametersKey, windowCanvas(text).parameters}, {kSoftwareKey, renderVersion()}};
        EXPECT_EQ(texts, expected);
        // Qt reads the file, and finds the chunks (with their spaces folded).
        QImageReader reader(QString::fromStdString((folder / "p.png").string()));
        EXPECT_EQ(reader.text(kSoftwareKey).toStdString(), renderVersion());
        EXPECT_FALSE(reader.read().isNull());
    }
    EXPECT_NE(renderVersion().find("textscape-render "), std::string::npos);
}

TEST_F(RenderOutput, InfoPrintsTheParameterLineAsTheWindowShowsIt) {
    RenderOptions o = renderTo("hello world", folder / "i.png");
    o.info = true;
    const RunResult r = run(o);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, windowCanvas("hello world").parameters + "\n");
}

TEST_F(RenderOutput, TextFromInputLosesOneTrailingNewline) {
    struct Case {
        std::string input, text;
    } const cases[] = {{"héllo\n", "héllo"}, {"two\n\n", "two\n"}, {"crlf\r\n", "crlf"}, {"bare", "bare"}, {"\n", ""}};
    for (const Case& c : cases) {
        RenderOptions o = renderTo("", folder / "in.png");
        o.textFromInput = true;
        const RunResult r = run(o, c.input);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(testing::pngTexts(testing::readBytes(folder / "in.png")).at(kTextKey), c.text)
            << ::testing::PrintToString(c.input);
    }
}

TEST_F(RenderOutput, TooLongInputIsRefusedAndNothingWritten) {
    RenderOptions o = renderTo("", folder / "long.png");
    o.textFromInput = true;
    const RunResult r = run(o, std::string(101, 'x') + "\n");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("101 characters"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_TRUE(namesIn(folder).empty());
}

TEST_F(RenderOutput, DefaultNameIsTheStampAndNeverReplacesAFile) {
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    RenderOptions o;
    o.text = "hello";
    const RunResult first = run(o);
    const RunResult second = run(o);
    std::filesystem::current_path(before);
    ASSERT_EQ(first.status, 0) << first.err;
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{"T20260308140509.png", "T20260308140509-2.png"}));
}

TEST_F(RenderOutput, AnOutputThatCannotBeWrittenLeavesNothing) {
    testing::writeText(folder / "plain", "x");
    const RunResult r = run(renderTo("hello", folder / "plain" / "out.png"));
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find((folder / "plain" / "out.png").string()), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(namesIn(folder), std::set<std::string>{"plain"});
}

TEST_F(RenderOutput, AWriteThatStopsHalfwayKeepsTheOldFileWhole) {
    testing::writeText(folder / "keep.bmp", "old picture");
    RunResult r;
    {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limited = saved;
        limited.rlim_cur = 4096;
        ::setrlimit(RLIMIT_FSIZE, &limited);
        r = run(renderTo("hello", folder / "keep.bmp"));
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_DFL);
    }
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("keep.bmp"), std::string::npos) << r.err;
    EXPECT_EQ(testing::readBytes(folder / "keep.bmp"),
              std::vector<std::uint8_t>({'o', 'l', 'd', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'}));
    EXPECT_EQ(namesIn(folder), std::set<std::string>{"keep.bmp"});
}

TEST_F(RenderOutput, BatchWritesEveryGoodLineAndReportsTheBadOnes) {
    const std::filesystem::path list = folder / "list.txt";
    testing::writeText(list, "first\r\n" + std::string(101, 'x') + "\nthird\n\nfifth");
    RenderOptions o;
    o.action = RenderOptions::Action::Batch;
    o.batchList = list;
    o.outDir = folder / "out";
    o.info = true;
    const RunResult r = run(o);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(namesIn(folder / "out"), (std::set<std::string>{"0001.png", "0003.png", "0004.png", "0005.png"}));
    EXPECT_NE(r.err.find(list.string() + ":2: the text has 101 characters"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "no progress bar off a terminal: " << r.err;
    EXPECT_EQ(r.err.find('\r'), std::string::npos);

    const std::pair<const char*, std::string> written[] = {
        {"0001.png", "first"}, {"0003.png", "third"}, {"0004.png", ""}, {"0005.png", "fifth"}};
    for (const auto& [name, text] : written) {
        EXPECT_EQ(testing::pngTexts(testing::readBytes(folder / "out" / name)).at(kTextKey), text) << name;
        EXPECT_TRUE(rasterOf(QImage(QString::fromStdString((folder / "out" / name).string()))) ==
                    windowCanvas(text).final)
            << name;
        EXPECT_NE(r.out.find(std::string(name) + ": " + windowCanvas(text).parameters + "\n"), std::string::npos)
            << r.out;
    }
}

TEST_F(RenderOutput, BatchOfGoodLinesSucceeds) {
    testing::writeText(folder / "list.txt", "one\ntwo\n");
    RenderOptions o;
    o.action = RenderOptions::Action::Batch;
    o.batchList = folder / "list.txt";
    o.outDir = folder / "out";
    const RunResult r = run(o);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(namesIn(folder / "out"), (std::set<std::string>{"0001.png", "0002.png"}));
}

TEST_F(RenderOutput, BatchShowsAProgressBarOnATerminal) {
    testing::writeText(folder / "list.txt", "one\ntwo\n");
    RenderOptions o;
    o.action = RenderOptions::Action::Batch;
    o.batchList = folder / "list.txt";
    o.outDir = folder / "out";
    std::istringstream in;
    std::ostringstream out, err;
    FixedClock clock = testing::testClock();
    EXPECT_EQ(runRenderer(o, {in, out, err, true}, clock), 0);
    EXPECT_NE(err.str().find("] 2/2"), std::string::npos) << err.str();
}

// The program itself, as a shell runs it.
RunResult runProgram(const QStringList& arguments, const std::filesystem::path& folder, const QByteArray& input = {}) {
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(folder.string()));
    process.start(QStringLiteral(TEXTSCAPE_RENDER_PROGRAM), arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(120000);
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

TEST_F(RenderOutput, ProgramAnswersHelpAndVersion) {
    const RunResult help = runProgram({"--help"}, folder);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, renderUsage());
    const RunResult version = runProgram({"--version"}, folder);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, renderVersion() + "\n");
}

TEST_F(RenderOutput, ProgramRefusesBadInputWithOneLineAndWritesNothing) {
    const QStringList cases[] = {
        {"--bogus", "x"},
        {"-o", "x.jpg", "x"},
        {QString(101, QChar('x'))},
        {"-o", "missing/x.png", "x"},
    };
    for (const QStringList& args : cases) {
        const RunResult r = runProgram(args, folder);
        EXPECT_NE(r.status, 0) << args.join(' ').toStdString();
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.err.rfind("textscape-render: ", 0), 0u) << r.err;
        EXPECT_TRUE(namesIn(folder).empty()) << args.join(' ').toStdString();
    }
}

TEST_F(RenderOutput, ProgramRendersTextFromStandardInputWithoutADisplay) {
    const RunResult r = runProgram({"--info", "-o", "x.png", "-"}, folder, "hello world\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, windowCanvas("hello world").parameters + "\n");
    EXPECT_TRUE(rasterOf(QImage(QString::fromStdString((folder / "x.png").string()))) ==
                windowCanvas("hello world").final);
}

}  // namespace
}  // namespace ts
