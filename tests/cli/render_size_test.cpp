// The renderer at other sizes, on several cores and in shards.

#include <gtest/gtest.h>

#include <QImageReader>

#include <sstream>

#include "cli/render_helpers.hpp"

namespace ts {
namespace {

using namespace render_test;
using testing::namesIn;
using testing::readBytes;

// Every file of a folder with its bytes.
std::map<std::string, std::vector<std::uint8_t>> filesIn(const std::filesystem::path& folder) {
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const std::string& name : namesIn(folder)) files[name] = readBytes(folder / name);
    return files;
}

// The rows of a batch folder's index.tsv after its header, taken out of `files`.
std::set<std::string> indexRows(std::map<std::string, std::vector<std::uint8_t>>& files) {
    const auto index = files.find("index.tsv");
    if (index == files.end()) return {};
    std::istringstream text(std::string(index->second.begin(), index->second.end()));
    files.erase(index);
    std::set<std::string> rows;
    std::string row;
    std::getline(text, row);
    EXPECT_EQ(row, "line\tfile\ttext");
    while (std::getline(text, row)) rows.insert(row);
    return rows;
}

QSize imageSize(const std::filesystem::path& file) {
    return QImageReader(QString::fromStdString(file.string())).size();
}

TEST_F(RenderOutput, SizeOfTheStandardPictureGivesItByteForByte) {
    RenderOptions sized = renderTo("hello world", folder / "sized.png");
    sized.width = 600;
    sized.height = 450;
    ASSERT_EQ(run(renderTo("hello world", folder / "plain.png")).status, 0);
    const RunResult r = run(sized);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readBytes(folder / "sized.png"), readBytes(folder / "plain.png"));
}

TEST_F(RenderOutput, OtherSizesGiveAPictureOfThatSizeAndTheSameParameterLine) {
    struct Case {
        const char* text;  // tip1=15 and tip1=1
        int width, height;
    } const cases[] = {{"hello world", 1200, 900},
                       {"picture 1", 1200, 900},
                       {"hello world", 3840, 2160},
                       {"picture 1", 1080, 1920},
                       {"a", 16, 16384}};
    for (const Case& c : cases) {
        RenderOptions o = renderTo(c.text, folder / "p.png");
        o.width = c.width;
        o.height = c.height;
        o.info = true;
        const RunResult r = run(o);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, windowCanvas(c.text).parameters + "\n") << c.text;
        EXPECT_EQ(imageSize(folder / "p.png"), QSize(c.width, c.height)) << c.width << "x" << c.height;
    }
}

TEST_F(RenderOutput, ProgramRefusesABadSizeOrShardWithOneLineStatusTwoAndNoFile) {
    const QStringList cases[] = {
        {"--size", "0x0", "-o", "p.png", "x"},
        {"--size", "99999x10", "-o", "p.png", "x"},
        {"--size", "abc", "x"},
        {"--size", "1200", "-o", "p.png", "x"},
        {"--size", "-600x450", "-o", "p.png", "x"},
        {"--size", "600x", "-o", "p.png", "x"},
        {"-j", "0", "-o", "p.png", "x"},
        {"--jobs", "lots", "-o", "p.png", "x"},
        {"--batch", "list.txt", "--out-dir", "out", "--shard", "0/4"},
        {"--batch", "list.txt", "--out-dir", "out", "--shard", "5/4"},
        {"--batch", "list.txt", "--out-dir", "out", "--shard", "a/b"},
        {"--batch", "list.txt", "--out-dir", "out", "--shard", "1/0"},
    };
    testing::writeText(folder / "list.txt", "one\ntwo\n");
    for (const QStringList& arguments : cases) {
        const RunResult r = runProgram(arguments, folder);
        const std::string shown = arguments.join(' ').toStdString();
        EXPECT_EQ(r.status, 2) << shown;
        EXPECT_TRUE(r.out.empty()) << shown;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << shown << ": " << r.err;
        const bool namesLimits = r.err.find("16 to 16384") != std::string::npos ||
                                 r.err.find("1 to ") != std::string::npos ||
                                 r.err.find("1 <= K <= N") != std::string::npos;
        EXPECT_TRUE(namesLimits) << r.err;
        EXPECT_EQ(namesIn(folder), (std::set<std::string>{"list.txt"})) << shown;
    }
}

// A list with a bad line among good ones, as a batch reads it.
constexpr const char* kList = "one\n\ntwo words\n\xff bad\nZażółć gęślą jaźń\nsix\nseven\n";

