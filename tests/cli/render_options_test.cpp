#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <variant>
#include <vector>

#include "cli/render_options.hpp"
#include "state/picture_sizes.hpp"

namespace ts {
namespace {

using Args = std::vector<std::string>;
using Action = RenderOptions::Action;

RenderOptions options(Action action = Action::Render) {
    RenderOptions o;
    o.action = action;
    return o;
}

std::variant<RenderOptions, OptionError> parse(const Args& args) { return parseRenderOptions(args); }

TEST(ParseRenderOptions, AcceptsEachFormOfACommandLine) {
    const std::string hundred(100, 'a');
    std::string hundredAccented;
    for (int k = 0; k < 100; ++k) hundredAccented += "é";  // 200 bytes, 100 characters

    struct Case {
        Args args;
        RenderOptions expected;
    };
    std::vector<Case> cases;
    const auto add = [&](Args args, auto change) {
        RenderOptions o = options();
        change(o);
        cases.push_back({std::move(args), o});
    };
    add({"hello world"}, [](RenderOptions& o) { o.text = "hello world"; });
    add({""}, [](RenderOptions& o) { o.text = ""; });
    add({hundred}, [&](RenderOptions& o) { o.text = hundred; });
    add({hundredAccented}, [&](RenderOptions& o) { o.text = hundredAccented; });
    add({"-o", "out/a.png", "hi"}, [](RenderOptions& o) { o.text = "hi", o.output = "out/a.png"; });
    add({"hi", "--output", "a.BMP"}, [](RenderOptions& o) { o.text = "hi", o.output = "a.BMP"; });
    add({"--output=a.Png", "hi"}, [](RenderOptions& o) { o.text = "hi", o.output = "a.Png"; });
    add({"--no-caption", "--info", "x"}, [](RenderOptions& o) { o.text = "x", o.caption = false, o.captionGiven = true, o.info = true; });
    add({"-"}, [](RenderOptions& o) { o.textFromInput = true; });
    add({"--", "-"}, [](RenderOptions& o) { o.text = "-"; });
    add({"--", "--info"}, [](RenderOptions& o) { o.text = "--info"; });
    add({"--batch", "list.txt", "--out-dir", "pics"},
        [](RenderOptions& o) { o.action = Action::Batch, o.batchList = "list.txt", o.outDir = "pics"; });
    add({"--out-dir=pics", "--no-caption", "--batch=list.txt"}, [](RenderOptions& o) {
        o.action = Action::Batch, o.batchList = "list.txt", o.outDir = "pics", o.caption = false, o.captionGiven = true;
    });
    add({"-o", "-", "--format", "bmp", "x"},
        [](RenderOptions& o) { o.text = "x", o.output = "-", o.format = ImageFormat::Bmp; });
    add({"--format=PNG", "-o", "pic.bmp", "x"},
        [](RenderOptions& o) { o.text = "x", o.output = "pic.bmp", o.format = ImageFormat::Png; });
    add({"-o", "pic.jpg", "--format", "png", "x"},
        [](RenderOptions& o) { o.text = "x", o.output = "pic.jpg", o.format = ImageFormat::Png; });
    add({"--from", "old.png", "--info"}, [](RenderOptions& o) { o.recipeFile = "old.png", o.info = true; });
    add({"--from=old.png", "-o", "-", "-q"},
        [](RenderOptions& o) { o.recipeFile = "old.png", o.output = "-", o.quiet = true; });
    add({"--from", "old.png", "--caption", "--size", "32x24"}, [](RenderOptions& o) {
        o.recipeFile = "old.png", o.captionGiven = true, o.width = 32, o.height = 24, o.sizeGiven = true;
    });
    add({"--quiet", "-"}, [](RenderOptions& o) { o.textFromInput = true, o.quiet = true; });
    add({"-", "--"}, [](RenderOptions& o) { o.textFromInput = true; });
    add({"--batch", "-", "--out-dir", "pics", "-q", "--format", "bmp"}, [](RenderOptions& o) {
        o.action = Action::Batch, o.batchList = "-", o.outDir = "pics", o.quiet = true, o.format = ImageFormat::Bmp;
    });
    add({"--size", "1920x1080", "x"}, [](RenderOptions& o) { o.text = "x", o.width = 1920, o.height = 1080, o.sizeGiven = true; });
    add({"--size=16x16384", "x"}, [](RenderOptions& o) { o.text = "x", o.width = 16, o.height = 16384, o.sizeGiven = true; });
    add({"--info", "--json", "x"}, [](RenderOptions& o) { o.text = "x", o.info = true, o.json = true; });
    add({"--dpi", "300", "x"}, [](RenderOptions& o) { o.text = "x", o.dpi = 300; });
    add({"-j", "3", "x"}, [](RenderOptions& o) { o.text = "x", o.jobs = 3; });
    add({"-j1", "--jobs=2", "x"}, [](RenderOptions& o) { o.text = "x", o.jobs = 2; });
    add({"--batch", "l", "--out-dir", "d", "--shard", "4/4", "--size", "1080x1920", "--jobs", "8"},
        [](RenderOptions& o) {
            o.action = Action::Batch, o.batchList = "l", o.outDir = "d", o.shard = 4, o.shards = 4, o.width = 1080,
            o.height = 1920, o.sizeGiven = true, o.jobs = 8;
        });
    add({"--shard=1/1", "--batch=l", "--out-dir=d"},
        [](RenderOptions& o) { o.action = Action::Batch, o.batchList = "l", o.outDir = "d"; });
    // The text is checked when it is used, wherever it comes from.
    add({std::string(101, 'a')}, [](RenderOptions& o) { o.text = std::string(101, 'a'); });
    add({"\xff\xfe"}, [](RenderOptions& o) { o.text = "\xff\xfe"; });
    add({"--size", "a4", "x"}, [](RenderOptions& o) { o.text = "x", o.width = 3508, o.height = 2480, o.sizeGiven = true; });
    add({"--size=HD", "x"}, [](RenderOptions& o) { o.text = "x", o.width = 1920, o.height = 1080, o.sizeGiven = true; });
    cases.push_back({{"--list-sizes"}, options(Action::ListSizes)});
    cases.push_back({{"--list-sizes", "--bogus"}, options(Action::ListSizes)});
    cases.push_back({{"--help"}, options(Action::Help)});
    cases.push_back({{"-V"}, options(Action::Version)});
    cases.push_back({{"-h", "--bogus"}, options(Action::Help)});
    cases.push_back({{"text", "--version"}, options(Action::Version)});

    for (const Case& c : cases) {
        const auto parsed = parse(c.args);
        ASSERT_TRUE(std::holds_alternative<RenderOptions>(parsed))
            << ::testing::PrintToString(c.args) << ": " << std::get<OptionError>(parsed).message;
        EXPECT_EQ(std::get<RenderOptions>(parsed), c.expected) << ::testing::PrintToString(c.args);
    }
}

TEST(ParseRenderOptions, RefusesBadCommandLinesWithAMessageNamingTheProblem) {
    struct Case {
        Args args;
        std::string inMessage;
    } const cases[] = {
        {{}, "no TEXT"},
        {{"a", "b"}, "more than one TEXT"},
        {{"--bogus", "x"}, "unknown option --bogus"},
        {{"-x", "x"}, "unknown option -x"},
        {{"x", "-o"}, "-o needs a file name"},
        {{"-o", "", "x"}, "-o needs a file name"},
        {{"-o", "a.gif", "x"}, "unknown output type for a.gif"},
        {{"-o", "a", "x"}, "unknown output type for a"},
        {{"-o", "a.png.txt", "x"}, "unknown output type"},
        {{"-o", "a.gif", "--format", "gif", "x"}, "unknown format for --format"},
        {{"x", "--format"}, "--format needs png, bmp, webp or jpeg"},
        {{"--from", "a.png", "text"}, "--from takes the text from its file"},
        {{"--from", "a.png", "-"}, "--from takes the text from its file"},
        {{"--from"}, "--from needs a PNG file"},
        {{"--from", "a.png", "--batch", "l.txt", "--out-dir", "d"}, "--from cannot be used with --batch"},
        {{"--quiet=yes", "x"}, "--quiet takes no value"},
        {{"-o", "a.txt", "--from", "a.png"}, "unknown output type for a.txt"},
        {{"--info=yes", "x"}, "--info takes no value"},
        {{"--batch", "l.txt"}, "--batch needs --out-dir"},
        {{"--out-dir", "d", "x"}, "--out-dir is only used with --batch"},
        {{"--batch", "l.txt", "--out-dir", "d", "-o", "a.png"}, "-o cannot be used with --batch"},
        {{"--batch", "l.txt", "--out-dir", "d", "text"}, "from the list file"},
        {{"--batch"}, "--batch needs a list file"},
        {{"--shard", "1/2", "x"}, "--shard is only used with --batch"},
        {{"-j", "0", "x"}, "-j needs a number of cores from 1 to"},
        {{"--jobs", "-1", "x"}, "--jobs needs a number of cores"},
        {{"--jobs=two", "x"}, "--jobs needs a number of cores"},
        {{"-j", "99999999999", "x"}, "-j needs a number of cores"},
        {{"x", "-j"}, "-j needs a number of cores"},
        {{"-j2x", "x"}, "-j needs a number of cores"},
    };
    for (const Case& c : cases) {
        const auto parsed = parse(c.args);
        ASSERT_TRUE(std::holds_alternative<OptionError>(parsed)) << ::testing::PrintToString(c.args);
        const std::string& message = std::get<OptionError>(parsed).message;
        EXPECT_NE(message.find(c.inMessage), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << "one line: " << message;
    }
}

TEST(ParseRenderOptions, RefusesSizesAndShardsOutsideTheirLimitsNamingThem) {
    const Args sizes[] = {{"0x0"},
                          {"99999x10"},
                          {"abc"},
                          {"1200"},
                          {"-600x450"},
                          {"600x"},
                          {"x450"},
                          {"600x-450"},
                          {"15x450"},
                          {"600x16385"},
                          {"16385x16"},
                          {"600 x450"},
                          {"600x450x"},
                          {"+600x450"},
                          {""},
                          {"600X450"},
                          {"99999999999999999999x450"}};
    for (const Args& size : sizes) {
        const auto parsed = parse({"--size", size[0], "x"});
        ASSERT_TRUE(std::holds_alternative<OptionError>(parsed)) << size[0];
        const std::string& message = std::get<OptionError>(parsed).message;
        EXPECT_NE(message.find("16 to 16384"), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
    EXPECT_TRUE(std::holds_alternative<OptionError>(parse({"x", "--size"})));
    for (const char* shard : {"0/4", "5/4", "a/b", "1/0", "0/0", "1/", "/4", "2", "-1/4", "1/4/2", "1/1000001"}) {
        const auto parsed = parse({"--batch", "l", "--out-dir", "d", "--shard", shard});
        ASSERT_TRUE(std::holds_alternative<OptionError>(parsed)) << shard;
        const std::string& message = std::get<OptionError>(parsed).message;
        EXPECT_NE(message.find("--shard needs K/N"), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
}

// --size takes every name of the table of sizes, in any case, for the
// pixels the window's "Save as" draws at.
TEST(ParseRenderOptions, TakesEveryNamedSizeInAnyCase) {
    struct Case {
        const char* name;
        int width, height;
    } const cases[] = {
        {"canvas", 600, 450}, {"2x", 1200, 900},  {"2X", 1200, 900},    {"4x", 2400, 1800}, {"hd", 1920, 1080},
        {"HD", 1920, 1080},   {"4k", 3840, 2160}, {"4K", 3840, 2160},   {"a4", 3508, 2480}, {"A4", 3508, 2480},
        {"a3", 4961, 3508},   {"A3", 4961, 3508}, {"Canvas", 600, 450},
    };
    for (const Case& c : cases) {
        const auto parsed = parse({"--size", c.name, "x"});
        ASSERT_TRUE(std::holds_alternative<RenderOptions>(parsed)) << c.name;
        EXPECT_EQ(std::get<RenderOptions>(parsed).width, c.width) << c.name;
        EXPECT_EQ(std::get<RenderOptions>(parsed).height, c.height) << c.name;
    }
    // Every entry of the table has a name of its own that --size takes.
    std::vector<std::string> seen;
    for (const PictureSize& size : pictureSizes()) {
        ASSERT_STRNE(size.name, "") << size.purpose;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), size.name), 0) << size.name;
        seen.emplace_back(size.name);
        const auto parsed = parse({"--size=" + std::string(size.name), "x"});
        ASSERT_TRUE(std::holds_alternative<RenderOptions>(parsed)) << size.name;
        EXPECT_EQ(std::get<RenderOptions>(parsed).width, size.width) << size.name;
        EXPECT_EQ(std::get<RenderOptions>(parsed).height, size.height) << size.name;
    }
    for (const char* unknown : {"a5", "a", "4", "hd ", " hd", "fullhd", "2x2", "x2", "4kk", "-hd"}) {
        const auto parsed = parse({"--size", unknown, "x"});
        ASSERT_TRUE(std::holds_alternative<OptionError>(parsed)) << unknown;
        EXPECT_NE(std::get<OptionError>(parsed).message.find("--list-sizes"), std::string::npos) << unknown;
    }
    EXPECT_TRUE(std::holds_alternative<OptionError>(parse({"--list-sizes=a4"})));
}

TEST(SizeListing, ShowsEachNamedSizeOnALineWithItsPixelsAndPurpose) {
    const std::string listing = sizeListing();
    EXPECT_EQ(listing.substr(0, listing.find('\n')), "canvas  600x450      the canvas");
    EXPECT_NE(listing.find("a4      3508x2480    A4 at 300 dpi\n"), std::string::npos) << listing;
    EXPECT_NE(listing.find("hd      1920x1080    full HD\n"), std::string::npos) << listing;
    std::size_t lines = 0;
    for (const PictureSize& size : pictureSizes()) {
        const std::string line = std::string(size.name) + " ";
        const std::string pixels = std::to_string(size.width) + "x" + std::to_string(size.height);
        const auto at =
            listing.find("\n" + line) == std::string::npos ? listing.find(line) : listing.find("\n" + line) + 1;
        ASSERT_NE(at, std::string::npos) << size.name;
        const std::string row = listing.substr(at, listing.find('\n', at) - at);
        EXPECT_NE(row.find(pixels), std::string::npos) << row;
        EXPECT_NE(row.find(size.purpose), std::string::npos) << row;
        ++lines;
    }
    EXPECT_EQ(static_cast<std::size_t>(std::count(listing.begin(), listing.end(), '\n')), lines);
}

TEST(ImageFormatOf, FollowsTheExtensionInAnyCase) {
    struct Case {
        const char* file;
        std::optional<ImageFormat> format;
    } const cases[] = {
        {"a.png", ImageFormat::Png}, {"A.PNG", ImageFormat::Png}, {"dir.bmp/a.pNg", ImageFormat::Png},
        {"a.bmp", ImageFormat::Bmp}, {"a.Bmp", ImageFormat::Bmp}, {"a.jpg", ImageFormat::Jpeg},
        {"a.JPEG", ImageFormat::Jpeg}, {"a.webp", ImageFormat::Webp}, {"a.gif", std::nullopt},
        {"a", std::nullopt},         {"png", std::nullopt},       {".png", std::nullopt},
        {"a.png.tmp", std::nullopt}, {"dir.png/a", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(imageFormatOf(c.file), c.format) << c.file;
}

TEST(RenderUsage, NamesEveryOption) {
    const std::string usage = renderUsage();
    for (const char* option :
         {"-o", "--no-caption", "--info", "--batch", "--out-dir", "--help", "--version", "TEXT", "--format", "--from",
          "-q", "--quiet", "-V", "Exit status", "--caption", "--dpi", "--json", "--skip-existing", "--size", "-j", "--jobs", "--shard", "--list-sizes"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

}  // namespace
}  // namespace ts
