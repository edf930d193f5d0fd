// The renderer takes its formats from the formats' table: every entry is
// a value of --format, an extension of -o, and the extension of the names
// it makes up.
#include <gtest/gtest.h>

#include <QMimeDatabase>

#include <algorithm>
#include <cctype>
#include <variant>

#include "cli/render_helpers.hpp"
#include "cli/render_options.hpp"
#include "files/image_format.hpp"

namespace ts {
namespace {

using namespace render_test;

std::string upper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

std::string mimeTypeOf(const std::string& bytes) {
    return QMimeDatabase().mimeTypeForData(QByteArray::fromStdString(bytes)).name().toStdString();
}

std::string mimeTypeOf(const std::filesystem::path& file) {
    const std::vector<std::uint8_t> bytes = testing::readBytes(file);
    return mimeTypeOf(std::string(bytes.begin(), bytes.end()));
}

std::variant<RenderOptions, OptionError> parse(const std::vector<std::string>& arguments) {
    return parseRenderOptions(arguments);
}

TEST(RenderFormats, EveryFormatIsAValueOfFormatAndEveryExtensionChoosesIt) {
    for (const ImageFormatInfo& info : imageFormats()) {
        SCOPED_TRACE(std::string(info.name));
        for (const std::string& name : {std::string(info.name), upper(info.name)}) {
            const auto parsed = parse({"--format", name, "x"});
            ASSERT_TRUE(std::holds_alternative<RenderOptions>(parsed)) << std::get<OptionError>(parsed).message;
            EXPECT_EQ(std::get<RenderOptions>(parsed).format, info.format);
            const auto inline_ = parse({"--format=" + name, "--batch", "l", "--out-dir", "d"});
            ASSERT_TRUE(std::holds_alternative<RenderOptions>(inline_));
            EXPECT_EQ(std::get<RenderOptions>(inline_).format, info.format);
        }
        for (const std::string_view extension : info.extensions)
            for (const std::string& file : {"pic" + std::string(extension), "PIC" + upper(extension)}) {
                const auto parsed = parse({"-o", file, "x"});
                ASSERT_TRUE(std::holds_alternative<RenderOptions>(parsed)) << file;
                EXPECT_EQ(imageFormatOf(std::get<RenderOptions>(parsed).output), info.format) << file;
            }
    }
}

// What a wrong format or output name is told lists every format.
TEST(RenderFormats, MessagesAndHelpListEveryFormat) {
    const std::string unknownFormat = std::get<OptionError>(parse({"--format", "gif", "x"})).message;
    const std::string noFormat = std::get<OptionError>(parse({"x", "--format"})).message;
    const std::string unknownOutput = std::get<OptionError>(parse({"-o", "a.txt", "x"})).message;
    const std::string usage = renderUsage();
    const std::string formats = usage.substr(usage.find("\nFormats"));
    for (const ImageFormatInfo& info : imageFormats()) {
        SCOPED_TRACE(std::string(info.name));
        EXPECT_NE(unknownFormat.find(info.name), std::string::npos) << unknownFormat;
        EXPECT_NE(noFormat.find(info.name), std::string::npos) << noFormat;
        for (const std::string_view extension : info.extensions)
            EXPECT_NE(unknownOutput.find(extension), std::string::npos) << unknownOutput;
        EXPECT_NE(formats.find("\n  " + std::string(info.name) + " "), std::string::npos) << formats;
        EXPECT_NE(formats.find(info.mimeType), std::string::npos) << formats;
    }
}

// Written to a named file, to standard output and in a batch, each format
// gives a file of its type; the names the renderer makes up carry the
// format's first extension.
TEST_F(RenderOutput, EveryFormatIsWrittenAndNamesTheFilesItMakes) {
    for (const ImageFormatInfo& info : imageFormats()) {
        SCOPED_TRACE(std::string(info.name));
        const std::string extension(info.extensions.front());
        const std::string type(info.mimeType);

        const std::filesystem::path named = folder / ("named" + upper(extension));
        const RunResult byName = run(renderTo("hello world", named));
        ASSERT_EQ(byName.status, 0) << byName.err;
        EXPECT_EQ(mimeTypeOf(named), type);

        RenderOptions piped = renderTo("hello world", "-");
        piped.format = info.format;
        const RunResult out = run(piped);
        ASSERT_EQ(out.status, 0) << out.err;
        EXPECT_EQ(mimeTypeOf(out.out), type);

        RenderOptions batch;
        batch.action = RenderOptions::Action::Batch;
        batch.batchList = "-";
        batch.outDir = folder / info.name;
        batch.format = info.format;
        batch.quiet = true;
        ASSERT_EQ(run(batch, "one\ntwo\n").status, 0);
        EXPECT_EQ(testing::namesIn(batch.outDir),
                  (std::set<std::string>{"0001" + extension, "0002" + extension, "index.tsv"}));
        const std::vector<std::uint8_t> index = testing::readBytes(batch.outDir / "index.tsv");
        EXPECT_EQ(std::string(index.begin(), index.end()),
                  "line\tfile\ttext\n1\t0001" + extension + "\tone\n2\t0002" + extension + "\ttwo\n");
        EXPECT_EQ(mimeTypeOf(batch.outDir / ("0002" + extension)), type);

        // The default name, in the folder the program runs in.
        const std::filesystem::path here = folder / ("here-" + std::string(info.name));
        std::filesystem::create_directories(here);
        const RunResult made = runProgram(
            {QStringLiteral("--format"), QString::fromStdString(std::string(info.name)), QStringLiteral("hello world")},
            here);
        ASSERT_EQ(made.status, 0) << made.err;
        // "T<yyyymmddhhmmss><extension>", named on standard output.
        ASSERT_TRUE(made.out.ends_with("\n")) << made.out;
        const std::string name = made.out.substr(0, made.out.size() - 1);
        EXPECT_TRUE(name.starts_with("T") && name.ends_with(extension)) << name;
        EXPECT_EQ(name.size(), 1 + 14 + extension.size()) << name;
        EXPECT_EQ(testing::namesIn(here), std::set<std::string>{name});
        EXPECT_EQ(mimeTypeOf(here / name), type);
    }
    // Without --format, the default format's.
    const ImageFormatInfo& standard = imageFormatInfo(defaultImageFormat());
    const RunResult made = runProgram({QStringLiteral("hello world")}, folder);
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_TRUE(made.out.ends_with(std::string(standard.extensions.front()) + "\n")) << made.out;
    RenderOptions piped = renderTo("hello world", "-");
    EXPECT_EQ(mimeTypeOf(run(piped).out), standard.mimeType);
}

// A picture wider than WebP holds is refused with one line that says why,
// and no file: alone, and as a batch, which stops there.
TEST_F(RenderOutput, APictureTheFormatCannotHoldIsRefusedWithOneLine) {
    RenderOptions single = renderTo("hello world", folder / "wide.webp");
    single.width = kMaxWebpSide + 1;
    single.height = kMinPictureSide;
    RenderOptions batch;
    batch.action = RenderOptions::Action::Batch;
    batch.batchList = "-";
    batch.outDir = folder / "batch";
    batch.format = ImageFormat::Webp;
    batch.width = kMaxWebpSide + 1;
    batch.height = kMinPictureSide;
    batch.quiet = true;
    for (const RenderOptions& options : {single, batch}) {
        const RunResult r = run(options, "one\ntwo\n");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find("Could not write a WebP file: "), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "wide.webp"));
    EXPECT_TRUE(testing::namesIn(folder / "batch").empty());
}

}  // namespace
}  // namespace ts