RenderOptions batchOf(const std::filesystem::path& folder, const std::string& outDir) {
    RenderOptions o;
    o.action = RenderOptions::Action::Batch;
    o.batchList = folder / "list.txt";
    o.outDir = folder / outDir;
    o.info = true;
    o.width = 64;
    o.height = 48;
    return o;
}

TEST_F(RenderOutput, BatchOnSeveralCoresWritesTheSameFilesAndMessages) {
    testing::writeText(folder / "list.txt", kList);
    RenderOptions one = batchOf(folder, "one"), three = batchOf(folder, "three");
    one.jobs = 1;
    three.jobs = 3;
    const RunResult a = run(one), b = run(three);
    EXPECT_EQ(a.status, 1);  // the bad line
    EXPECT_EQ(b.status, a.status);
    EXPECT_EQ(b.out, a.out);
    EXPECT_NE(a.err.find(":4: "), std::string::npos) << a.err;
    EXPECT_NE(a.err.find("7 lines: 6 written, 1 skipped, 0 failed"), std::string::npos) << a.err;
    EXPECT_EQ(b.err, a.err);
    EXPECT_EQ(filesIn(folder / "three"), filesIn(folder / "one"));
    EXPECT_EQ(filesIn(folder / "one").size(), 7u);  // 6 pictures and the index
    // And at the standard size, the pictures are the window's.
    RenderOptions standard = batchOf(folder, "standard");
    standard.width = 600, standard.height = 450, standard.jobs = 2;
    ASSERT_EQ(run(standard).status, 1);
    QImageReader reader(QString::fromStdString((folder / "standard" / "0003.png").string()));
    EXPECT_TRUE(rasterOf(reader.read()) == windowCanvas("two words").final);
}

TEST_F(RenderOutput, ShardsTogetherWriteTheWholeBatchUnderTheSameNames) {
    testing::writeText(folder / "list.txt", kList);
    const RunResult whole = run(batchOf(folder, "whole"));
    std::map<std::string, std::vector<std::uint8_t>> united;
    std::set<std::string> infoLines, unitedRows;
    for (int k = 1; k <= 3; ++k) {
        RenderOptions o = batchOf(folder, "shard" + std::to_string(k));
        o.shard = k;
        o.shards = 3;
        const RunResult r = run(o);
        EXPECT_EQ(r.status, k == 1 ? 1 : 0) << r.err;  // line 4 falls to shard 1
        auto files = filesIn(o.outDir);
        for (const std::string& row : indexRows(files)) {
            EXPECT_EQ((std::stoi(row) - 1) % 3, k - 1) << "a shard lists its own lines: " << row;
            unitedRows.insert(row);
        }
        for (const auto& [name, bytes] : files) {
            const int line = std::stoi(name);
            EXPECT_EQ((line - 1) % 3, k - 1) << name;
            EXPECT_TRUE(united.emplace(name, bytes).second) << name;
        }
        std::istringstream lines(r.out);
        for (std::string line; std::getline(lines, line);) infoLines.insert(line);
    }
    auto wholeFiles = filesIn(folder / "whole");
    const std::set<std::string> wholeRows = indexRows(wholeFiles);
    EXPECT_EQ(wholeRows.size(), 6u);
    EXPECT_EQ(unitedRows, wholeRows);
    EXPECT_EQ(united, wholeFiles);
    std::istringstream lines(whole.out);
    std::set<std::string> wholeLines;
    for (std::string line; std::getline(lines, line);) wholeLines.insert(line);
    EXPECT_EQ(infoLines, wholeLines);
}

TEST_F(RenderOutput, ASinglePictureShowsProgressOnATerminalOnly) {
    const auto render = [&](bool terminal, bool quiet, double delay) {
        RenderOptions o = renderTo("hello world", folder / "p.png");
        o.quiet = quiet;
        std::istringstream in;
        std::ostringstream out, err;
        FixedClock clock = testing::testClock();
        RenderStreams io{in, out, err, terminal, false};
        io.progressDelaySeconds = delay;
        EXPECT_EQ(runRenderer(o, io, clock), 0);
        return err.str();
    };
    const std::string shown = render(true, false, 0);
    EXPECT_NE(shown.find("] 100%\n"), std::string::npos) << shown;
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 1) << shown;
    EXPECT_EQ(render(false, false, 0), "");
    EXPECT_EQ(render(true, true, 0), "");
    EXPECT_EQ(render(true, false, 3600), "");  // a quick render
}

}  // namespace
}  // namespace ts
