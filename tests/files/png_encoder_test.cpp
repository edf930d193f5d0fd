#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "files/png_encoder.hpp"
#include "support/png_chunks.hpp"
#include "support/sample_rasters.hpp"
#include "support/test_folder.hpp"

namespace ts {
namespace {

// A PNG file as libpng reads it back: header, pixels, texts and pHYs.
struct ReadBack {
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = -1, interlace = -1;
    Raster raster{0, 0};
    std::vector<PngText> texts;  // international: an iTXt chunk
    bool hasPhys = false;
    png_uint_32 physX = 0, physY = 0;
    int physUnit = -1;
};

struct MemoryReader {
    const std::vector<std::uint8_t>* bytes;
    std::size_t at = 0;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t size) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (size > reader->bytes->size() - reader->at) png_error(png, "read past the end");
    std::memcpy(out, reader->bytes->data() + reader->at, size);
    reader->at += size;
}

// Nothing with a destructor in this frame: libpng's errors longjmp here.
bool readWhole(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    return true;
}

std::optional<ReadBack> readWithLibpng(const std::vector<std::uint8_t>& file) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    MemoryReader reader{&file};
    png_set_read_fn(png, &reader, readFromMemory);
    std::optional<ReadBack> out;
    if (readWhole(png, info)) {
        ReadBack r;
        png_get_IHDR(png, info, &r.width, &r.height, &r.bitDepth, &r.colourType, &r.interlace, nullptr, nullptr);
        if (r.bitDepth == 8 && r.colourType == PNG_COLOR_TYPE_RGB) {
            r.raster = Raster(static_cast<int>(r.width), static_cast<int>(r.height));
            png_bytepp rows = png_get_rows(png, info);
            for (png_uint_32 y = 0; y < r.height; ++y)
                for (png_uint_32 x = 0; x < r.width; ++x)
                    r.raster.set(static_cast<int>(x), static_cast<int>(y),
                                 Colour::fromRgb(rows[y][3 * x], rows[y][3 * x + 1], rows[y][3 * x + 2]));
        }
        png_textp texts = nullptr;
        const int count = png_get_text(png, info, &texts, nullptr);
        for (int k = 0; k < count; ++k)
            r.texts.push_back({texts[k].key, texts[k].text, texts[k].compression == PNG_ITXT_COMPRESSION_NONE});
        r.hasPhys = png_get_pHYs(png, info, &r.physX, &r.physY, &r.physUnit) != 0;
        out = std::move(r);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return out;
}

std::vector<std::uint8_t> encoded(const Raster& raster, const PngMetadata& metadata = {}) {
    std::vector<std::uint8_t> png;
    const Outcome outcome = encodePng(raster, metadata, png);
    EXPECT_TRUE(outcome) << outcome.message;
    return png;
}

struct Sample {
    const char* what;
    Raster raster;
};

const std::vector<Sample>& samples() {
    static const std::vector<Sample> s = {
        {"the program's picture", testing::programPicture("hello world")},
        {"random pixels", testing::randomRaster(37, 23)},
        {"one pixel", Raster(1, 1, Colour::fromRgb(1, 2, 3))},
        {"one row", testing::randomRaster(300, 1, 7)},
        {"one column", testing::randomRaster(1, 300, 8)},
        {"image data of more than one chunk", testing::randomRaster(700, 600, 9)},
    };
    return s;
}

// The recipe's kind of texts, and the values that are easy to spoil.
const PngMetadata kMetadata{{{"Title", "two  spaces\nand a line", true},
                             {"Description", "tip1=7  tip2=2  tip3=4  seed=127010"},
                             {"Accented", "Zażółć gęślą jaźń"},
                             {"Empty", ""},
                             {"Creation Time", "2026-03-08T14:05:09+01:00"},
                             {"Latin-1 key \xE9", "value"}},
                            kScreenPixelsPerMetre};

TEST(EncodePng, LibpngDecodesTheRastersPixels) {
    for (const Sample& sample : samples()) {
        const std::optional<ReadBack> read = readWithLibpng(encoded(sample.raster, kMetadata));
        ASSERT_TRUE(read) << sample.what;
        EXPECT_EQ(read->width, static_cast<png_uint_32>(sample.raster.width())) << sample.what;
        EXPECT_EQ(read->height, static_cast<png_uint_32>(sample.raster.height())) << sample.what;
        EXPECT_EQ(read->bitDepth, 8) << sample.what;
        EXPECT_EQ(read->colourType, PNG_COLOR_TYPE_RGB) << sample.what;
        EXPECT_EQ(read->interlace, PNG_INTERLACE_NONE) << sample.what;
        EXPECT_TRUE(read->raster == sample.raster) << sample.what;
    }
}

TEST(EncodePng, TextsAndPhysAreStoredExactlyBeforeTheImageData) {
    const std::vector<std::uint8_t> png = encoded(testing::randomRaster(5, 4), kMetadata);
    const std::optional<ReadBack> read = readWithLibpng(png);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->texts.size(), kMetadata.texts.size());
    for (std::size_t k = 0; k < kMetadata.texts.size(); ++k) {
        const PngText& written = kMetadata.texts[k];
        const bool ascii = std::all_of(written.value.begin(), written.value.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 128; });
        EXPECT_EQ(read->texts[k].key, written.key);
        EXPECT_EQ(read->texts[k].value, written.value) << written.key;
        EXPECT_EQ(read->texts[k].international, written.international || !ascii) << written.key;
    }
    EXPECT_TRUE(read->hasPhys);
    EXPECT_EQ(read->physX, kScreenPixelsPerMetre);
    EXPECT_EQ(read->physY, kScreenPixelsPerMetre);
    EXPECT_EQ(read->physUnit, PNG_RESOLUTION_METER);

    // The same, read byte for byte without libpng.
    const auto texts = testing::pngTexts(png);
    EXPECT_EQ(texts.count("!crc"), 0u);
    for (const PngText& written : kMetadata.texts) EXPECT_EQ(texts.at(written.key), written.value) << written.key;

    std::vector<std::string> types;
    for (const testing::PngChunkAt& chunk : testing::pngChunks(png)) types.push_back(chunk.type);
    ASSERT_GE(types.size(), 10u);
    EXPECT_EQ(types.front(), "IHDR");
    EXPECT_EQ(types[1], "pHYs");
    const std::vector<std::string> textTypes(types.begin() + 2, types.begin() + 8);
    EXPECT_EQ(textTypes, (std::vector<std::string>{"iTXt", "tEXt", "iTXt", "tEXt", "tEXt", "tEXt"}));
    EXPECT_EQ(types[8], "IDAT");
    EXPECT_EQ(types.back(), "IEND");
}

