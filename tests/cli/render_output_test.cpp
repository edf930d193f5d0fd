#include <gtest/gtest.h>
#include <unistd.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QProcess>

#include <sstream>

#include "cli/batch_list.hpp"
#include "cli/render_helpers.hpp"
#include "files/folder_lock.hpp"
#include "files/png_encoder.hpp"
#include "support/canvas_checksum.hpp"
#include "support/caption_pictures.hpp"
#include "support/file_size_limit.hpp"
#include "support/in_zone.hpp"
#include "support/png_chunks.hpp"

namespace ts {
namespace {

using namespace render_test;
using testing::namesIn;
using testing::writeBytes;

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

// The renderer draws the caption with the engine's code, as the window
// does: its files with captions in each script hold the window's pictures.
TEST_F(RenderOutput, CaptionsInEachScriptGiveThePicturesChecksums) {
    for (const testing::CaptionPicture& picture : testing::kCaptionPictures) {
        const RunResult r = run(renderTo(picture.text, folder / "caption.png"));
        ASSERT_EQ(r.status, 0) << r.err;
        const QImage image(QString::fromStdString((folder / "caption.png").string()));
        ASSERT_FALSE(image.isNull()) << picture.what;
        const std::uint64_t checksum = testing::canvasChecksum(rasterOf(image));
        EXPECT_EQ(checksum, picture.checksum) << picture.what << ": 0x" << std::hex << checksum;
    }
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

TEST_F(RenderOutput, PngCarriesTheTextTheParameterLineTheVersionAndTheTime) {
    for (const std::string& text : kTexts) {
        const RunResult r = run(renderTo(text, folder / "p.png"));
        ASSERT_EQ(r.status, 0) << r.err;
        const auto texts = testing::pngTexts(testing::readBytes(folder / "p.png"));
        const PictureRecipe recipe{text, windowCanvas(text).parameters, "", "", 2, 600, 450, true};
        const std::map<std::string, std::string> expected = {{"Title", text},
                                                             {"Description", describe(recipe)},
                                                             {"Picture Size", "600x450"},
                                                             {"Caption", "yes"},
                                                             {"Software", renderVersion()},
                                                             {"Creation Time", localCreationTime("T20260308140509")},
                                                             {"Picture Definition", "2"}};
        EXPECT_EQ(texts, expected);
        EXPECT_TRUE(texts.at("Creation Time").starts_with("2026-03-08T14:05:09")) << texts.at("Creation Time");
        // Qt reads the file, and finds the chunks (with their spaces folded).
        QImageReader reader(QString::fromStdString((folder / "p.png").string()));
        EXPECT_EQ(reader.text(kSoftwareKey).toStdString(), renderVersion());
        EXPECT_EQ(reader.text(kTitleKey).toStdString(), QString::fromStdString(text).simplified().toStdString());
        EXPECT_FALSE(reader.read().isNull());
    }
    EXPECT_NE(renderVersion().find("textscape-render "), std::string::npos);
}

// Local 02:30 of 2026-10-25 happens twice in Berlin. Each picture, alone or
// in a batch, records the offset of the instant the clock was read at,
// which the picture's name alone cannot tell.
TEST_F(RenderOutput, CreationTimeKeepsTheOffsetOfTheInstantInTheHourThatRepeats) {
    const testing::InZone berlin("Europe/Berlin");
    struct Case {
        std::time_t instant;
        const char* expected;
    };
    for (const Case& c : {Case{testing::kBerlinFirst0230, "2026-10-25T02:30:00+02:00"},
                          Case{testing::kBerlinSecond0230, "2026-10-25T02:30:00+01:00"}}) {
        if (localRfc3339(c.instant).ends_with("Z")) GTEST_SKIP() << "no time zone data on this machine";
        FixedClock clock("10-25-2026", "02:30:00", 9000, c.instant);
        std::istringstream in("sunset\n");
        std::ostringstream out, err;
        ASSERT_EQ(runRenderer(renderTo("sunset", folder / "one.png"), {in, out, err}, clock), 0) << err.str();
        EXPECT_EQ(testing::pngTexts(testing::readBytes(folder / "one.png")).at("Creation Time"), c.expected);

        RenderOptions batch;
        batch.action = RenderOptions::Action::Batch;
        batch.batchList = "-";
        batch.outDir = folder / "batch";
        ASSERT_EQ(runRenderer(batch, {in, out, err}, clock), 0) << err.str();
        EXPECT_EQ(testing::pngTexts(testing::readBytes(folder / "batch" / "0001.png")).at("Creation Time"), c.expected);
    }
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
    } const cases[] = {{"héllo\n", "héllo"}, {"crlf\r\n", "crlf"}, {"bare", "bare"}, {"\n", ""}};
    for (const Case& c : cases) {
        RenderOptions o = renderTo("", folder / "in.png");
        o.textFromInput = true;
        const RunResult r = run(o, c.input);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(testing::pngTexts(testing::readBytes(folder / "in.png")).at(kTitleKey), c.text)
            << ::testing::PrintToString(c.input);
    }
    // Only one is dropped: a second is a control character of the text.
    RenderOptions o = renderTo("", folder / "two.png");
    o.textFromInput = true;
    const RunResult two = run(o, "two\n\n");
    EXPECT_EQ(two.status, 1);
    EXPECT_EQ(two.err, "textscape-render: the text has a control character (U+000A) at position 4\n");
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
    // The name is printed, so that the file can be found.
    EXPECT_EQ(first.out, "T20260308140509.png\n");
    EXPECT_EQ(second.out, "T20260308140509-2.png\n");
    EXPECT_EQ(first.err + second.err, "");
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
        const testing::FileSizeLimit limit(4096);
        r = run(renderTo("hello", folder / "keep.bmp"));
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
    EXPECT_EQ(namesIn(folder / "out"),
              (std::set<std::string>{"0001.png", "0003.png", "0004.png", "0005.png", "index.tsv"}));
    EXPECT_NE(r.err.find(list.string() + ":2: the text has 101 characters"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("textscape-render: 5 lines: 4 written, 1 skipped, 0 failed\n"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << "no progress bar off a terminal: " << r.err;
    EXPECT_EQ(r.err.find('\r'), std::string::npos);

    const std::pair<const char*, std::string> written[] = {
        {"0001.png", "first"}, {"0003.png", "third"}, {"0004.png", ""}, {"0005.png", "fifth"}};
    for (const auto& [name, text] : written) {
        EXPECT_EQ(testing::pngTexts(testing::readBytes(folder / "out" / name)).at(kTitleKey), text) << name;
        EXPECT_TRUE(rasterOf(QImage(QString::fromStdString((folder / "out" / name).string()))) ==
                    windowCanvas(text).final)
            << name;
        EXPECT_NE(r.out.find(std::string(name) + ": " + windowCanvas(text).parameters + "\n"), std::string::npos)
            << r.out;
    }
    // The index lists the pictures written, not the line skipped.
    const std::vector<std::uint8_t> index = testing::readBytes(folder / "out" / "index.tsv");
    EXPECT_EQ(std::string(index.begin(), index.end()),
              "line\tfile\ttext\n1\t0001.png\tfirst\n3\t0003.png\tthird\n4\t0004.png\t\n5\t0005.png\tfifth\n");
}

TEST_F(RenderOutput, BatchOfGoodLinesSucceeds) {
    testing::writeText(folder / "list.txt", "one\ntwo\n");
    RenderOptions o;
    o.action = RenderOptions::Action::Batch;
    o.batchList = folder / "list.txt";
    o.outDir = folder / "out";
    const RunResult r = run(o);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(namesIn(folder / "out"), (std::set<std::string>{"0001.png", "0002.png", "index.tsv"}));
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
        {"-o", "x.gif", "x"},
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

// ---- Standard output, --format, --info alone ------------------------------

TEST_F(RenderOutput, StandardOutputCarriesTheBytesAFileWould) {
    struct Case {
        std::optional<ImageFormat> format;
        const char* file;
    } const cases[] = {{std::nullopt, "same.png"}, {ImageFormat::Png, "same.png"}, {ImageFormat::Bmp, "same.bmp"}};
    for (const Case& c : cases) {
        RenderOptions toOut = renderTo("Zażółć gęślą jaźń", "-");
        toOut.format = c.format;
        toOut.info = true;
        const RunResult piped = run(toOut);
        ASSERT_EQ(piped.status, 0) << piped.err;
        // The parameter line goes aside, to standard error.
        EXPECT_EQ(piped.err, windowCanvas("Zażółć gęślą jaźń").parameters + "\n");

        const RunResult filed = run(renderTo("Zażółć gęślą jaźń", folder / c.file));
        ASSERT_EQ(filed.status, 0) << filed.err;
        const std::vector<std::uint8_t> fileBytes = testing::readBytes(folder / c.file);
        EXPECT_EQ(std::vector<std::uint8_t>(piped.out.begin(), piped.out.end()), fileBytes) << c.file;
        QImage decoded;
        ASSERT_TRUE(
            decoded.loadFromData(reinterpret_cast<const uchar*>(piped.out.data()), static_cast<int>(piped.out.size())));
        EXPECT_TRUE(rasterOf(decoded) == windowCanvas("Zażółć gęślą jaźń").final);
        std::filesystem::remove(folder / c.file);
    }
    EXPECT_TRUE(namesIn(folder).empty());
}

TEST_F(RenderOutput, APictureIsNotWrittenToATerminal) {
    const RunResult r = run(renderTo("hello", "-"), "", true);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("not written to a terminal"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
}

TEST_F(RenderOutput, FormatWinsOverTheExtension) {
    struct Case {
        const char* file;
        ImageFormat format;
        std::string starts;
    } const cases[] = {{"looks.png", ImageFormat::Bmp, "BM"},
                       {"looks.bmp", ImageFormat::Png, "\x89PNG"},
                       {"no-extension", ImageFormat::Png, "\x89PNG"}};
    for (const Case& c : cases) {
        RenderOptions o = renderTo("hello", folder / c.file);
        o.format = c.format;
        const RunResult r = run(o);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::vector<std::uint8_t> bytes = testing::readBytes(folder / c.file);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + static_cast<long>(c.starts.size())), c.starts) << c.file;
    }
}

// Runs in `folder` as the current folder.
RunResult runIn(const std::filesystem::path& folder, const RenderOptions& options, const std::string& input = "") {
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    RunResult r = run(options, input);
    std::filesystem::current_path(before);
    return r;
}

TEST_F(RenderOutput, InfoAloneWritesNoFileAndQuietNamesNone) {
    RenderOptions info;
    info.text = "hello world";
    info.info = true;
    const RunResult r = runIn(folder, info);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, windowCanvas("hello world").parameters + "\n");
    EXPECT_TRUE(namesIn(folder).empty());

    RenderOptions quiet;
    quiet.text = "hello world";
    quiet.quiet = true;
    quiet.format = ImageFormat::Bmp;
    const RunResult q = runIn(folder, quiet);
    ASSERT_EQ(q.status, 0) << q.err;
    EXPECT_EQ(q.out + q.err, "");
    EXPECT_EQ(namesIn(folder), std::set<std::string>{"T20260308140509.bmp"});
}

TEST_F(RenderOutput, ByteOrderMarkIsNotPartOfTheText) {
    RenderOptions o = renderTo("", folder / "marked.png");
    o.textFromInput = true;
    o.info = true;
    const RunResult r = run(o, "\xEF\xBB\xBFHello, Textscape\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "tip1=15  tip2=1  tip3=4  seed=2033639\n");
    EXPECT_TRUE(rasterOf(QImage(QString::fromStdString((folder / "marked.png").string()))) ==
                windowCanvas("Hello, Textscape").final);

    testing::writeText(folder / "list.txt", "\xEF\xBB\xBFHello, Textscape\r\nsecond\r\n");
    RenderOptions batch;
    batch.action = RenderOptions::Action::Batch;
    batch.batchList = folder / "list.txt";
    batch.outDir = folder / "out";
    batch.info = true;
    const RunResult b = run(batch);
    ASSERT_EQ(b.status, 0) << b.err;
    EXPECT_NE(b.out.find("0001.png: tip1=15  tip2=1  tip3=4  seed=2033639\n"), std::string::npos) << b.out;
    EXPECT_EQ(testing::pngTexts(testing::readBytes(folder / "out" / "0001.png")).at(kTitleKey), "Hello, Textscape");
}

TEST_F(RenderOutput, ARefusedTextGivesStatusOneAsArgumentAndOnInput) {
    for (const std::string& bad : {std::string(101, 'x'), std::string("\xff\xfe"), std::string(5000, 'y')}) {
        RenderOptions asArgument = renderTo(bad, folder / "a.png");
        RenderOptions fromInput = renderTo("", folder / "a.png");
        fromInput.textFromInput = true;
        const RunResult argument = run(asArgument);
        const RunResult input = run(fromInput, bad + "\n");
        EXPECT_EQ(argument.status, 1) << argument.err;
        EXPECT_EQ(input.status, 1) << input.err;
        if (bad.size() <= kMaxTextBytes) {
            EXPECT_EQ(argument.err, input.err);
        }
        EXPECT_EQ(std::count(input.err.begin(), input.err.end(), '\n'), 1) << input.err;
        EXPECT_TRUE(namesIn(folder).empty());
    }
}

TEST_F(RenderOutput, AStandardOutputThatFailsIsAnError) {
    std::ostream broken(nullptr);  // every write fails
    std::istringstream in;
    std::ostringstream err;
    FixedClock clock = testing::testClock();
    RenderOptions o;
    o.text = "hello";
    o.info = true;
    EXPECT_EQ(runRenderer(o, {in, broken, err, false}, clock), 1);
    const std::string reported = err.str();
    EXPECT_NE(reported.find("could not write to standard output"), std::string::npos) << reported;
    EXPECT_EQ(std::count(reported.begin(), reported.end(), '\n'), 1) << reported;
}

// ---- Batches --------------------------------------------------------------

RenderOptions batchOf(const std::filesystem::path& list, const std::filesystem::path& outDir) {
    RenderOptions o;
    o.action = RenderOptions::Action::Batch;
    o.batchList = list;
    o.outDir = outDir;
    return o;
}

TEST_F(RenderOutput, BatchReadsItsListFromStandardInput) {
    const RunResult r = run(batchOf("-", folder / "out"), "one\n" + std::string(101, 'x') + "\n\nfour");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(namesIn(folder / "out"), (std::set<std::string>{"0001.png", "0003.png", "0004.png", "index.tsv"}));
    EXPECT_NE(r.err.find("standard input:2: the text has 101 characters"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("4 lines: 3 written, 1 skipped, 0 failed"), std::string::npos) << r.err;
    EXPECT_EQ(testing::pngTexts(testing::readBytes(folder / "out" / "0003.png")).at(kTitleKey), "");
}

TEST_F(RenderOutput, BatchStopsAtTheFirstFailedWriteWithOneMessage) {
    testing::writeText(folder / "list.txt", "one\ntwo\nthree\nfour\nfive\n");
    // An index an earlier run left would no longer be true: it goes.
    std::filesystem::create_directory(folder / "out");
    testing::writeText(folder / "out" / "index.tsv", "line\tfile\ttext\n1\t0001.png\tearlier\n");
    RunResult r;
    {
        const testing::FileSizeLimit limit(4096);  // every picture is larger: every write fails
        r = run(batchOf(folder / "list.txt", folder / "out"));
    }
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << "one message and the summary: " << r.err;
    EXPECT_NE(r.err.find("Could not write " + (folder / "out" / "0001.png").string()), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("5 lines: 0 written, 0 skipped, 1 failed, 4 not tried"), std::string::npos) << r.err;
    EXPECT_TRUE(namesIn(folder / "out").empty());
}

TEST_F(RenderOutput, QuietBatchHasNoSummaryAndNoProgress) {
    testing::writeText(folder / "list.txt", "one\n" + std::string(101, 'x') + "\n");
    RenderOptions o = batchOf(folder / "list.txt", folder / "out");
    o.quiet = true;
    std::istringstream in;
    std::ostringstream out, err;
    FixedClock clock = testing::testClock();
    EXPECT_EQ(runRenderer(o, {in, out, err, true}, clock), 1);
    // Only the skipped line is reported.
    EXPECT_EQ(err.str(), "textscape-render: " + (folder / "list.txt").string() +
                             ":2: the text has 101 characters; at most 100 are allowed; skipped\n");
}

TEST_F(RenderOutput, BatchIntoAFolderInUseIsRefused) {
    testing::writeText(folder / "list.txt", "one\ntwo\n");
    std::filesystem::create_directories(folder / "out");
    FolderLock otherBatch;
    ASSERT_TRUE(otherBatch.acquire(folder / "out"));
    const RunResult r = run(batchOf(folder / "list.txt", folder / "out"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "textscape-render: the folder " + (folder / "out").string() + " is in use by another batch\n");
    EXPECT_TRUE(namesIn(folder / "out").empty());

    otherBatch.release();
    const RunResult after = run(batchOf(folder / "list.txt", folder / "out"));
    EXPECT_EQ(after.status, 0) << after.err;
    EXPECT_EQ(namesIn(folder / "out"), (std::set<std::string>{"0001.png", "0002.png", "index.tsv"}));
}

TEST_F(RenderOutput, BatchLeavesFilesOfAnEarlierRunAlone) {
    std::filesystem::create_directories(folder / "out");
    testing::writeText(folder / "out" / "0003.png", "earlier");
    testing::writeText(folder / "out" / "notes.txt", "mine");
    testing::writeText(folder / "list.txt", "one\n");
    const RunResult r = run(batchOf(folder / "list.txt", folder / "out"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(namesIn(folder / "out"), (std::set<std::string>{"0001.png", "0003.png", "notes.txt", "index.tsv"}));
    EXPECT_EQ(testing::readBytes(folder / "out" / "0003.png"),
              std::vector<std::uint8_t>({'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
}

TEST_F(RenderOutput, ABatchListThatCannotBeUsedIsRefusedWhole) {
    std::filesystem::create_directories(folder / "a folder");
    std::string tooMany;
    for (std::size_t k = 0; k <= kMaxBatchLines; ++k) tooMany += "x\n";
    testing::writeText(folder / "long.txt", tooMany);
    struct Case {
        std::filesystem::path list;
        std::string inMessage;
    } const cases[] = {
        {folder / "a folder", "Could not read " + (folder / "a folder").string() + ": it is a folder"},
        {folder / "missing.txt", "Could not read " + (folder / "missing.txt").string() + ": No such file"},
        {folder / "long.txt", "has more than 100000 lines"},
    };
    for (const Case& c : cases) {
        const RunResult r = run(batchOf(c.list, folder / "out"));
        EXPECT_EQ(r.status, 1) << c.list;
        EXPECT_NE(r.err.find(c.inMessage), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_FALSE(std::filesystem::exists(folder / "out")) << c.list;
    }
}

TEST_F(RenderOutput, ALongBatchLineIsReportedWithItsNumber) {
    testing::writeText(folder / "list.txt", "one\n" + std::string(std::size_t{1} << 20, 'x') + "\nthree\n");
    const RunResult r = run(batchOf(folder / "list.txt", folder / "out"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find((folder / "list.txt").string() +
                         ":2: the text has more than 100 characters; at most 100 are allowed; skipped"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(namesIn(folder / "out"), (std::set<std::string>{"0001.png", "0003.png", "index.tsv"}));
}

// The test clock, which also runs `onReading` each time the picture sequence
// reads it: once per picture, as the picture starts.
class HookedClock final : public Clock {
public:
    explicit HookedClock(std::function<void()> onReading) : onReading_(std::move(onReading)) {}
    float secondsSinceMidnight() override { return clock_.secondsSinceMidnight(); }
    std::string date() override {
        onReading_();
        return clock_.date();
    }
    std::string time() override { return clock_.time(); }

private:
    FixedClock clock_ = testing::testClock();
    std::function<void()> onReading_;
};

// `mv out out.old; mkdir out` while the batch runs: the batch writes on
// into the folder it locked, and the new folder stays empty for another.
TEST_F(RenderOutput, BatchWritesIntoTheFolderItLockedWhereverItIsMoved) {
    testing::writeText(folder / "list.txt", "one\ntwo\nthree\n");
    RenderOptions o = batchOf(folder / "list.txt", folder / "out");
    o.jobs = 1;  // each picture is drawn after the one before it is written
    bool moved = false;
    HookedClock clock([&] {
        if (moved || !std::filesystem::exists(folder / "out" / "0001.png")) return;
        std::filesystem::rename(folder / "out", folder / "out.old");
        std::filesystem::create_directory(folder / "out");
        moved = true;
    });
    std::istringstream in;
    std::ostringstream out, err;
    EXPECT_EQ(runRenderer(o, {in, out, err, false}, clock), 0) << err.str();
    ASSERT_TRUE(moved);
    EXPECT_EQ(namesIn(folder / "out.old"), (std::set<std::string>{"0001.png", "0002.png", "0003.png", "index.tsv"}));
    EXPECT_TRUE(namesIn(folder / "out").empty());
    FolderLock another;
    EXPECT_TRUE(another.acquire(folder / "out"));
}
// ---- The recipe read back -------------------------------------------------

RenderOptions fromRecipe(const std::filesystem::path& file, const std::filesystem::path& output) {
    RenderOptions o;
    o.recipeFile = file;
    o.output = output;
    return o;
}

TEST_F(RenderOutput, FromGivesTheSamePictureByteForByteAndTheSameInfo) {
    for (const std::string& text : kTexts) {
        RenderOptions first = renderTo(text, folder / "first.png");
        first.info = true;
        const RunResult written = run(first);
        ASSERT_EQ(written.status, 0) << written.err;

        RenderOptions again = fromRecipe(folder / "first.png", folder / "again.png");
        const RunResult remade = run(again);
        ASSERT_EQ(remade.status, 0) << remade.err;
        EXPECT_EQ(testing::readBytes(folder / "again.png"), testing::readBytes(folder / "first.png")) << text;

        RenderOptions info = fromRecipe(folder / "first.png", "");
        info.info = true;
        const RunResult told = runIn(folder, info);
        ASSERT_EQ(told.status, 0) << told.err;
        EXPECT_EQ(told.out, text + "\n" + written.out) << text;
        EXPECT_EQ(told.err, "");
        EXPECT_EQ(namesIn(folder), (std::set<std::string>{"first.png", "again.png"}));

        // Other options still apply.
        RenderOptions bare = fromRecipe(folder / "first.png", folder / "bare.bmp");
        bare.caption = false;
        bare.captionGiven = true;
        ASSERT_EQ(run(bare).status, 0);
        EXPECT_TRUE(rasterOf(QImage(QString::fromStdString((folder / "bare.bmp").string()))) ==
                    windowCanvas(text).beforeCaption);
        std::filesystem::remove(folder / "bare.bmp");
    }
}

// The file's own size and caption come back; the command line's win.
TEST_F(RenderOutput, FromRestoresTheSizeAndTheCaptionUnlessTold) {
    for (const bool caption : {false, true}) {
        RenderOptions first = renderTo("sunset", folder / "first.png");
        first.width = 64, first.height = 40, first.sizeGiven = true;
        first.caption = caption, first.captionGiven = true;
        ASSERT_EQ(run(first).status, 0);

        // In place, as --from a.png -o a.png: the same file again.
        const std::vector<std::uint8_t> before = testing::readBytes(folder / "first.png");
        const RunResult same = run(fromRecipe(folder / "first.png", folder / "first.png"));
        ASSERT_EQ(same.status, 0) << same.err;
        EXPECT_EQ(testing::readBytes(folder / "first.png"), before) << caption;

        RenderOptions resized = fromRecipe(folder / "first.png", folder / "resized.png");
        resized.width = 48, resized.height = 30, resized.sizeGiven = true;
        resized.caption = !caption, resized.captionGiven = true;
        ASSERT_EQ(run(resized).status, 0);
        RenderOptions expected = renderTo("sunset", folder / "expected.png");
        expected.width = 48, expected.height = 30, expected.caption = !caption;
        ASSERT_EQ(run(expected).status, 0);
        EXPECT_EQ(testing::readBytes(folder / "resized.png"), testing::readBytes(folder / "expected.png")) << caption;
    }
}

// --info --json: one object per picture, its text escaped as JSON wants.
TEST_F(RenderOutput, InfoAsJsonIsOneObjectPerPicture) {
    const std::string text = "say \"hi\" \\ caf\xC3\xA9";
    RenderOptions o = renderTo(text, folder / "j.png");
    o.info = true, o.json = true;
    o.caption = false, o.captionGiven = true;
    o.width = 64, o.height = 48, o.sizeGiven = true;
    const RunResult r = run(o);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string parameters = windowCanvas(text).parameters;  // "tip1=7  tip2=2  tip3=3  seed=4133079"
    std::string numbers;
    std::istringstream fields(parameters);
    for (std::string field; fields >> field;) numbers += ",\"" + field.replace(field.find('='), 1, "\":");
    EXPECT_EQ(r.out, "{\"text\":\"say \\\"hi\\\" \\\\ caf\xC3\xA9\",\"definition\":2,\"width\":64,\"height\":48,"
                     "\"caption\":false" + numbers + ",\"file\":\"" + (folder / "j.png").string() + "\"}\n");

    RenderOptions alone = renderTo("sunset", "");
    alone.info = true, alone.json = true;
    const RunResult told = run(alone);
    EXPECT_TRUE(told.out.starts_with("{\"text\":\"sunset\",\"definition\":2,\"width\":600,\"height\":450,\"caption\":true,"))
        << told.out;
    EXPECT_TRUE(told.out.ends_with(",\"file\":null}\n")) << told.out;
}

// A batch run again with --skip-existing draws only the lines whose files
// are missing or carry another text, and writes index.tsv whole.
TEST_F(RenderOutput, BatchSkipExistingResumesAndWritesAnIndex) {
    RenderOptions o = smallBatchInto(folder / "out");
    ASSERT_EQ(run(o, "one\ntwo \\ x\nthree\ncafe\xCC\x81\n").status, 0);
    // The last line's accent is typed apart (NFD): its text is kept, listed
    // and found again in NFC.
    const std::string listed =
        "line\tfile\ttext\n1\t0001.png\tone\n2\t0002.png\ttwo \\\\ x\n3\t0003.png\tthree\n"
        "4\t0004.png\tcaf\xC3\xA9\n";
    const std::vector<std::uint8_t> first = testing::readBytes(folder / "out" / "index.tsv");
    EXPECT_EQ(std::string(first.begin(), first.end()), listed) << "every batch writes its index";
    const std::vector<std::uint8_t> two = testing::readBytes(folder / "out" / "0002.png");
    std::filesystem::remove(folder / "out" / "0001.png");
    std::filesystem::copy_file(folder / "out" / "0002.png", folder / "out" / "0003.png",
                               std::filesystem::copy_options::overwrite_existing);  // another line's text
    o.skipExisting = true;
    const RunResult r = run(o, "one\ntwo \\ x\nthree\ncafe\xCC\x81\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("4 lines: 2 written, 2 present, 0 skipped, 0 failed"), std::string::npos) << r.err;
    EXPECT_EQ(testing::readBytes(folder / "out" / "0002.png"), two);
    PictureRecipe third;
    ASSERT_TRUE(readPngRecipe(testing::readBytes(folder / "out" / "0003.png"), third));
    EXPECT_EQ(third.text, "three");
    const std::vector<std::uint8_t> index = testing::readBytes(folder / "out" / "index.tsv");
    EXPECT_EQ(std::string(index.begin(), index.end()), listed);

    // A file of the same text drawn at another size or with another caption
    // flag is not this run's picture: it is drawn again.
    for (const bool bigger : {true, false}) {
        RenderOptions other = o;
        if (bigger) {
            other.width = 48;
            other.height = 36;
        } else {
            other.caption = true;
        }
        const RunResult again = run(other, "one\n");
        EXPECT_NE(again.err.find("1 line: 1 written, 0 present"), std::string::npos) << again.err;
    }
}

TEST(BatchIndexField, KeepsEveryRowOneLineOfThreeFields) {
    const struct {
        const char* text;
        const char* field;
    } cases[] = {{"", ""},
                 {"sunset", "sunset"},
                 {"a\\b", "a\\\\b"},
                 {"\\t", "\\\\t"},
                 {"tab\there", "tab\\there"},
                 {"two\nlines\r", "two\\nlines\\r"},
                 {"caf\xC3\xA9 \xE6\x97\xA5", "caf\xC3\xA9 \xE6\x97\xA5"}};
    for (const auto& c : cases) EXPECT_EQ(batchIndexField(c.text), c.field) << c.text;
}

// A clock that counts how often a picture was named: once for each picture drawn.
class CountingClock final : public Clock {
public:
    float secondsSinceMidnight() override { return clock_.secondsSinceMidnight(); }
    std::string date() override { return clock_.date(); }
    std::string time() override {
        ++readings;
        return clock_.time();
    }
    ClockReading read() override {
        ++readings;
        return clock_.read();
    }
    int readings = 0;

private:
    FixedClock clock_ = testing::testClock();
};

// -n refuses a file that is there before its picture is drawn, in a batch
// and for one picture; the index still lists the files that carry their line.
TEST_F(RenderOutput, NoClobberRefusesAFileThatIsThereWithoutDrawingIt) {
    RenderOptions o = smallBatchInto(folder / "out");
    const std::string list = "one\ntwo\nthree\n";
    ASSERT_EQ(run(o, list).status, 0);
    const std::vector<std::uint8_t> index = testing::readBytes(folder / "out" / "index.tsv");
    std::filesystem::remove(folder / "out" / "0002.png");
    testing::writeText(folder / "out" / "0003.png", "not a picture");

    o.noClobber = true;
    const auto runCounted = [&](const RenderOptions& options, CountingClock& clock) {
        std::istringstream in(list);
        std::ostringstream out, err;
        const int status = runRenderer(options, {in, out, err}, clock);
        return RunResult{status, out.str(), err.str()};
    };
    CountingClock clock;
    const RunResult r = runCounted(o, clock);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(clock.readings, 1) << "only the missing line was drawn";
    for (const char* refused : {"0001.png", "0003.png"})
        EXPECT_NE(r.err.find(std::string(refused) + ": a file of that name exists; skipped"), std::string::npos)
            << r.err;
    EXPECT_NE(r.err.find("3 lines: 1 written, 2 skipped, 0 failed"), std::string::npos) << r.err;
    const std::vector<std::uint8_t> kept = testing::readBytes(folder / "out" / "0003.png");
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "not a picture");
    const std::vector<std::uint8_t> after = testing::readBytes(folder / "out" / "index.tsv");
    EXPECT_EQ(std::string(after.begin(), after.end()), "line\tfile\ttext\n1\t0001.png\tone\n2\t0002.png\ttwo\n")
        << "was: " << std::string(index.begin(), index.end());

    CountingClock alone;
    RenderOptions one = renderTo("one", folder / "out" / "0001.png");
    one.noClobber = true;
    const RunResult refused = runCounted(one, alone);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(alone.readings, 0);
    EXPECT_NE(refused.err.find("0001.png: a file of that name exists"), std::string::npos) << refused.err;
}

// A one-pixel PNG with the given text chunks and no others.
std::vector<std::uint8_t> tinyPngWith(const std::vector<PngText>& texts) {
    std::vector<std::uint8_t> png;
    EXPECT_TRUE(encodePng(Raster(1, 1), PngMetadata{texts, {}}, png));
    return png;
}

TEST_F(RenderOutput, FromReadsFilesWithTheOlderKeys) {
    writeBytes(folder / "old.png", tinyPngWith({{"Software", "textscape-render 1.0.0"},
                                                {"Parameters", "tip1=15  tip2=1  tip3=4  seed=2033639"},
                                                {"Text", "Hello, Textscape"}}));
    RenderOptions o = fromRecipe(folder / "old.png", folder / "new.png");
    o.info = true;
    const RunResult r = run(o);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Hello, Textscape\ntip1=15  tip2=1  tip3=4  seed=2033639\n");
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(rasterOf(QImage(QString::fromStdString((folder / "new.png").string()))) ==
                windowCanvas("Hello, Textscape").final);
}

// Files textscape-render 1.0.0 wrote, 64 x 48 without their caption: read
// back at that size and without caption, they come out pixel for pixel,
// although the newest definition draws their texts otherwise.
TEST_F(RenderOutput, FilesOfVersion100ComeBackPixelForPixel) {
    for (const char* name : {"definition1-privet.png", "definition1-nihongo.png"}) {
        SCOPED_TRACE(name);
        const std::filesystem::path old = std::filesystem::path(TEXTSCAPE_CLI_TEST_DATA) / name;
        RenderOptions o = fromRecipe(old, folder / "again.png");
        o.caption = false, o.captionGiven = true;
        o.width = 64, o.height = 48, o.sizeGiven = true;
        const RunResult r = run(o);
        ASSERT_EQ(r.status, 0) << r.err;
        const Raster before = rasterOf(QImage(QString::fromStdString(old.string())));
        ASSERT_EQ(before.width(), 64);
        EXPECT_TRUE(rasterOf(QImage(QString::fromStdString((folder / "again.png").string()))) == before);
        const auto texts = testing::pngTexts(testing::readBytes(folder / "again.png"));
        EXPECT_EQ(texts.at("Picture Definition"), "1");

        RenderOptions newest = renderTo(texts.at("Title"), folder / "newest.png");
        newest.caption = false, newest.captionGiven = true;
        newest.width = 64, newest.height = 48, newest.sizeGiven = true;
        ASSERT_EQ(run(newest).status, 0);
        EXPECT_FALSE(rasterOf(QImage(QString::fromStdString((folder / "newest.png").string()))) == before);
    }
}

// A file written before picture definitions were recorded is of definition
// 1: its field comes back as that program drew it, with each character
// outside Windows-1252 as "?" (so the field of six question marks), under
// the current caption, and the file written records definition 1.
TEST_F(RenderOutput, FromDrawsAFileWithoutADefinitionAsDefinition1) {
    const std::string privet = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
    writeBytes(folder / "old.png", tinyPngWith({{"Software", "textscape-render 1.0.0"}, {"Title", privet}}));
    RenderOptions o = fromRecipe(folder / "old.png", folder / "new.png");
    o.info = true;
    const RunResult r = run(o);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, privet + "\n" + windowCanvas("??????").parameters + "\n");
    EXPECT_EQ(testing::pngTexts(testing::readBytes(folder / "new.png")).at("Picture Definition"), "1");

    RenderOptions bare = fromRecipe(folder / "old.png", folder / "bare.png");
    bare.caption = false;
    ASSERT_EQ(run(bare).status, 0);
    const Raster field = rasterOf(QImage(QString::fromStdString((folder / "bare.png").string())));
    EXPECT_TRUE(field == windowCanvas("??????").beforeCaption);
    EXPECT_FALSE(field == windowCanvas(privet).beforeCaption);

    // The file it wrote brings back the same picture again.
    ASSERT_EQ(run(fromRecipe(folder / "new.png", folder / "again.png")).status, 0);
    EXPECT_EQ(testing::readBytes(folder / "again.png"), testing::readBytes(folder / "new.png"));
}

// A text in another spelling of the same characters is taken in NFC: the
// same picture and the same recipe.
TEST_F(RenderOutput, TextsAreTakenInNfc) {
    const std::string nfc = "caf\xC3\xA9 \xED\x95\x9C", nfd = "cafe\xCC\x81 \xE1\x84\x92\xE1\x85\xA1\xE1\x86\xAB";
    ASSERT_EQ(run(renderTo(nfc, folder / "nfc.png")).status, 0);
    ASSERT_EQ(run(renderTo(nfd, folder / "nfd.png")).status, 0);
    EXPECT_EQ(testing::readBytes(folder / "nfd.png"), testing::readBytes(folder / "nfc.png"));
    EXPECT_EQ(testing::pngTexts(testing::readBytes(folder / "nfd.png")).at(kTitleKey), nfc);

    RenderOptions o = renderTo("", folder / "in.png");
    o.textFromInput = true;
    ASSERT_EQ(run(o, nfd + "\n").status, 0);
    EXPECT_EQ(testing::readBytes(folder / "in.png"), testing::readBytes(folder / "nfc.png"));
}

TEST_F(RenderOutput, FromNotesAParameterLineThatDiffers) {
    writeBytes(folder / "odd.png", tinyPngWith({{"Software", "textscape-render 0.9"},
                                                {"Description", "tip1=1  tip2=1  tip3=1  seed=1"},
                                                {"Title", "Hello, Textscape"}}));
    const RunResult r = run(fromRecipe(folder / "odd.png", folder / "new.png"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "textscape-render: note: " + (folder / "odd.png").string() +
                         " records the parameter line \"tip1=1  tip2=1  tip3=1  seed=1\"; this version gives "
                         "\"tip1=15  tip2=1  tip3=4  seed=2033639\"\n");
}

TEST_F(RenderOutput, FromRefusesWhatCarriesNoRecipeAndSaysWhich) {
    ASSERT_EQ(run(renderTo("hello", folder / "good.png")).status, 0);
    ASSERT_EQ(run(renderTo("hello", folder / "picture.bmp")).status, 0);
    std::vector<std::uint8_t> damaged = testing::readBytes(folder / "good.png");
    std::size_t title = 0;
    for (const testing::PngChunkAt& chunk : testing::pngChunks(damaged))
        if (chunk.type == "iTXt" && title == 0) title = chunk.at;
    ASSERT_NE(title, 0u);
    damaged[title + 10] ^= 1;  // inside the Title chunk
    writeBytes(folder / "damaged.png", damaged);
    std::vector<std::uint8_t> cut = testing::readBytes(folder / "good.png");
    cut.resize(cut.size() / 2);
    writeBytes(folder / "cut.png", cut);
    writeBytes(folder / "plain.png", tinyPngWith({}));
    writeBytes(folder / "long.png",
               tinyPngWith({{"Software", "textscape-render 1.0.0"}, {"Title", std::string(101, 'x')}}));
    writeBytes(
        folder / "newer.png",
        tinyPngWith({{"Software", "textscape-render 9.0.0"}, {"Title", "from later"}, {"Picture Definition", "3"}}));
    std::filesystem::create_directories(folder / "folder.png");

    struct Case {
        const char* file;
        std::string inMessage;
    } const cases[] = {
        {"missing.png", "Could not read " + (folder / "missing.png").string() + ": No such file"},
        {"folder.png", "Could not read " + (folder / "folder.png").string() + ": it is a folder"},
        {"picture.bmp", (folder / "picture.bmp").string() + ": not a PNG file"},
        {"damaged.png", (folder / "damaged.png").string() + ": damaged: the chunk at byte " + std::to_string(title) +
                            " fails its CRC check"},
        {"cut.png", (folder / "cut.png").string() + ": damaged"},
        {"plain.png", (folder / "plain.png").string() + ": no Textscape recipe"},
        {"long.png", (folder / "long.png").string() + ": its text is refused: the text has 101 characters"},
        {"newer.png", (folder / "newer.png").string() +
                          ": this picture needs picture definition 3; this Textscape draws definitions 1 to 2\n"},
    };
    const std::set<std::string> before = namesIn(folder);
    for (const Case& c : cases) {
        for (const bool info : {false, true}) {
            RenderOptions o = fromRecipe(folder / c.file, info ? "" : (folder / "out.png").string());
            o.info = info;
            const RunResult r = runIn(folder, o);
            EXPECT_EQ(r.status, 1) << c.file;
            EXPECT_EQ(r.out, "") << c.file;
            EXPECT_EQ(r.err.rfind("textscape-render: " + c.inMessage, 0), 0u) << r.err;
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
            EXPECT_EQ(namesIn(folder), before) << c.file;
        }
    }
}

}  // namespace
}  // namespace ts