TEST(EncodePng, WithoutMetadataOnlyTheImageIsWritten) {
    const std::vector<std::uint8_t> png = encoded(testing::randomRaster(64, 64));
    const std::optional<ReadBack> read = readWithLibpng(png);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->texts.empty());
    EXPECT_FALSE(read->hasPhys);
    for (const testing::PngChunkAt& chunk : testing::pngChunks(png))
        EXPECT_TRUE(chunk.type == "IHDR" || chunk.type == "IDAT" || chunk.type == "IEND") << chunk.type;
}

// Pixels that do not compress make image data of more than a megabyte,
// written in more than one IDAT chunk, one after the other.
TEST(EncodePng, LargeImageDataIsSplitIntoChunksInARow) {
    const std::vector<std::uint8_t> png = encoded(samples().back().raster);
    std::vector<std::string> types;
    for (const testing::PngChunkAt& chunk : testing::pngChunks(png)) types.push_back(chunk.type);
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IDAT", "IEND"}));
}

TEST(EncodePng, TheSameRasterGivesTheSameBytes) {
    const Raster& picture = samples().front().raster;
    EXPECT_EQ(encoded(picture, kMetadata), encoded(picture, kMetadata));
    Raster changed = picture;
    changed.set(599, 449, Colour::fromRgb(1, 2, 3));
    EXPECT_NE(encoded(picture), encoded(changed));
}

TEST(EncodePngDeathTest, AnInvalidKeyOrANulInAValueIsAProgrammingError) {
    const Raster raster(2, 2);
    std::vector<std::uint8_t> png;
    for (const std::string& key : {std::string(), std::string(80, 'k'), std::string(" lead"), std::string("trail "),
                                   std::string("two  spaces"), std::string("a\nb"), std::string("del\x7F")}) {
        const PngMetadata metadata{{{key, "x"}}, std::nullopt};
        EXPECT_DEATH((void)encodePng(raster, metadata, png), "PNG text key") << key;
    }
    const PngMetadata nul{{{"Title", std::string("a\0b", 3)}}, std::nullopt};
    EXPECT_DEATH((void)encodePng(raster, nul, png), "without NUL");
}

// The output of a command, and its exit status.
struct CommandResult {
    std::string out;
    int status = -1;
};

CommandResult runCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    std::array<char, 65536> buffer;
    std::size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.out.append(buffer.data(), got);
    result.status = ::pclose(pipe);
    return result;
}

bool installed(const std::string& program) {
    return runCommand("command -v " + program + " >/dev/null 2>&1").status == 0;
}

TEST(EncodePng, PngcheckFindsTheFilesValid) {
    if (!installed("pngcheck")) GTEST_SKIP() << "pngcheck is not installed";
    const std::filesystem::path folder = testing::freshFolder();
    int n = 0;
    for (const Sample& sample : samples()) {
        for (const PngMetadata& metadata : {kMetadata, PngMetadata{}}) {
            const std::filesystem::path file = folder / (std::to_string(++n) + ".png");
            testing::writeBytes(file, encoded(sample.raster, metadata));
            const CommandResult check = runCommand("pngcheck -v '" + file.string() + "' 2>&1");
            EXPECT_EQ(check.status, 0) << sample.what << "\n" << check.out;
            EXPECT_NE(check.out.find("No errors detected"), std::string::npos) << sample.what << "\n" << check.out;
        }
    }
}

// ImageMagick's own name for its converter: `convert` may be another
// program of the same name earlier on the path.
std::optional<std::string> imageMagick() {
    for (const char* name : {"magick", "convert-im6.q16", "convert-im7.q16"}) {
        if (installed(name) && runCommand(std::string(name) + " -version").out.find("ImageMagick") != std::string::npos)
            return name;
    }
    return std::nullopt;
}

TEST(EncodePng, ImageMagickDecodesTheSamePixels) {
    const std::optional<std::string> magick = imageMagick();
    if (!magick) GTEST_SKIP() << "ImageMagick is not installed";
    const std::filesystem::path folder = testing::freshFolder();
    for (const Sample& sample : samples()) {
        const std::filesystem::path file = folder / "p.png";
        testing::writeBytes(file, encoded(sample.raster, kMetadata));
        const CommandResult decoded = runCommand(*magick + " '" + file.string() + "' -depth 8 rgb:-");
        ASSERT_EQ(decoded.status, 0) << sample.what;
        std::string expected;
        for (const std::uint32_t pixel : sample.raster.pixels()) {
            const Colour c = Colour::fromPixel(pixel);
            expected += {static_cast<char>(c.red()), static_cast<char>(c.green()), static_cast<char>(c.blue())};
        }
        EXPECT_TRUE(decoded.out == expected) << sample.what << ": " << decoded.out.size() << " bytes";
    }
}

}  // namespace
}  // namespace ts
